// A text file opened for sequential input, the way the tri readers use it:
// read whole when opened, then taken line by line or field by field from
// memory. Lines end with CR LF, a lone CR or a lone LF; a UTF-8 byte-order
// mark at the start is skipped.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace triview {

class TextInputFile
{
public:
    // Raises RuntimeError: 53 when no file has that name, 76 when its folder
    // does not exist, 75 for a folder, a special file or no permission, 57
    // when reading fails, 7 when the file does not fit in memory.
    explicit TextInputFile(std::string fileName);

    // Wraps text already in memory; fileName only names it in errors.
    static TextInputFile fromText(std::string fileName, std::string text);

    // The characters up to the next line end; the line end is consumed.
    // Raises 62 when nothing is left, naming the line the file ends on.
    std::string_view lineInput();

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
    bool eof() const { return m_pos == m_text.size(); }

    // The 1-based line of the next character to be read.
    int line() const;
    const std::string& fileName() const { return m_fileName; }

private:
    struct FromText
    {
    };
    TextInputFile(FromText, std::string fileName, std::string text);

    // Reads the number starting at begin into value; answers where it ends.
    // Errors name m_line, which inputNumbers keeps current.
    const char* parseNumber(const char* begin, const char* end, float& value) const;
    [[noreturn]] void raise(int number, int line, std::string detail = {}) const;
    [[noreturn]] void raisePastEnd() const;
    [[noreturn, gnu::cold]] void raiseBadField(
        int number, const char* begin, const char* end) const;
    bool consumeLineEnd();
    void catchUpLine() const;

    std::string m_fileName;
    std::string m_text;
    std::size_t m_pos = 0;
    // m_line is the line at offset m_lineAt; skipPastLine leaves it behind
    // and line() catches up only when asked.
    mutable int m_line = 1;
    mutable std::size_t m_lineAt = 0;
};

} // namespace triview
