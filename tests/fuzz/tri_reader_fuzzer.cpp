// libFuzzer target over the tri reader: any input counts and loads into a
// store of exactly the counted size, or stops with a runtime error that
// names its place. A crash, a sanitizer report or a store outside the
// counted triangles is a finding.
#include "ScriptedRuntime.h"
#include "model/TextInputFile.h"
#include "model/TriReader.h"
#include "runtime/RuntimeError.h"

#include <cstdlib>

namespace {

using namespace triview;

// Only at() writes, so a triangle past the count aborts.
struct BoundedStore : TriangleSink
{
    std::vector<TriangleRecord> triangles;
    VbBoolean InitGeometry(const TriangleRecord& t) override { return InitGeometry2(t, 0); }
    VbBoolean InitGeometry2(const TriangleRecord& t, std::int16_t VertexCursor) override
    {
        if (VertexCursor < 0 || VertexCursor % 3 != 0)
            std::abort();
        triangles.at(static_cast<std::size_t>(VertexCursor / 3)) = t;
        return vbTrue;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    BoundedStore store;
    std::int16_t count = 0, cursor = 0;
    try {
        TextInputFile CountFile = TextInputFile::fromText("fuzz.tri", text);
        count = countHeaders(CountFile);
        store.triangles.resize(static_cast<std::size_t>(count));
        TextInputFile ModelFile = TextInputFile::fromText("fuzz.tri", text);
        test::ScriptedRuntime runtime;
        loadRecords(ModelFile, count, cursor, store, runtime);
    } catch (const RuntimeError& error) {
        if (error.line() < 1 || error.fileName() != "fuzz.tri")
            std::abort(); // every reading error names its place
    }
    if (cursor < 0 || cursor > 3 * count)
        std::abort();
    return 0;
}
