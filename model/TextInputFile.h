// A text file opened for sequential input, the way the tri readers use it:
// read through a window of fixed size that moves on with the reading, so
// that memory does not grow with the file, however large. Lines end with
// CR LF, a lone CR or a lone LF; a UTF-8 byte-order mark at the start is
// skipped. Besides the standard library it uses POSIX file calls: they let
// the holes of a sparse file read as zeros without the kernel filling its
// cache with them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace triview {

// Counts lines as bytes pass: CR LF, a lone CR and a lone LF each end one.
struct LineCount
{
    std::int64_t line = 1; // the line of the next byte
    bool afterCr = false; // the last byte passed was a CR: an LF next ends no line

    void pass(std::string_view bytes);
};

class TextInputFile
{
public:
    // Large enough that reading costs few calls, small enough not to matter.
    static constexpr std::size_t kWindowBytes = std::size_t { 1 } << 20;

    // Raises RuntimeError: 53 when no file has that name, 76 when its folder
    // does not exist, 75 for a folder, a special file or no permission.
    // Reading raises 57 when the file cannot be read, 7 when no window can
    // be had. windowBytes (at least 32) only matters to tests.
    explicit TextInputFile(std::string fileName, std::size_t windowBytes = kWindowBytes);

    // Text in memory, read through the same window; fileName names it in
    // errors.
    static TextInputFile fromText(
        std::string fileName, std::string text, std::size_t windowBytes = kWindowBytes);

    // Reads past the characters up to the next line end, and the line end.
    // Raises 62 when nothing is left, naming the line the file ends on.
    void skipLine();

    // Fills each target from the next field. A field ends at a comma, a blank
    // or a line end; blanks after it and then one comma or one line end are
    // consumed with it. Raises 62 when nothing is left for a field, 13 for a
    // field that is empty or not a whole decimal number, 6 for a number
    // beyond the float range. Every error names the file and line.
    void inputNumbers(std::span<float> targets);

    // From the start of a line: moves past the next line equal to text (and
    // its line end) and answers true, or moves to the end and answers false.
    // Much faster than reading the lines in between one by one.
    bool skipPastLine(std::string_view text);

    // Whether the last thing read was a line end.
    bool afterLineEnd() const;

    // True when nothing is left to read.
    bool eof();

    // The 1-based line of the next character to be read.
    std::int64_t line() { return m_lineAt == offsetOf(m_pos) ? m_lines.line : catchUpLine(); }
    const std::string& fileName() const { return m_fileName; }

private:
    TextInputFile(std::string fileName, std::string text, std::size_t windowBytes, bool inMemory);

    std::uint64_t offsetOf(std::size_t index) const { return m_windowOffset + index; }
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t bytes);
    void refill(std::size_t keepFrom);
    std::int64_t catchUpLine();
    void consumeLineEnd();
    void readLongField(float& value);
    [[noreturn]] void raise(int number, std::int64_t line, std::string detail = {}) const;
    [[noreturn]] void raisePastEnd();
    [[noreturn, gnu::cold]] void raiseBadField(
        int number, const char* begin, const char* end, bool whole) const;

    // Closes the file it holds.
    struct FileHandle
    {
        int fd = -1;
        FileHandle() = default;
        FileHandle(FileHandle&& other) noexcept;
        FileHandle& operator=(FileHandle&&) = delete;
        ~FileHandle();
    };

    std::string m_fileName;
    FileHandle m_file; // or, for text in memory:
    std::string m_text;
    bool m_inMemory;
    std::uint64_t m_fileSize = 0;

    // The window holds the bytes from file offset m_windowOffset on;
    // m_before is the byte just before them (0 at the start).
    std::unique_ptr<char[]> m_window;
    std::size_t m_capacity;
    std::size_t m_lookahead; // what a field may need before it is read the slow way
    std::size_t m_size = 0;
    std::size_t m_pos = 0;
    std::uint64_t m_windowOffset = 0;
    char m_before = 0;
    bool m_exhausted = false;

    // m_lines counts the lines up to file offset m_lineAt; skipPastLine
    // leaves it behind and line() catches up only when asked.
    LineCount m_lines;
    std::uint64_t m_lineAt = 0;
};

} // namespace triview
