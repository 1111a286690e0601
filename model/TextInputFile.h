// A text file opened for sequential input, the way the tri readers use it:
// lines, number fields and header lines, read through a FileWindow, so
// that memory does not grow with the file, however large. Lines end with
// CR LF, a lone CR or a lone LF; a UTF-8 byte-order mark at the start is
// skipped.
#pragma once

#include "model/FileWindow.h"

#include <cstddef>
#include <cstdint>
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
    static constexpr std::size_t kWindowBytes = FileWindow::kWindowBytes;

    // Raises as FileWindow does when the file cannot be opened or read.
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
    // text is not empty and holds no line end. Only where lines start is
    // it compared, so what the lines hold does not slow it down.
    bool skipPastLine(std::string_view text);

    // Whether the last thing read was a line end.
    bool afterLineEnd() const;

    // True when nothing is left to read.
    bool eof();

    // The 1-based line of the next character to be read.
    std::int64_t line()
    {
        return m_lineAt == m_window.offsetOf(m_pos) ? m_lines.line : catchUpLine();
    }
    const std::string& fileName() const { return m_window.fileName(); }

private:
    explicit TextInputFile(FileWindow window);

    const char* at(std::size_t index) const { return m_window.data() + index; }
    void moveOn(FileWindow::Holes holes = FileWindow::Holes::Read)
    {
        m_window.moveOn(m_pos, holes);
    }
    std::int64_t catchUpLine();
    void consumeLineEnd();
    void readLongField(float& value);
    [[noreturn]] void raise(int number, std::int64_t line, std::string detail = {}) const;
    [[noreturn]] void raisePastEnd();
    [[noreturn, gnu::cold]] void raiseBadField(
        int number, const char* begin, const char* end, bool whole) const;

    FileWindow m_window;
    std::size_t m_pos = 0; // the next byte to read, in the window
    std::size_t m_lookahead; // what a field may need before it is read the slow way

    // m_lines counts the lines up to file offset m_lineAt; skipPastLine
    // leaves it behind and line() catches up only when asked.
    LineCount m_lines;
    std::uint64_t m_lineAt = 0;
};

} // namespace triview
