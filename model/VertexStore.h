// The vertex store: the procedures that create the device's one vertex
// buffer and fill it, triangle by triangle from the reader or all at once
// with the demonstration model. Triangle k lives at vertices 3k to 3k+2.
#pragma once

#include "model/TriReader.h"
#include "model/TriVertex.h"
#include "render/DeviceSetup.h"
#include "runtime/Values.h"

#include <cstdint>

namespace triview {

// Creates the buffer for TriangleCount triangles in d3d.VertexBuffer and
// stores the triangle at its start. Raises 6 for the colour, a device error
// when the buffer cannot be created, 91 without a device. Answers vbFalse
// when creation reported success but gave no buffer.
VbBoolean InitGeometry(
    Direct3DObjects& d3d, std::int16_t TriangleCount, const TriangleRecord& triangle);

// Stores the triangle at vertex VertexCursor. A triangle that would not lie
// inside the buffer is not written. Always answers vbTrue.
VbBoolean InitGeometry2(
    Direct3DObjects& d3d, std::int16_t VertexCursor, const TriangleRecord& triangle);

// Creates a 144-byte buffer holding the demonstration model. Raises and
// answers as InitGeometry does.
VbBoolean Sample(Direct3DObjects& d3d);

// The store as the reader sees it.
class VertexStore final : public TriangleSink
{
public:
    VertexStore(Direct3DObjects& d3d, std::int16_t TriangleCount)
        : m_d3d(d3d)
        , m_triangleCount(TriangleCount)
    { }
    VbBoolean InitGeometry(const TriangleRecord& triangle) override
    {
        return triview::InitGeometry(m_d3d, m_triangleCount, triangle);
    }
    VbBoolean InitGeometry2(const TriangleRecord& triangle, std::int16_t VertexCursor) override
    {
        return triview::InitGeometry2(m_d3d, VertexCursor, triangle);
    }

private:
    Direct3DObjects& m_d3d;
    std::int16_t m_triangleCount;
};

} // namespace triview
