// libFuzzer target over the tri reader. The first byte picks a small window
// and the rest is the file: it must read the same through that window as
// through one that holds it whole (same count, triangles, error, line
// and detail), every error must name its place, and the store (which keeps
// the real stored colour) must get no triangle past the count.
#include "ScriptedRuntime.h"
#include "model/TextInputFile.h"
#include "model/TriReader.h"
#include "model/TriVertex.h"
#include "runtime/RuntimeError.h"

#include <cstdlib>
#include <cstring>

namespace {

using namespace triview;

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

Outcome read(const std::string& text, std::size_t window)
{
    Outcome outcome;
    try {
        TextInputFile CountFile = TextInputFile::fromText("fuzz.tri", text, window);
        outcome.count = countHeaders(CountFile);
        outcome.store.triangles.resize(static_cast<std::size_t>(outcome.count));
        TextInputFile ModelFile = TextInputFile::fromText("fuzz.tri", text, window);
        test::ScriptedRuntime runtime;
        loadRecords(ModelFile, outcome.count, outcome.cursor, outcome.store, runtime);
    } catch (const RuntimeError& error) {
        if (error.line() < 1 || error.fileName() != "fuzz.tri")
            std::abort(); // every reading error names its place
        outcome.error = error.number();
        outcome.line = error.line();
        outcome.detail = error.detail();
    }
    if (outcome.cursor < 0 || outcome.cursor > 3 * outcome.count)
        std::abort();
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (!(read(text, text.size() + 1) == read(text, 32 + data[0] % 64)))
        std::abort(); // the window changed what was read
    return 0;
}
