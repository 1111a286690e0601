// libFuzzer target over the tri reader: any input counts and loads into a
// store of exactly the counted size, or stops with a runtime error. A crash,
// a sanitizer report or a store outside the buffer is a finding.
#include "ScriptedRuntime.h"
#include "runtime/RuntimeError.h"
#include "model/TextInputFile.h"
#include "model/TriReader.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace triview;

// Keeps the triangles in a vector of exactly TriangleCount entries, written
// only through at(), so a store past the end aborts.
class BoundedStore : public TriangleSink
{
public:
    explicit BoundedStore(std::int16_t count)
        : m_triangles(static_cast<std::size_t>(count))
    { }
    VbBoolean InitGeometry(const TriangleRecord& triangle) override
    {
        if (m_triangles.empty())
            std::abort();
        m_triangles.at(0) = triangle;
        return vbTrue;
    }
    VbBoolean InitGeometry2(const TriangleRecord& triangle, std::int16_t VertexCursor) override
    {
        if (VertexCursor < 0 || VertexCursor % 3 != 0)
            std::abort();
        m_triangles.at(static_cast<std::size_t>(VertexCursor / 3)) = triangle;
        return vbTrue;
    }

private:
    std::vector<TriangleRecord> m_triangles;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::int16_t count = 0;
    try {
        TextInputFile CountFile = TextInputFile::fromText("fuzz.tri", text);
        count = countHeaders(CountFile);
    } catch (const RuntimeError&) {
        return 0;
    }
    test::ScriptedRuntime runtime;
    BoundedStore store(count);
    std::int16_t cursor = 0;
    try {
        TextInputFile ModelFile = TextInputFile::fromText("fuzz.tri", text);
        loadRecords(ModelFile, count, cursor, store, runtime);
    } catch (const RuntimeError& error) {
        if (error.line() < 1 || error.fileName() != "fuzz.tri")
            std::abort(); // every reading error names its place
    }
    if (cursor < 0 || cursor > 3 * count)
        std::abort();
    return 0;
}
