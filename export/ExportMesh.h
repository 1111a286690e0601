// A model as other 3D formats want it: right-handed with the model's up on
// the format's up, each corner's colour as triview draws it, and triangles
// as indices into vertices shared where they are equal.
#pragma once

#include "model/Model.h"

#include <array>
#include <cstdint>
#include <vector>

namespace triview {

struct Rgb
{
    std::uint8_t red, green, blue;
    friend bool operator==(Rgb, Rgb) = default;
};

// The colour triview draws a stored vertex colour (0xAARRGGBB) with: its red,
// green and blue bytes. Alpha does not show: the frame is opaque.
constexpr Rgb drawnColour(std::uint32_t stored)
{
    return { std::uint8_t(stored >> 16), std::uint8_t(stored >> 8), std::uint8_t(stored) };
}

// The format's up axis; triview's up is its y axis.
enum class UpAxis { Y, Z };

using Position = std::array<float, 3>;

// A vertex in the format's right-handed axes: (x, y, -z) with y up, (x, z, y)
// with z up. triview's axes are left-handed, so either is a mirror of the
// numbers, and the model looks in a right-handed viewer as it does in
// triview. A zero stays +0.
Position rightHanded(const TriVertex& vertex, UpAxis up);

// Triangle k of the model as the format's corners: the mirror turns
// triview's clockwise front faces into the right-handed counter-clockwise
// ones, so its corners come as 0, 2, 1.
inline constexpr std::array<int, 3> kCornerOrder { 0, 2, 1 };

struct IndexedMesh
{
    std::vector<Position> positions;
    std::vector<Rgb> colours;
    std::vector<std::array<std::uint32_t, 3>> triangles; // indices into positions
    std::vector<std::array<std::uint32_t, 3>> cornerColours; // per triangle, into colours
};

// Vertices shared where position and colour are both equal: colours[i] is
// positions[i]'s colour, and cornerColours is empty.
IndexedMesh sharedByPositionAndColour(const Model& model, UpAxis up);

// Vertices shared where the position is equal; colours holds each distinct
// colour once, and cornerColours gives each corner's. Triangles with two
// corners on one vertex are left out (formats that share by position
// forbid them).
IndexedMesh sharedByPosition(const Model& model, UpAxis up);

} // namespace triview
