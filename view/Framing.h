// A camera for pictures that show a whole model, thumbnails above all: it
// looks the way another camera looks, from where the model fills the
// picture.
#pragma once

#include "render/D3DTypes.h"

#include <cstddef>
#include <span>

namespace triview {

// Moves vertices (of vertex format 66) so that the middle of their extent is
// the origin, and scales them by a power of two so that the extent is 1 to
// 2, worked out in double. The device works in float, where a model far
// from the origin for its size loses its shape to the distance, and one
// whose coordinates are below float's normal range is drawn as a point; a
// fitted view shows the same picture of the model whatever its place and
// size. Vertices that are not finite are left as they are.
void normaliseVertices(std::span<std::byte> vertices);

// The view that looks along view's directions but from where every vertex
// (of vertex format 66, placed by world) falls inside a picture drawn with
// a square perspective of fieldOfView, with margin (a fraction of the
// picture's half-size) to spare on the side the model reaches, and the
// model as near the middle as the perspective allows. The view is scaled
// too, which the picture does not show, so that the model's nearest point
// lies just beyond zNear, where depth is finest, and its farthest within
// about a hundred times that. Vertices normalised as above give a view of
// float's precision for any model. Answers view unchanged when the vertices
// have no extent.
D3DMATRIX fittedView(std::span<const std::byte> vertices, const D3DMATRIX& world,
    const D3DMATRIX& view, float fieldOfView, float zNear, float margin);

} // namespace triview
