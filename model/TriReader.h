// The two readers of a tri model file: counttri counts its "Triangle" header
// lines, loadtri reads every five-line record (header, colour group, three
// corners) and hands each triangle to the vertex store.
#pragma once

#include "runtime/Values.h"

#include <array>
#include <cstdint>
#include <string>

namespace triview {

struct Corner
{
    float x, y, z;
};

// One record as the vertex store receives it: the corners in file order and
// the packed colour 0x00RRGGBB.
struct TriangleRecord
{
    std::array<Corner, 3> corners;
    std::int32_t packedColour;
};

// Where loadtri puts the triangles. Each call answers vbTrue, or vbFalse
// when no vertex buffer exists.
class TriangleSink
{
public:
    virtual ~TriangleSink() = default;
    // Creates the buffer for the whole model and stores the first triangle.
    virtual VbBoolean InitGeometry(const TriangleRecord& triangle) = 0;
    // Stores a further triangle at vertex VertexCursor.
    virtual VbBoolean InitGeometry2(const TriangleRecord& triangle, std::int16_t VertexCursor) = 0;
};

// The number of lines exactly equal to "Triangle". Raises the open errors of
// TextInputFile, and 6 at the 32768th header line.
std::int16_t counttri(const std::string& ModelFileName);

// Reads every record of the file and stores triangle k at vertices 3k to
// 3k+2, advancing VertexCursor by 3 per record. Raises the reading errors of
// TextInputFile; 6 for a colour beyond the 32-bit range or at the 10923rd
// record; 9 for a record beyond the TriangleCount triangles the buffer
// holds. Answers vbFalse, reading no further, when the store answers false
// (it has no buffer), else vbTrue.
VbBoolean loadtri(const std::string& ModelFileName, std::int16_t TriangleCount,
    std::int16_t& VertexCursor, TriangleSink& store);

class TextInputFile;

// The same two readers on a file already open (or text in memory).
std::int16_t countHeaders(TextInputFile& CountFile);
VbBoolean loadRecords(TextInputFile& ModelFile, std::int16_t TriangleCount,
    std::int16_t& VertexCursor, TriangleSink& store);

// round(c0 * 65536) + round(c1 * 256) + round(c2), each rounded to nearest
// with ties to even, all in checked 32-bit arithmetic. Raises 6.
std::int32_t packedColour(float c0, float c1, float c2);

} // namespace triview
