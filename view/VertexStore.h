// The vertex store: the procedures that create the device's one vertex
// buffer and fill it with a model's triangles. Triangle k lives at vertices
// 3k to 3k+2.
#pragma once

#include "model/Model.h"
#include "runtime/Values.h"
#include "view/DeviceSetup.h"

#include <cstdint>
#include <span>

namespace triview {

// Where a model is stored: a device (null for none) and the buffer
// reference the procedures fill: the window's own, d3d.VertexBuffer, or a
// fresh one that replaces it only once the model is whole.
struct VertexSlot
{
    Direct3DDevice8* D3DDevice;
    std::shared_ptr<Direct3DVertexBuffer8>& VertexBuffer;
};

// Creates the buffer for TriangleCount triangles in slot.VertexBuffer and
// stores the triangle at its start. Raises a device error when the buffer
// cannot be created, 91 without a device. Answers vbFalse when creation
// reported success but gave no buffer.
VbBoolean InitGeometry(
    VertexSlot slot, std::int16_t TriangleCount, std::span<const TriVertex, 3> triangle);

// Stores the triangle at vertex VertexCursor. A triangle that would not lie
// inside the buffer is not written. Always answers vbTrue.
VbBoolean InitGeometry2(
    VertexSlot slot, std::int16_t VertexCursor, std::span<const TriVertex, 3> triangle);

// Stores model's triangles after the first, which InitGeometry stored.
void storeTheRest(VertexSlot slot, const Model& model);

// Creates a 144-byte buffer holding the demonstration model. Raises and
// answers as InitGeometry does.
VbBoolean Sample(VertexSlot slot);

} // namespace triview
