// The tri reader: reading rules, counting, loading into a store, the packed
// colour, the limits and the errors with their file and line.
#include "ScriptedRuntime.h"
#include "TempFile.h"
#include "runtime/RuntimeError.h"
#include "model/TextInputFile.h"
#include "model/TriReader.h"

#include <cfloat>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace triview {
namespace {

struct Raised
{
    std::int32_t number = 0;
    int line = 0;
    std::string fileName;
    std::string detail;
};

std::optional<Raised> raised(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const RuntimeError& error) {
        return Raised { error.number(), error.line(), error.fileName(), error.detail() };
    }
    return std::nullopt;
}

// ---- Reading numbers -------------------------------------------------------

struct NumbersCase
{
    const char* name;
    std::string text;
    std::vector<float> expected; // read in groups of six
};

void PrintTo(const NumbersCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReadNumbers : public testing::TestWithParam<NumbersCase>
{
};

TEST_P(ReadNumbers, GivesTheNearestFloats)
{
    const NumbersCase& c = GetParam();
    TextInputFile file = TextInputFile::fromText("numbers.tri", c.text);
    std::vector<float> read(c.expected.size());
    for (std::size_t i = 0; i < read.size(); i += 6)
        file.inputNumbers(std::span<float>(read).subspan(i, 6));
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i], c.expected[i]) << "number " << i;
        EXPECT_EQ(std::signbit(read[i]), std::signbit(c.expected[i])) << "number " << i;
    }
    EXPECT_TRUE(file.eof());
}

INSTANTIATE_TEST_SUITE_P(Rules, ReadNumbers,
    testing::Values(NumbersCase { "Blanks", "1 2 3 4 5 6\r\n", { 1, 2, 3, 4, 5, 6 } },
        NumbersCase { "Commas", "1,2,3,4,5,6\r\n", { 1, 2, 3, 4, 5, 6 } },
        NumbersCase { "BlanksAroundCommas", "  1 , 2,  3 ,4,5 , 6  \r\n", { 1, 2, 3, 4, 5, 6 } },
        NumbersCase { "Tabs", "1\t2\t3\t4\t5\t6\r\n", { 1, 2, 3, 4, 5, 6 } },
        NumbersCase { "GroupOverTwoLines", "1,2,3\r\n4 5 6\r\n", { 1, 2, 3, 4, 5, 6 } },
        NumbersCase { "GroupOverSixLines", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n", { 1, 2, 3, 4, 5, 6 } },
        NumbersCase { "LoneCrEndsLines", "1,2,3\r4,5,6\r", { 1, 2, 3, 4, 5, 6 } },
        NumbersCase { "LoneLfEndsLines", "1,2,3\n4,5,6\n", { 1, 2, 3, 4, 5, 6 } },
        NumbersCase { "EndOfFileEndsTheField", "1,2,3,4,5,6", { 1, 2, 3, 4, 5, 6 } },
        NumbersCase { "SignsPointsExponents", "-1.5,+2,3e2,-4E-1,.5,6.\r\n",
            { -1.5f, 2, 300, -0.4f, 0.5f, 6 } },
        NumbersCase { "NearestFloat", "0.1 16777217 3.4028235e38 1e-45 -0 2.5e+1\r\n",
            { 0.1f, 16777216.0f, FLT_MAX, 1.4e-45f, -0.0f, 25 } },
        NumbersCase { "UnderflowReadsAsZero", "1e-50 -1e-50 1e-400 -1e-400 0.5e-45 7.1e-46\r\n",
            { 0, -0.0f, 0, -0.0f, 0, 1.4e-45f } },
        NumbersCase { "TwoGroups", "1,2,3,4,5,6\r\n7,8,9,10,11,12\r\n",
            { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 } }),
    [](const auto& info) { return std::string(info.param.name); });

struct BadNumbersCase
{
    const char* name;
    std::string text;
    std::int32_t error;
    int line;
    std::string detailHas;
};

void PrintTo(const BadNumbersCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReadBadNumbers : public testing::TestWithParam<BadNumbersCase>
{
};

TEST_P(ReadBadNumbers, RaisesWithFileAndLine)
{
    const BadNumbersCase& c = GetParam();
    TextInputFile file = TextInputFile::fromText("bad.tri", c.text);
    float group[6];
    const auto error = raised([&] { file.inputNumbers(group); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number, c.error);
    EXPECT_EQ(error->line, c.line);
    EXPECT_EQ(error->fileName, "bad.tri");
    EXPECT_NE(error->detail.find(c.detailHas), std::string::npos) << error->detail;
}

INSTANTIATE_TEST_SUITE_P(Rules, ReadBadNumbers,
    testing::Values(BadNumbersCase { "EmptyField", "1,,3,4,5,6\r\n", err::TypeMismatch, 1, "空" },
        BadNumbersCase { "EmptyLineInGroup", "1,2,3\r\n\r\n4,5,6\r\n", err::TypeMismatch, 2, "空" },
        BadNumbersCase { "Word", "1,2\r\n3,abc,5,6\r\n", err::TypeMismatch, 2, "\"abc\"" },
        BadNumbersCase { "NumberThenText", "1,2,3x,4,5,6\r\n", err::TypeMismatch, 1, "\"3x\"" },
        BadNumbersCase { "Infinity", "inf,2,3,4,5,6\r\n", err::TypeMismatch, 1, "\"inf\"" },
        BadNumbersCase { "NotANumber", "-nan,2,3,4,5,6\r\n", err::TypeMismatch, 1, "\"-nan\"" },
        BadNumbersCase { "Hexadecimal", "0x10,2,3,4,5,6\r\n", err::TypeMismatch, 1, "\"0x10\"" },
        BadNumbersCase { "TwoSigns", "+-1,2,3,4,5,6\r\n", err::TypeMismatch, 1, "\"+-1\"" },
        BadNumbersCase { "LonePoint", ".,2,3,4,5,6\r\n", err::TypeMismatch, 1, "\".\"" },
        BadNumbersCase {
            "ExponentWithoutDigits", "1e,2,3,4,5,6\r\n", err::TypeMismatch, 1, "\"1e\"" },
        BadNumbersCase { "Quoted", "\"1\",2,3,4,5,6\r\n", err::TypeMismatch, 1, "\"\"1\"\"" },
        BadNumbersCase {
            "BeyondFloat", "1,2,3,3.4028236e38,5,6\r\n", err::Overflow, 1, "3.4028236e38" },
        BadNumbersCase { "BeyondDouble", "-1e400,2,3,4,5,6\r\n", err::Overflow, 1, "-1e400" },
        BadNumbersCase {
            "BigWithoutExponent", std::string(400, '9') + ",2,3,4,5,6", err::Overflow, 1, "999" },
        BadNumbersCase { "PastTheEnd", "1,2,3\r\n", err::InputPastEndOfFile, 1, "" },
        BadNumbersCase { "OnlyBlanksLeft", "1,2,3,4,5   ", err::InputPastEndOfFile, 1, "" },
        BadNumbersCase {
            "LineCountOverMixedEnds", "1\r2\n3\r\n4\r\n5,x", err::TypeMismatch, 5, "\"x\"" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadLines, LineEndsAreConsumedAndTheEndRaises)
{
    TextInputFile file
        = TextInputFile::fromText("lines.tri", "\xEF\xBB\xBFTriangle\r\nb\rc\n\r\nlast");
    EXPECT_EQ(file.lineInput(), "Triangle"); // the byte-order mark is not part of the line
    EXPECT_EQ(file.lineInput(), "b");
    EXPECT_EQ(file.lineInput(), "c");
    EXPECT_EQ(file.lineInput(), "");
    EXPECT_EQ(file.line(), 5);
    EXPECT_FALSE(file.eof());
    EXPECT_EQ(file.lineInput(), "last");
    EXPECT_TRUE(file.eof());
    const auto error = raised([&] { file.lineInput(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, err::InputPastEndOfFile);
}

// ---- Opening -----------------------------------------------------------------

TEST(OpenFile, NamesWhyItCannot)
{
    const test::TempDir dir;
    const struct
    {
        std::string name;
        std::int32_t error;
    } cases[] = {
        { (dir.path() / "missing.tri").string(), err::FileNotFound },
        { "   ", err::FileNotFound },
        { (dir.path() / "no-such-folder" / "model.tri").string(), err::PathNotFound },
        { dir.path().string(), err::PathFileAccess },
        { "/dev/zero", err::PathFileAccess },
    };
    for (const auto& c : cases) {
        const auto error = raised([&] { counttri(c.name); });
        ASSERT_TRUE(error) << c.name;
        EXPECT_EQ(error->number, c.error) << c.name;
        EXPECT_EQ(error->fileName, c.name);
    }
}

// ---- Counting ----------------------------------------------------------------

TEST(Counttri, CountsOnlyExactHeaderLines)
{
    const test::TempDir dir;
    const struct
    {
        const char* name;
        std::string text;
        std::int16_t count;
    } cases[] = {
        { "Empty", "", 0 },
        { "NoHeader", "1,2,3,4,5,6\r\n", 0 },
        { "Three", "Triangle\r\nx\r\nTriangle\r\nTriangle\r\n", 3 },
        { "NoFinalLineEnd", "Triangle\r\nTriangle", 2 },
        { "LoneCrAndLf", "Triangle\rTriangle\nTriangle", 3 },
        { "ByteOrderMark", "\xEF\xBB\xBFTriangle\r\n", 1 },
        { "CaseAndBlanksDiffer",
            "triangle\r\nTRIANGLE\r\n Triangle\r\nTriangle \r\nTriangle\t\r\nTriangles\r\n", 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(counttri(dir.write(c.name, c.text)), c.count) << c.name;
}

std::string repeated(const std::string& text, int times)
{
    std::string all;
    all.reserve(text.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

TEST(Counttri, CountsUpTo32767AndOverflowsAtTheNextHeader)
{
    const test::TempDir dir;
    EXPECT_EQ(counttri(dir.write("max.tri", repeated("Triangle\r\n", 32767))), 32767);

    const std::string name = dir.write("over.tri", "x\r\n" + repeated("Triangle\r\n", 32768));
    const auto error = raised([&] { counttri(name); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, err::Overflow);
    EXPECT_EQ(error->line, 32769);
    EXPECT_EQ(error->fileName, name);
}

// ---- Packed colour -------------------------------------------------------------

TEST(PackedColour, FormsRedGreenBlueWithTiesToEven)
{
    const struct
    {
        float c0, c1, c2;
        std::int32_t packed;
    } cases[] = {
        { 255, 0, 0, 0x00FF0000 }, { 0, 128, 255, 0x000080FF }, { 255, 255, 255, 0x00FFFFFF },
        { -1, 0, 0, -65536 }, { 0, 0, 0.5f, 0 }, { 0, 0, 1.5f, 2 }, { 0, 0, 2.5f, 2 },
        { 0, 0.5f / 256, 0, 0 }, // green term 0.5 -> 0
        { 1.5f / 65536, 0, 0, 2 }, // red term 1.5 -> 2
        { -32768, 0, 0, INT32_MIN },
        { 300, 0, 0, 300 * 65536 }, // beyond 255 spills into the next byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(packedColour(c.c0, c.c1, c.c2), c.packed) << c.c0 << "," << c.c1 << "," << c.c2;
}

TEST(PackedColour, OverflowsBeyondThirtyTwoBits)
{
    for (const auto& [c0, c1, c2] :
        { std::tuple { 32768.0f, 0.0f, 0.0f }, std::tuple { 32767.0f, 255.0f, 256.0f },
            std::tuple { -32768.0f, 0.0f, -1.0f }, std::tuple { 0.0f, 1e30f, 0.0f } }) {
        const auto error = raised([&] { packedColour(c0, c1, c2); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number, err::Overflow);
    }
}

// ---- Loading -------------------------------------------------------------------

class RecordingStore : public TriangleSink
{
public:
    struct Call
    {
        TriangleRecord triangle;
        int cursor; // -1 for InitGeometry
    };
    std::vector<Call> calls;
    VbBoolean answerFirst = vbTrue;
    VbBoolean answerFurther = vbTrue;

    VbBoolean InitGeometry(const TriangleRecord& triangle) override
    {
        calls.push_back({ triangle, -1 });
        return answerFirst;
    }
    VbBoolean InitGeometry2(const TriangleRecord& triangle, std::int16_t VertexCursor) override
    {
        calls.push_back({ triangle, VertexCursor });
        return answerFurther;
    }
};

std::string record(int k, const char* colour = "255,0,0,0,0,0")
{
    const std::string n = std::to_string(k);
    return "Triangle\r\n" + std::string(colour) + "\r\n" + n + ",1,2,0,0,0\r\n" + n
        + ",3,4,0,0,0\r\n" + n + ",5,6,0,0,0\r\n";
}

std::string records(int count)
{
    std::string text;
    for (int k = 0; k < count; ++k)
        text += record(k);
    return text;
}

struct Load
{
    test::TempDir dir;
    test::ScriptedRuntime runtime;
    RecordingStore store;
    std::int16_t cursor = 0;
    std::string name;

    std::optional<Raised> run(const std::string& text, std::int16_t count)
    {
        name = dir.write("model.tri", text);
        return raised([&] { loadtri(name, count, cursor, store, runtime); });
    }
};

TEST(Loadtri, StoresEveryRecordInFileOrder)
{
    Load load;
    ASSERT_FALSE(load.run(record(0, "0,128,255,9,9,9") + record(1) + record(2), 3));
    ASSERT_EQ(load.store.calls.size(), 3u);
    EXPECT_EQ(load.store.calls[0].cursor, -1);
    EXPECT_EQ(load.store.calls[1].cursor, 3);
    EXPECT_EQ(load.store.calls[2].cursor, 6);
    EXPECT_EQ(load.cursor, 9);
    EXPECT_EQ(load.store.calls[0].triangle.packedColour, 0x000080FF);
    EXPECT_EQ(load.store.calls[1].triangle.packedColour, 0x00FF0000);
    for (int k = 0; k < 3; ++k) {
        const auto& corners = load.store.calls[k].triangle.corners;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(corners[i].x, k);
            EXPECT_EQ(corners[i].y, 2 * i + 1);
            EXPECT_EQ(corners[i].z, 2 * i + 2);
        }
    }
    EXPECT_TRUE(load.runtime.messages.empty());
}

TEST(Loadtri, LayoutOfTheNumbersDoesNotMatter)
{
    Load blanks, spread;
    ASSERT_FALSE(
        blanks.run("Triangle\r\n1 2 3 4 5 6\r\n7 8 9 0 0 0\r\n1 2 3 0 0 0\r\n4 5 6 0 0 0\r\n", 1));
    // Colour and corners split three and three over lines, bare LF line ends.
    ASSERT_FALSE(spread.run("Triangle\n1,2,3\n4,5,6\n7,8,9\n0,0,0\n1,2,3\n0,0,0\n4,5,6\n0,0,0", 1));
    ASSERT_EQ(spread.store.calls.size(), 1u);
    const TriangleRecord& a = blanks.store.calls[0].triangle;
    const TriangleRecord& b = spread.store.calls[0].triangle;
    EXPECT_EQ(a.packedColour, b.packedColour);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(a.corners[i].x, b.corners[i].x);
        EXPECT_EQ(a.corners[i].y, b.corners[i].y);
        EXPECT_EQ(a.corners[i].z, b.corners[i].z);
    }
}

TEST(Loadtri, RestOfTheLastLineIsTheNextHeader)
{
    Load load;
    const std::string text
        = "Triangle\r\n0,0,0,0,0,0\r\n1,1,1,0,0,0\r\n2,2,2,0,0,0\r\n3,3,3,0,0,0 ignored\r\n"
          "9,9,9,0,0,0\r\n4,4,4,0,0,0\r\n5,5,5,0,0,0\r\n6,6,6,0,0,0\r\n";
    ASSERT_FALSE(load.run(text, 2));
    ASSERT_EQ(load.store.calls.size(), 2u);
    EXPECT_EQ(load.store.calls[1].triangle.corners[0].x, 4);
}

TEST(Loadtri, EndOfFileCases)
{
    const struct
    {
        const char* name;
        std::string text;
        std::size_t stored;
        int line;
    } cases[] = {
        { "EmptyFile", "", 0, 1 },
        { "TrailingEmptyLine", records(2) + "\r\n", 2, 11 },
        { "ShortLastRecord", records(1) + "Triangle\r\n1,2,3,4,5,6\r\n1,2,3\r\n", 1, 8 },
        { "HeaderOnly", records(1) + "Triangle", 1, 6 },
    };
    for (const auto& c : cases) {
        Load load;
        const auto error = load.run(c.text, 3);
        ASSERT_TRUE(error) << c.name;
        EXPECT_EQ(error->number, err::InputPastEndOfFile) << c.name;
        EXPECT_EQ(error->line, c.line) << c.name;
        EXPECT_EQ(error->fileName, load.name) << c.name;
        EXPECT_EQ(load.store.calls.size(), c.stored) << c.name;
    }
}

TEST(Loadtri, ColourOverflowNamesTheColourLine)
{
    Load load;
    const auto error = load.run(record(0) + record(1, "32768,0,0,0,0,0"), 2);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, err::Overflow);
    EXPECT_EQ(error->line, 7);
    EXPECT_EQ(load.store.calls.size(), 1u);
}

TEST(Loadtri, LoadsTheLast10922ndTriangleAndOverflowsAtThe10923rd)
{
    Load fits;
    ASSERT_FALSE(fits.run(records(10922), 10922));
    EXPECT_EQ(fits.cursor, 32766);
    EXPECT_EQ(fits.store.calls.size(), 10922u);

    Load over;
    const auto error = over.run(records(10923), 10923);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, err::Overflow);
    EXPECT_EQ(error->line, 5 * 10922 + 1);
    // The cursor passes 32767 after the triangle went to the store.
    EXPECT_EQ(over.store.calls.size(), 10923u);
    EXPECT_EQ(over.cursor, 32766);
}

TEST(Loadtri, NeverStoresMoreTrianglesThanTheBufferHolds)
{
    const struct
    {
        const char* name;
        std::string text;
        std::int16_t count;
        std::size_t stored;
        int line;
    } cases[] = {
        { "MoreRecordsThanHeaders", records(2) + record(2), 2, 2, 11 },
        { "NoCountedHeader",
            "triangle\r\n1,2,3,4,5,6\r\n1,2,3,4,5,6\r\n1,2,3,4,5,6\r\n1,2,3,4,5,6\r\n", 0, 0, 1 },
    };
    for (const auto& c : cases) {
        Load load;
        const auto error = load.run(c.text, c.count);
        ASSERT_TRUE(error) << c.name;
        EXPECT_EQ(error->number, err::SubscriptOutOfRange) << c.name;
        EXPECT_EQ(error->line, c.line) << c.name;
        EXPECT_EQ(load.store.calls.size(), c.stored) << c.name;
        EXPECT_LE(load.cursor, 3 * c.count) << c.name;
    }
}

TEST(Loadtri, FalseStoreAnswerShowsTheMessageAndEndsAfterTheCursorMoved)
{
    for (const bool failFirst : { true, false }) {
        Load load;
        (failFirst ? load.store.answerFirst : load.store.answerFurther) = vbFalse;
        int exitStatus = 0;
        try {
            load.run(records(3), 3);
            ADD_FAILURE() << "the program did not end";
        } catch (const ProgramEnded& ended) {
            exitStatus = ended.exitStatus;
        }
        EXPECT_NE(exitStatus, 0);
        ASSERT_EQ(load.runtime.messages.size(), 1u);
        EXPECT_EQ(load.runtime.messages[0].text, "不能建立D3D VertexBuffer");
        EXPECT_FALSE(load.runtime.messages[0].title.has_value());
        EXPECT_EQ(load.cursor, failFirst ? 3 : 6);
        EXPECT_EQ(load.store.calls.size(), failFirst ? 1u : 2u);
    }
}

} // namespace
} // namespace triview
