// The tri reader: the reading rules (the same through a window of any size),
// counting, loading into a store, the packed colour, the limits, every error
// with its file, line and reason, and memory that does not grow with the file.
#include "Raised.h"
#include "RecordingSink.h"
#include "TempFile.h"
#include "model/TextInputFile.h"
#include "model/TriReader.h"
#include "model/TriVertex.h"

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace triview {
namespace {

// The whole text in one window, and windows small enough that every field
// and line straddles two of them, and most fields are read the long way.
constexpr std::size_t kWindows[] = { TextInputFile::kWindowBytes, 32, 45 };

TEST(ReadNumbers, GiveTheNearestFloatsWhereverTheLineEndsFall)
{
    const std::pair<std::string, std::vector<float>> cases[] = {
        { "  1 , 2,  3 ,4,5\t6  \r\n", { 1, 2, 3, 4, 5, 6 } },
        { "1\r\n2\r\n3\r4\n5\r\n6\r\n", { 1, 2, 3, 4, 5, 6 } },
        { "1,2,3,4,5,6\r\n7 8 9 10 11 12", { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 } },
        { "-1.5,+2e0,3e2,-4E-1,.5,6.\r\n", { -1.5f, 2, 300, -0.4f, 0.5f, 6 } },
        { "0.1 16777217 3.4028235e38 1e-45 -0 2.5e+1\r\n",
            { 0.1f, 16777216.0f, FLT_MAX, 1.4e-45f, -0.0f, 25 } },
        // Eight digits: the nearest float, not the quotient of a rounded 16786583.
        { "1678658.3 1 2 3 4 5\r\n", { 1678658.25f, 1, 2, 3, 4, 5 } },
        // Below the float range a number reads as the nearest float, zero or subnormal.
        { "1e-50 -1e-50 1e-400 -1e-400 0.5e-45 7.1e-46\r\n", { 0, -0.0f, 0, -0.0f, 0, 1.4e-45f } },
        // Longer than any window: only the first 800 digits and the rest's
        // being zero or not decide the value.
        { "0.000" + std::string(300, '0') + "1e304 " + std::string(900, '1') + "e-899 "
                + std::string(600, '0') + "3 1." + std::string(2000, '0') + "1 -0.0"
                + std::string(500, '0') + " 16777217" + std::string(950, '0') + "e-950",
            { 1, static_cast<float>(10.0 / 9.0), 3, 1, -0.0f, 16777216.0f } },
        { "16777217." + std::string(1000, '0') + "1 +1" + std::string(40, '\t') + "2 3 4 5",
            { 16777218.0f, 1, 2, 3, 4, 5 } },
    };
    for (const auto& [text, expected] : cases)
        for (const std::size_t window : kWindows) {
            SCOPED_TRACE(text.substr(0, 60) + " in a window of " + std::to_string(window));
            TextInputFile file = TextInputFile::fromText("numbers.tri", text, window);
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
        { "1,2,1." + std::string(900, '0') + "5x", err::TypeMismatch, 1, "\"1.0000" },
        { "1,2,1." + std::string(900, '0') + "e,4,5,6", err::TypeMismatch, 1, "0000…\"" },
        // Cut on a character boundary, and shown so that it cannot reorder the report.
        { "一二三四五六七八九十一二三四", err::TypeMismatch, 1, "\"一二三四五六七八九十一二三…\"" },
        { "1.0\xE2\x80\xAE", err::TypeMismatch, 1, "\"1.0U+202E\"" },
        { "\x01\xFF", err::TypeMismatch, 1, "\"U+0001\\xFF\"" },
        { "1,2,3\r\n", err::InputPastEndOfFile, 1, "" },
        { "1,2,3,4,5   ", err::InputPastEndOfFile, 1, "" },
    };
    for (const auto& c : cases)
        for (const std::size_t window : kWindows) {
            SCOPED_TRACE(c.text.substr(0, 40) + " in a window of " + std::to_string(window));
            TextInputFile file = TextInputFile::fromText("bad.tri", c.text, window);
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
    const std::pair<std::string, std::int16_t> cases[] = {
        { "", 0 },
        { "Triangle\r\nx\r\nTriangle\r\nTriangle", 3 },
        { "Triangle\rTriangle\nx\rTriangle\rx\nTriangle\r\n", 4 },
        { "\xEF\xBB\xBFTriangle\r\n", 1 },
        { "triangle\r\nTRIANGLE\r\n Triangle\r\nTriangle \r\nTriangle\t\r\nTriangles\r\n", 0 },
        { std::string(70, 'x') + "Triangle\n" + std::string(70, ' ') + "\nTriangle", 1 },
        { repeated("Triangle\r\n", 32767), 32767 },
    };
    for (const auto& [text, count] : cases)
        for (const std::size_t window : kWindows) {
            TextInputFile file = TextInputFile::fromText("count.tri", text, window);
            EXPECT_EQ(countHeaders(file), count) << text.substr(0, 80) << " in " << window;
        }
    // The 32768th header overflows; the line counts CR LF and lone CR alike.
    for (const std::size_t window : kWindows) {
        TextInputFile file
            = TextInputFile::fromText("over.tri", "x\r\n" + repeated("Triangle\r", 32768), window);
        const auto error = test::raised([&] { countHeaders(file); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number(), err::Overflow);
        EXPECT_EQ(error->line(), 32769);
        EXPECT_NE(error->detail().find("32767"), std::string::npos); // the reason
    }
}

TEST(LineCount, CountsEveryKindOfLineEndIn64Bits)
{
    LineCount count { INT32_MAX - 1 };
    count.pass("a\r");
    count.pass("\nb\rc\n\n");
    EXPECT_EQ(count.line, std::int64_t { INT32_MAX } + 3);
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
struct Load : test::RecordingSink
{
    test::TempDir dir;
    std::int16_t cursor = 0;

    std::optional<RuntimeError> text(const std::string& text, std::int16_t count)
    {
        const std::string name = dir.write("model.tri", text);
        return test::raised([&] { loadtri(name, count, cursor, *this); });
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
        const char* reason = "";
    } cases[] = {
        { "", 3, err::InputPastEndOfFile, 1, 0 },
        { two + "\r\n", 3, err::InputPastEndOfFile, 11, 2 },
        { two + "Triangle\r\n1,2,3,4,5,6\r\n1,2,3\r\n", 3, err::InputPastEndOfFile, 13, 2 },
        { two + "Triangle", 3, err::InputPastEndOfFile, 11, 2 },
        { record(0) + record(1, "32768,0,0,0,0,0"), 2, err::Overflow, 7, 1 },
        { record(0) + record(1, "-32768,0,0,0,0,0"), 2, err::Overflow, 7, 1 }, // as stored
        { two + record(2), 2, err::SubscriptOutOfRange, 11, 2 }, // more records than headers
        { "t" + record(0).substr(1), 0, err::SubscriptOutOfRange, 1, 0 },
        // The cursor passes 32767 after the 10923rd triangle went to the store.
        { repeated(record(0), 10923), 10923, err::Overflow, 5 * 10922 + 1, 10923, "10922" },
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
        EXPECT_NE(error->detail().find(c.reason), std::string::npos);
    }
    Load fits;
    EXPECT_FALSE(fits.text(repeated(record(0), 10922), 10922));
    EXPECT_EQ(fits.cursor, 32766);
}

// This process's peak resident memory in KiB, and the bytes it has read.
long peakResidentKib()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
std::uint64_t bytesRead()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value && key != "rchar:") { }
    return value;
}

// How much of a file the page cache holds.
std::uint64_t cachedBytes(const std::string& name)
{
    const int fd = ::open(name.c_str(), O_RDONLY);
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(name));
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((size + page - 1) / page);
    ::mincore(map, size, resident.data());
    ::munmap(map, size);
    ::close(fd);
    return page * static_cast<std::uint64_t>(std::ranges::count(resident, 1));
}

TEST(BigFiles, ReadInLittleMemoryAndOnlyAsFarAsNeeded)
{
    const test::TempDir dir;
    // Four gigabytes of nothing, then a header: one line, then a colour
    // group that is not one.
    const std::string sparse = dir.write("sparse.tri", "");
    std::filesystem::resize_file(sparse, std::uint64_t { 4 } << 30);
    std::ofstream(sparse, std::ios::binary | std::ios::app) << "\r\nTriangle\r\n";
    const long before = peakResidentKib();
    EXPECT_EQ(counttri(sparse), 1);
    Load load;
    const auto error = test::raised([&] { loadtri(sparse, 1, load.cursor, load); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), err::TypeMismatch);
    EXPECT_EQ(error->line(), 2);
    EXPECT_EQ(error->detail(), "欄位內容: \"Triangle\"");
    EXPECT_LT(peakResidentKib() - before, 64 * 1024);
    // Its holes were never read: the system caches none of them.
    EXPECT_LT(cachedBytes(sparse), std::uint64_t { 64 } << 20);

    // Data read up to a long hole is looked at before the hole is passed over.
    const std::string holes = dir.write(
        "holes.tri", std::string(1200 << 10, 'x') + "\nTriangle\n" + std::string(300 << 10, 'x'));
    std::filesystem::resize_file(holes, std::uint64_t { 3 } << 20);
    std::ofstream(holes, std::ios::binary | std::ios::app) << "\nTriangle";
    EXPECT_EQ(counttri(holes), 2);
    EXPECT_LE(cachedBytes(holes), std::uint64_t { 1600 } << 10); // its data, not its hole

    // The 32768th header overflows where it stands, before what follows is read.
    const std::string headers
        = dir.write("headers.tri", repeated("Triangle\r\n", 32768) + std::string(16 << 20, '\n'));
    const std::uint64_t read = bytesRead();
    EXPECT_EQ(test::raisedNumber([&] { counttri(headers); }), err::Overflow);
    EXPECT_LT(bytesRead() - read, std::uint64_t { 4 } << 20);
}

TEST(SpecialFiles, AreRefusedUnopenedSoNoWriterWaitingOnThemIsLetGo)
{
    const test::TempDir dir;
    const std::string fifo = dir.path() / "pipe.tri";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<bool> writing = false;
    std::thread writer([&] { // blocks until a reader opens the FIFO
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        writing = true;
        ::close(fd);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the writer waits by then
    for (const std::string& name : { fifo, std::string("/dev/null"), dir.path().string() })
        EXPECT_EQ(test::raisedNumber([&] { counttri(name); }), err::PathFileAccess) << name;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(writing);
    ::close(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK)); // lets the writer go
    writer.join();
}

} // namespace
} // namespace triview
