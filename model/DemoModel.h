// The built-in demonstration model: three overlapping coloured triangles,
// shown when no file is named. The colours are stored as they stand, alpha
// bytes included.
#pragma once

#include "model/TriVertex.h"

#include <array>
#include <cstdint>

namespace triview {

inline constexpr std::array<TriVertex, 9> demonstrationModel = { {
    { 200.0f, -230.0f, 50.0f, 0xFF00FFFF },
    { 182.0f, 170.0f, -100.0f, 0xFFFF00FF },
    { -182.0f, -230.0f, 150.0f, 0xFFFFFF00 },
    { 150.0f, 170.0f, -80.0f, 0x00FF0000 },
    { -250.0f, -120.0f, -126.0f, 0xFFFFFF00 },
    { 272.0f, -130.0f, 130.0f, 0x000000FF },
    { -150.0f, -170.0f, -50.0f, 0xF0FF0000 },
    { -182.0f, 170.0f, 126.0f, 0xF0F0FF00 },
    { -272.0f, 130.0f, -150.0f, 0xF0F0F0FF },
} };

inline constexpr std::int16_t kDemonstrationTriangles = demonstrationModel.size() / 3;

} // namespace triview
