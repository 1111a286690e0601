// The tri reader: the reading rules, counting, loading into a store, the
// packed colour, the limits, and every error with its file and line.
#include "Raised.h"
#include "ScriptedRuntime.h"
#include "TempFile.h"
#include "model/TextInputFile.h"
#include "model/TriReader.h"

#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>

namespace triview {
namespace {

TEST(ReadNumbers, GiveTheNearestFloatsWhereverTheLineEndsFall)
{
    const std::pair<std::string, std::vector<float>> cases[] = {
        { "  1 , 2,  3 ,4,5\t6  \r\n", { 1, 2, 3, 4, 5, 6 } },
        { "1\r\n2\r\n3\r4\n5\r\n6\r\n", { 1, 2, 3, 4, 5, 6 } },
        { "1,2,3,4,5,6\r\n7 8 9 10 11 12", { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 } },
        { "-1.5,+2,3e2,-4E-1,.5,6.\r\n", { -1.5f, 2, 300, -0.4f, 0.5f, 6 } },
        { "0.1 16777217 3.4028235e38 1e-45 -0 2.5e+1\r\n",
            { 0.1f, 16777216.0f, FLT_MAX, 1.4e-45f, -0.0f, 25 } },
        // Below the float range a number reads as the nearest float, zero or subnormal.
        { "1e-50 -1e-50 1e-400 -1e-400 0.5e-45 7.1e-46\r\n", { 0, -0.0f, 0, -0.0f, 0, 1.4e-45f } },
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        TextInputFile file = TextInputFile::fromText("numbers.tri", text);
        std::vector<float> read(expected.size());
        for (std::size_t i = 0; i < read.size(); i += 6)
            file.inputNumbers(std::span<float>(read).subspan(i, 6));
        for (std::size_t i = 0; i < read.size(); ++i)
            EXPECT_TRUE(
                read[i] == expected[i] && std::signbit(read[i]) == std::signbit(expected[i]))
                << read[i] << " is not " << expected[i];
        EXPECT_TRUE(file.eof());
    }
}

TEST(ReadNumbers, BadFieldsRaiseWithFileLineAndTheField)
{
    const struct
    {
        std::string text;
        std::int32_t error;
        int line;
        const char* detailHas;
    } cases[] = {
        { "1,,3,4,5,6\r\n", err::TypeMismatch, 1, "空" },
        { "1,2,3\r\n\r\n4,5,6\r\n", err::TypeMismatch, 2, "空" },
        { "1,2\r\n3,abc,5,6\r\n", err::TypeMismatch, 2, "\"abc\"" },
        { "1,2,3x,4,5,6\r\n", err::TypeMismatch, 1, "\"3x\"" },
        { "inf,2,3,4,5,6\r\n", err::TypeMismatch, 1, "\"inf\"" },
        { "0x10,2,3,4,5,6\r\n", err::TypeMismatch, 1, "\"0x10\"" },
        { "1\r2\n3\r\n4\r\n5,x", err::TypeMismatch, 5, "\"x\"" },
        { "1,2,3.4028236e38,4,5,6\r\n", err::Overflow, 1, "e38" },
        { "-1e400,2,3,4,5,6\r\n", err::Overflow, 1, "-1e400" },
        { std::string(400, '9'), err::Overflow, 1, "999" },
        { "1,2,3\r\n", err::InputPastEndOfFile, 1, "" },
        { "1,2,3,4,5   ", err::InputPastEndOfFile, 1, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        TextInputFile file = TextInputFile::fromText("bad.tri", c.text);
        float group[6];
        const auto error = test::raised([&] { file.inputNumbers(group); });
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->number(), c.error);
        EXPECT_EQ(error->line(), c.line);
        EXPECT_EQ(error->fileName(), "bad.tri");
        EXPECT_NE(error->detail().find(c.detailHas), std::string::npos) << error->detail();
    }
}

std::string repeated(const std::string& text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

TEST(Counttri, CountsLinesExactlyTriangleUpTo32767)
{
    const test::TempDir dir;
    const std::pair<std::string, std::int16_t> cases[] = {
        { "", 0 },
        { "Triangle\r\nx\r\nTriangle\r\nTriangle", 3 },
        { "Triangle\rTriangle\nx\rTriangle\rx\nTriangle\r\n", 4 },
        { "\xEF\xBB\xBFTriangle\r\n", 1 },
        { "triangle\r\nTRIANGLE\r\n Triangle\r\nTriangle \r\nTriangle\t\r\nTriangles\r\n", 0 },
        { repeated("Triangle\r\n", 32767), 32767 },
    };
    for (const auto& [text, count] : cases)
        EXPECT_EQ(counttri(dir.write("count.tri", text)), count) << text.substr(0, 80);
    // The 32768th header overflows; the line counts CR LF and lone CR alike.
    const std::string name = dir.write("over.tri", "x\r\n" + repeated("Triangle\r", 32768));
    const auto error = test::raised([&] { counttri(name); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), err::Overflow);
    EXPECT_EQ(error->line(), 32769);
}

TEST(PackedColour, FormsRedGreenBlueWithTiesToEvenAndOverflowsPast32Bits)
{
    const struct
    {
        float c0, c1, c2;
        std::int32_t packed; // 0: overflow
    } cases[] = { { 255, 0, 0, 0x00FF0000 }, { 0, 128, 255, 0x000080FF }, { -1, 0, 0, -65536 },
        { 0, 0, 1.5f, 2 }, { 0, 0, 2.5f, 2 }, { 0, 2.5f / 256, 0, 2 }, { 1.5f / 65536, 0, 0, 2 },
        { -32768, 0, 0, INT32_MIN }, { 300, 0, 0, 300 * 65536 }, { 32768, 0, 0, 0 },
        { 32767, 255, 256, 0 }, { -32768, 0, -1, 0 }, { 0, 1e30f, 0, 0 } };
    for (const auto& c : cases) {
        const auto error
            = test::raised([&] { EXPECT_EQ(packedColour(c.c0, c.c1, c.c2), c.packed); });
        EXPECT_EQ(error ? error->number() : 0, c.packed ? 0 : err::Overflow) << c.c0 << "," << c.c1;
    }
}

std::string record(int k, const char* colour = "255,0,0,0,0,0")
{
    const std::string n = std::to_string(k);
    return "Triangle\r\n" + std::string(colour) + "\r\n" + n + ",1,2,0,0,0\r\n" + n
        + ",3,4,0,0,0\r\n" + n + ",5,6,0,0,0\r\n";
}

// Loads text into itself, keeping each triangle with the cursor it came with.
struct Load : TriangleSink
{
    test::TempDir dir;
    test::ScriptedRuntime runtime;
    std::vector<std::pair<TriangleRecord, int>> calls; // cursor -1: InitGeometry
    std::int16_t cursor = 0;

    VbBoolean InitGeometry(const TriangleRecord& t) override { return InitGeometry2(t, -1); }
    VbBoolean InitGeometry2(const TriangleRecord& t, std::int16_t at) override
    {
        calls.emplace_back(t, at);
        return vbTrue;
    }
    std::optional<RuntimeError> text(const std::string& text, std::int16_t count)
    {
        const std::string name = dir.write("model.tri", text);
        return test::raised([&] { loadtri(name, count, cursor, *this, runtime); });
    }
};

TEST(Loadtri, StoresEveryRecordInFileOrderWhateverTheLayout)
{
    // The second record spreads its groups over lines with bare LF ends, and
    // the rest of its last line is read as the next record's header.
    const std::string spread
        = "Triangle\n255,0\n0 0,0,0\n1,1,2\n0,0,0\n1,3\n4,0,0,0\n1,5,6,0,0,0 header\n";
    Load load;
    ASSERT_FALSE(load.text(record(0, "0,128,255,9,9,9") + spread + record(2).substr(10), 3));
    ASSERT_EQ(load.calls.size(), 3u);
    EXPECT_EQ(load.cursor, 9);
    for (int k = 0; k < 3; ++k) {
        const auto& [triangle, cursor] = load.calls[k];
        EXPECT_EQ(cursor, k == 0 ? -1 : 3 * k);
        EXPECT_EQ(triangle.packedColour, k == 0 ? 0x000080FF : 0x00FF0000);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(triangle.corners[i].x, k);
            EXPECT_EQ(triangle.corners[i].y, 2 * i + 1);
            EXPECT_EQ(triangle.corners[i].z, 2 * i + 2);
        }
    }
    EXPECT_TRUE(load.runtime.messages.empty());
}

TEST(Loadtri, StopsWithTheErrorAndItsLine)
{
    const std::string two = record(0) + record(1);
    const struct
    {
        std::string text;
        std::int16_t count;
        std::int32_t error;
        int line;
        std::size_t stored;
    } cases[] = {
        { "", 3, err::InputPastEndOfFile, 1, 0 },
        { two + "\r\n", 3, err::InputPastEndOfFile, 11, 2 },
        { two + "Triangle\r\n1,2,3,4,5,6\r\n1,2,3\r\n", 3, err::InputPastEndOfFile, 13, 2 },
        { two + "Triangle", 3, err::InputPastEndOfFile, 11, 2 },
        { record(0) + record(1, "32768,0,0,0,0,0"), 2, err::Overflow, 7, 1 },
        { two + record(2), 2, err::SubscriptOutOfRange, 11, 2 }, // more records than headers
        { "t" + record(0).substr(1), 0, err::SubscriptOutOfRange, 1, 0 },
        // The cursor passes 32767 after the 10923rd triangle went to the store.
        { repeated(record(0), 10923), 10923, err::Overflow, 5 * 10922 + 1, 10923 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        Load load;
        const auto error = load.text(c.text, c.count);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number(), c.error);
        EXPECT_EQ(error->line(), c.line);
        EXPECT_EQ(error->fileName(), load.dir.path() / "model.tri");
        EXPECT_EQ(load.calls.size(), c.stored);
    }
    Load fits;
    EXPECT_FALSE(fits.text(repeated(record(0), 10922), 10922));
    EXPECT_EQ(fits.cursor, 32766);
}

} // namespace
} // namespace triview
