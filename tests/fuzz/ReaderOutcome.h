// What reading a tri file gives, for the fuzzers to compare: the count, the
// triangles stored, and the error with its line and detail. The store keeps
// the real stored colour and gets no triangle past the count.
#pragma once

#include "ScriptedRuntime.h"
#include "model/TextInputFile.h"
#include "model/TriReader.h"
#include "model/TriVertex.h"
#include "runtime/RuntimeError.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace triview::fuzz {

// Only at() writes, so a triangle past the count aborts.
struct BoundedStore : TriangleSink
{
    std::vector<TriangleRecord> triangles;
    VbBoolean InitGeometry(const TriangleRecord& t) override { return InitGeometry2(t, 0); }
    VbBoolean InitGeometry2(const TriangleRecord& t, std::int16_t VertexCursor) override
    {
        storedColour(t.packedColour); // raises as the vertex store does
        if (VertexCursor < 0 || VertexCursor % 3 != 0)
            std::abort();
        triangles.at(static_cast<std::size_t>(VertexCursor / 3)) = t;
        return vbTrue;
    }
};

struct Outcome
{
    std::int16_t count = 0, cursor = 0;
    BoundedStore store;
    std::int32_t error = 0;
    std::int64_t line = 0;
    std::string detail;

    bool operator==(const Outcome& o) const
    {
        return count == o.count && cursor == o.cursor && error == o.error && line == o.line
            && detail == o.detail && store.triangles.size() == o.store.triangles.size()
            && (store.triangles.empty()
                || std::memcmp(store.triangles.data(), o.store.triangles.data(),
                       store.triangles.size() * sizeof(TriangleRecord))
                    == 0);
    }
};

// Counts and loads what open() opens, twice. Every reading error must name
// its place: the file, and a line.
template <typename Open> Outcome read(Open open, const std::string& fileName)
{
    Outcome outcome;
    try {
        TextInputFile CountFile = open();
        outcome.count = countHeaders(CountFile);
        outcome.store.triangles.resize(static_cast<std::size_t>(outcome.count));
        TextInputFile ModelFile = open();
        test::ScriptedRuntime runtime;
        loadRecords(ModelFile, outcome.count, outcome.cursor, outcome.store, runtime);
    } catch (const RuntimeError& error) {
        if (error.line() < 1 || error.fileName() != fileName)
            std::abort();
        outcome.error = error.number();
        outcome.line = error.line();
        outcome.detail = error.detail();
    }
    if (outcome.cursor < 0 || outcome.cursor > 3 * outcome.count)
        std::abort();
    return outcome;
}

} // namespace triview::fuzz
