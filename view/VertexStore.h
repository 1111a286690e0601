// The vertex store: the procedures that create the device's one vertex
// buffer and fill it, triangle by triangle from the reader or all at once
// with the demonstration model. Triangle k lives at vertices 3k to 3k+2.
#pragma once

#include "model/TriReader.h"
#include "model/TriVertex.h"
#include "view/DeviceSetup.h"
#include "runtime/Values.h"

#include <cstdint>

namespace triview {

// Where a model is stored: a device (null for none) and the buffer
// reference the procedures fill: the window's own, d3d.VertexBuffer, or a
// fresh one that replaces it only once the model is whole.
struct VertexSlot
{
    Direct3DDevice8* D3DDevice;
    std::shared_ptr<Direct3DVertexBuffer8>& VertexBuffer;
};

inline VertexSlot windowSlot(Direct3DObjects& d3d)
{
    return { d3d.D3DDevice.get(), d3d.VertexBuffer };
}

// Creates the buffer for TriangleCount triangles in slot.VertexBuffer and
// stores the triangle at its start. Raises 6 for the colour, a device error
// when the buffer cannot be created, 91 without a device. Answers vbFalse
// when creation reported success but gave no buffer.
VbBoolean InitGeometry(VertexSlot slot, std::int16_t TriangleCount, const TriangleRecord& triangle);

// Stores the triangle at vertex VertexCursor. A triangle that would not lie
// inside the buffer is not written. Always answers vbTrue.
VbBoolean InitGeometry2(VertexSlot slot, std::int16_t VertexCursor, const TriangleRecord& triangle);

// Creates a 144-byte buffer holding the demonstration model. Raises and
// answers as InitGeometry does.
VbBoolean Sample(VertexSlot slot);

// The store as the reader sees it.
class VertexStore final : public TriangleSink
{
public:
    VertexStore(VertexSlot slot, std::int16_t TriangleCount)
        : m_slot(slot)
        , m_triangleCount(TriangleCount)
    { }
    VbBoolean InitGeometry(const TriangleRecord& triangle) override
    {
        return triview::InitGeometry(m_slot, m_triangleCount, triangle);
    }
    VbBoolean InitGeometry2(const TriangleRecord& triangle, std::int16_t VertexCursor) override
    {
        return triview::InitGeometry2(m_slot, VertexCursor, triangle);
    }

private:
    VertexSlot m_slot;
    std::int16_t m_triangleCount;
};

} // namespace triview
