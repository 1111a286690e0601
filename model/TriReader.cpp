#include "model/TriReader.h"

#include "model/TextInputFile.h"
#include "runtime/CheckedMath.h"
#include "runtime/RuntimeError.h"

#include <string_view>

namespace triview {

namespace {

constexpr std::string_view header = "Triangle";

// Runs fn, giving an overflow it raises without a place the file and line:
// the record's numbers caused it.
template <typename Fn> auto atLine(const TextInputFile& file, std::int64_t line, Fn&& fn)
{
    try {
        return fn();
    } catch (const RuntimeError& e) {
        if (!e.fileName().empty() || e.number() != err::Overflow)
            throw;
        throw RuntimeError(e.number(), file.fileName(), line, e.detail());
    }
}

// A record and the line its colour group starts on.
struct Record
{
    TriangleRecord triangle;
    std::int64_t colourLine;
};

// Header line, colour group and three corners; the fourth to sixth number of
// each group are read and dropped.
Record readRecord(TextInputFile& file)
{
    float group[6];
    Record record {};
    file.skipLine(); // the header: its content is not looked at
    record.colourLine = file.line();
    file.inputNumbers(group);
    record.triangle.packedColour = atLine(
        file, record.colourLine, [&] { return packedColour(group[0], group[1], group[2]); });
    for (Corner& corner : record.triangle.corners) {
        file.inputNumbers(group);
        corner = { group[0], group[1], group[2] };
    }
    return record;
}

} // namespace

std::int16_t counttri(const std::string& ModelFileName)
{
    TextInputFile CountFile(ModelFileName);
    return countHeaders(CountFile);
}

std::int16_t countHeaders(TextInputFile& CountFile)
{
    std::int16_t count = 0;
    // Lines other than headers only need skipping.
    while (CountFile.skipPastLine(header)) {
        try {
            count = checked::add16(count, 1);
        } catch (const RuntimeError& error) {
            // The header just passed is the line before, unless it ended
            // the file without a line end.
            const std::int64_t line = CountFile.line() - (CountFile.afterLineEnd() ? 1 : 0);
            throw RuntimeError(error.number(), CountFile.fileName(), line,
                "「Triangle」標頭行多於 32767 行,超出三角形數的上限");
        }
    }
    return count;
}

VbBoolean loadtri(const std::string& ModelFileName, std::int16_t TriangleCount,
    std::int16_t& VertexCursor, TriangleSink& store)
{
    TextInputFile ModelFile(ModelFileName);
    return loadRecords(ModelFile, TriangleCount, VertexCursor, store);
}

VbBoolean loadRecords(TextInputFile& ModelFile, std::int16_t TriangleCount,
    std::int16_t& VertexCursor, TriangleSink& store)
{
    const std::int32_t capacity = 3 * std::int32_t { TriangleCount };
    bool first = true; // the first record is read with no end-of-file test before it
    while (first || !ModelFile.eof()) {
        const std::int64_t recordLine = ModelFile.line();
        const Record record = readRecord(ModelFile);
        // The buffer holds TriangleCount triangles, one per counted header;
        // a file with more records than that must not write past it.
        if (VertexCursor + 3 > capacity)
            throw RuntimeError(err::SubscriptOutOfRange, ModelFile.fileName(), recordLine,
                "三角形記錄多於「Triangle」標頭行,頂點緩衝區放不下這一筆");
        // The store's colour, too, comes from the record.
        const VbBoolean stored = atLine(ModelFile, record.colourLine, [&] {
            return first ? store.InitGeometry(record.triangle)
                         : store.InitGeometry2(record.triangle, VertexCursor);
        });
        VertexCursor = atLine(ModelFile, recordLine, [&] {
            try {
                return checked::add16(VertexCursor, 3);
            } catch (const RuntimeError& error) {
                throw RuntimeError(error.number(), "三角形多於 10922 個,超出頂點數的上限 32767");
            }
        });
        if (stored == vbFalse)
            return vbFalse;
        first = false;
    }
    return vbTrue;
}

std::int32_t packedColour(float c0, float c1, float c2)
{
    // The products of a float by powers of two are exact in double and
    // cannot overflow it, so the only fault is a term beyond 32 bits, which
    // toInt32 raises (also for an infinite or NaN component). A test of the
    // floating-point status here could never fire and costs more than the
    // rest of the record.
    const std::int32_t redTerm = checked::toInt32(static_cast<double>(c0) * 256.0 * 256.0);
    const std::int32_t greenTerm = checked::toInt32(static_cast<double>(c1) * 256.0);
    const std::int32_t blueTerm = checked::toInt32(c2);
    return checked::add32(checked::add32(redTerm, greenTerm), blueTerm);
}

} // namespace triview
