// A triangle sink that keeps each triangle with the cursor it came with
// (-1 for InitGeometry's first one), turning the colour as the vertex store
// does (so an out-of-range colour raises here too), and answering as a
// store with a buffer does.
#pragma once

#include "model/TriReader.h"
#include "model/TriVertex.h"

#include <utility>
#include <vector>

namespace triview::test {

struct RecordingSink : TriangleSink
{
    std::vector<std::pair<TriangleRecord, int>> calls;
    VbBoolean answer = vbTrue; // vbFalse: a store left without a buffer

    VbBoolean InitGeometry(const TriangleRecord& t) override { return record(t, -1); }
    VbBoolean InitGeometry2(const TriangleRecord& t, std::int16_t VertexCursor) override
    {
        return record(t, VertexCursor);
    }

private:
    VbBoolean record(const TriangleRecord& t, int cursor)
    {
        storedColour(t.packedColour);
        calls.emplace_back(t, cursor);
        return answer;
    }
};

} // namespace triview::test
