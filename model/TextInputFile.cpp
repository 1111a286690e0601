#include "model/TextInputFile.h"

#include "runtime/RuntimeError.h"

#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <system_error>

namespace triview {

namespace fs = std::filesystem;

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

constexpr auto fieldEnds = [] {
    std::array<bool, 256> ends {};
    for (const unsigned char c : { ',', ' ', '\t', '\r', '\n' })
        ends[c] = true;
    return ends;
}();

bool endsField(char c)
{
    return fieldEnds[static_cast<unsigned char>(c)];
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Why a file cannot be opened, in the runtime's error numbers.
[[noreturn]] void raiseOpenError(const std::string& fileName)
{
    const fs::path path(fileName);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        const fs::path folder = path.parent_path();
        if (!folder.empty() && !fs::is_directory(folder, ec))
            throw RuntimeError(err::PathNotFound, fileName, 0);
        throw RuntimeError(err::FileNotFound, fileName, 0);
    }
    throw RuntimeError(err::PathFileAccess, fileName, 0);
}

std::string readWhole(const std::string& fileName)
{
    std::error_code ec;
    // Only regular files: a device or a pipe might never end.
    if (!fs::is_regular_file(fs::path(fileName), ec))
        raiseOpenError(fileName);
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    if (!in)
        raiseOpenError(fileName);
    try {
        // One buffer of the file's size: growing it as the reads come in
        // costs a fresh allocation, a copy and new pages at every step.
        const std::streamoff size = in.tellg();
        if (size < 0)
            throw RuntimeError(err::DeviceIoError, fileName, 0);
        std::string text(static_cast<std::size_t>(size), '\0');
        in.seekg(0);
        if (!in.read(text.data(), size))
            throw RuntimeError(err::DeviceIoError, fileName, 0);
        return text;
    } catch (const std::bad_alloc&) {
        throw RuntimeError(err::OutOfMemory, fileName, 0);
    } catch (const std::length_error&) {
        throw RuntimeError(err::OutOfMemory, fileName, 0);
    }
}

// A field shown in an error: short, one line.
std::string quoted(std::string_view field)
{
    constexpr std::size_t shown = 40;
    std::string text = "欄位內容: \"";
    text += field.substr(0, shown);
    if (field.size() > shown)
        text += "…";
    return text + "\"";
}

// For a decimal number that is out of range even for a double: whether its
// magnitude is below 1 (an underflow, read as zero) rather than above.
bool isTiny(std::string_view digits)
{
    long long exponent = 0;
    int place = 0; // decimal exponent of the first significant digit, before the e part
    bool seenPoint = false, seenSignificant = false;
    std::size_t i = 0;
    for (; i < digits.size() && digits[i] != 'e' && digits[i] != 'E'; ++i) {
        const char c = digits[i];
        if (c == '.') {
            seenPoint = true;
        } else if (!seenSignificant && c == '0') {
            if (seenPoint)
                --place;
        } else if (!seenSignificant) {
            seenSignificant = true;
            if (seenPoint)
                --place;
        } else if (!seenPoint) {
            ++place;
        }
    }
    if (i < digits.size()) {
        bool negative = false;
        if (++i < digits.size() && (digits[i] == '+' || digits[i] == '-'))
            negative = digits[i++] == '-';
        for (; i < digits.size() && exponent < 100000; ++i)
            exponent = exponent * 10 + (digits[i] - '0');
        if (negative)
            exponent = -exponent;
    }
    return place + exponent < 0;
}

} // namespace

TextInputFile::TextInputFile(std::string fileName)
    : TextInputFile(FromText {}, fileName, readWhole(fileName))
{ }

TextInputFile TextInputFile::fromText(std::string fileName, std::string text)
{
    return TextInputFile(FromText {}, std::move(fileName), std::move(text));
}

TextInputFile::TextInputFile(FromText, std::string fileName, std::string text)
    : m_fileName(std::move(fileName))
    , m_text(std::move(text))
{
    if (m_text.starts_with("\xEF\xBB\xBF"))
        m_pos = m_lineAt = 3;
}

int TextInputFile::line() const
{
    catchUpLine();
    return m_line;
}

void TextInputFile::catchUpLine() const
{
    // Count the line ends skipped since m_lineAt; a CR LF pair is never split.
    for (std::size_t i = m_lineAt; i < m_pos; ++i) {
        if (m_text[i] == '\r' || (m_text[i] == '\n' && (i == 0 || m_text[i - 1] != '\r')))
            ++m_line;
    }
    m_lineAt = m_pos;
}

bool TextInputFile::afterLineEnd() const
{
    return m_pos > 0 && (m_text[m_pos - 1] == '\r' || m_text[m_pos - 1] == '\n');
}

bool TextInputFile::skipPastLine(std::string_view text)
{
    const std::string_view all(m_text);
    std::size_t from = m_pos;
    for (;;) {
        const std::size_t at = all.find(text, from);
        if (at == std::string_view::npos) {
            m_pos = all.size();
            return false;
        }
        const std::size_t after = at + text.size();
        const bool startsLine = at == m_pos || all[at - 1] == '\n' || all[at - 1] == '\r';
        const bool endsLine = after == all.size() || all[after] == '\r' || all[after] == '\n';
        if (startsLine && endsLine) {
            m_pos = after;
            if (m_pos < all.size() && all[m_pos] == '\r')
                ++m_pos;
            if (m_pos < all.size() && all[m_pos] == '\n')
                ++m_pos;
            return true;
        }
        from = at + 1;
    }
}

void TextInputFile::raise(int number, int line, std::string detail) const
{
    throw RuntimeError(number, m_fileName, line, std::move(detail));
}

void TextInputFile::raisePastEnd() const
{
    // Name the line the file ends on, not the one after its last line end.
    const bool endsWithLineEnd
        = !m_text.empty() && (m_text.back() == '\n' || m_text.back() == '\r');
    const int last = line();
    raise(err::InputPastEndOfFile, endsWithLineEnd && last > 1 ? last - 1 : last);
}

bool TextInputFile::consumeLineEnd()
{
    if (m_pos == m_text.size())
        return false;
    if (m_text[m_pos] == '\r') {
        ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '\n')
            ++m_pos;
    } else if (m_text[m_pos] == '\n') {
        ++m_pos;
    } else {
        return false;
    }
    ++m_line;
    m_lineAt = m_pos;
    return true;
}

std::string_view TextInputFile::lineInput()
{
    catchUpLine();
    if (eof())
        raisePastEnd();
    const char* const begin = m_text.data() + m_pos;
    const char* const end = m_text.data() + m_text.size();
    const char* p = begin;
    while (p != end && *p != '\r' && *p != '\n')
        ++p;
    m_pos += static_cast<std::size_t>(p - begin);
    consumeLineEnd();
    return { begin, static_cast<std::size_t>(p - begin) };
}

void TextInputFile::raiseBadField(int number, const char* begin, const char* end) const
{
    const char* fieldEnd = begin;
    while (fieldEnd != end && !endsField(*fieldEnd))
        ++fieldEnd;
    const std::string_view field(begin, static_cast<std::size_t>(fieldEnd - begin));
    raise(number, m_line, field.empty() ? "欄位是空的" : quoted(field));
}

inline const char* TextInputFile::parseNumber(
    const char* begin, const char* end, float& value) const
{
    const auto badField = [this, begin, end](int number) { raiseBadField(number, begin, end); };

    // from_chars takes no plus sign, but takes "inf", "nan" and hexadecimal
    // forms that are not numbers of this format: let only digits or a point
    // follow the sign.
    const char* number = begin;
    const char* digits = begin;
    if (*begin == '+')
        number = digits = begin + 1;
    else if (*begin == '-')
        digits = begin + 1;
    if (digits == end || !(isDigit(*digits) || *digits == '.'))
        badField(err::TypeMismatch);

    auto [stop, ec] = std::from_chars(number, end, value);
    if (ec == std::errc::result_out_of_range) {
        // Out of the float range: an overflow, or an underflow read as the
        // nearest float (zero or a subnormal).
        double wide = 0.0;
        const auto [wideStop, wideEc] = std::from_chars(number, end, wide);
        if (wideEc != std::errc {} && wideEc != std::errc::result_out_of_range)
            badField(err::TypeMismatch);
        if (wideStop != end && !endsField(*wideStop))
            badField(err::TypeMismatch);
        const bool tiny = wideEc == std::errc {}
            ? std::fabs(wide) <= std::numeric_limits<float>::max()
            : isTiny({ digits, static_cast<std::size_t>(wideStop - digits) });
        if (!tiny)
            badField(err::Overflow);
        stop = wideStop;
        value = wideEc == std::errc {} ? static_cast<float>(wide) : (*number == '-' ? -0.0f : 0.0f);
    } else if (ec != std::errc {}) {
        badField(err::TypeMismatch);
    }
    // A number must fill its field: "3x" or "1e" is not one.
    if (stop != end && !endsField(*stop))
        badField(err::TypeMismatch);
    return stop;
}

void TextInputFile::inputNumbers(std::span<float> targets)
{
    // Local pointers: this loop is most of the time a model takes to load.
    const char* const data = m_text.data();
    const char* const end = data + m_text.size();
    catchUpLine();
    const char* p = data + m_pos;
    for (float& target : targets) {
        while (p != end && isBlank(*p))
            ++p;
        if (p == end) {
            m_pos = m_lineAt = m_text.size();
            raisePastEnd();
        }
        p = parseNumber(p, end, target);
        while (p != end && isBlank(*p))
            ++p;
        if (p == end)
            continue;
        if (*p == ',') {
            ++p;
        } else if (*p == '\r') {
            ++p;
            if (p != end && *p == '\n')
                ++p;
            ++m_line;
        } else if (*p == '\n') {
            ++p;
            ++m_line;
        }
    }
    m_pos = m_lineAt = static_cast<std::size_t>(p - data);
}

} // namespace triview
