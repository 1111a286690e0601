#include "model/TextInputFile.h"

#include "runtime/RuntimeError.h"
#include "runtime/ShownSafely.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace triview {

namespace fs = std::filesystem;

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
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

// The first field end in [begin, end), or end.
const char* fieldEnd(const char* begin, const char* end)
{
    return std::find_if(begin, end, endsField);
}

// The same for a field that may be gigabytes long: a few passes of memchr
// outrun one pass that looks at every byte five ways.
const char* longFieldEnd(const char* begin, const char* end)
{
    for (const char c : { ',', ' ', '\t', '\r', '\n' })
        if (const void* found = std::memchr(begin, c, static_cast<std::size_t>(end - begin)))
            end = static_cast<const char*>(found);
    return end;
}

// The first CR or LF in [begin, end), or end.
const char* lineEnd(const char* begin, const char* end)
{
    const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', end - begin));
    const char* stop = lf ? lf : end;
    const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', stop - begin));
    return cr ? cr : stop;
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

// A field shown in an error: short, one line, safe to show.
std::string quoted(std::string_view field)
{
    return "欄位內容: \"" + shownSafely(field, 40) + "\"";
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

// Powers of ten that are exact floats.
constexpr float kPowersOfTen[]
    = { 1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f };

// Plain decimals of at most seven significant digits ("-12.5", "0.001"),
// the usual case, read without from_chars: the digits and the power of ten
// are both exact floats, so one division rounds the quotient correctly, to
// the float from_chars gives. Answers false for anything else.
bool readPlainDecimal(const char* p, const char* end, float& value, const char*& stop)
{
    bool negative = false;
    if (p != end && (*p == '-' || *p == '+'))
        negative = *p++ == '-';
    std::uint32_t digits = 0;
    int significant = 0, fraction = 0;
    bool point = false, any = false;
    for (; p != end; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - unsigned { '0' };
        if (digit <= 9) {
            if ((digits != 0 || digit != 0) && ++significant > 7)
                return false;
            digits = digits * 10 + digit;
            fraction += point;
            any = true;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!any || fraction > 10 || (p != end && !endsField(*p)))
        return false;
    value = static_cast<float>(digits) / kPowersOfTen[fraction];
    if (negative)
        value = -value;
    stop = p;
    return true;
}

// A number field read from [begin, end): its error, 0 when value holds the
// number and end points past it, at the field's end.
struct Field
{
    const char* end;
    std::int32_t error;
};

Field parseField(const char* begin, const char* end, float& value)
{
    constexpr Field notANumber { nullptr, err::TypeMismatch };
    if (const char* stop; readPlainDecimal(begin, end, value, stop))
        return { stop, 0 };
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
        return notANumber;

    auto [stop, ec] = std::from_chars(number, end, value);
    if (ec == std::errc::result_out_of_range) {
        // Out of the float range: an overflow, or an underflow read as the
        // nearest float (zero or a subnormal).
        double wide = 0.0;
        const auto [wideStop, wideEc] = std::from_chars(number, end, wide);
        if (wideEc != std::errc {} && wideEc != std::errc::result_out_of_range)
            return notANumber;
        if (wideStop != end && !endsField(*wideStop))
            return notANumber;
        const bool tiny = wideEc == std::errc {}
            ? std::fabs(wide) <= std::numeric_limits<float>::max()
            : isTiny({ digits, static_cast<std::size_t>(wideStop - digits) });
        if (!tiny)
            return { nullptr, err::Overflow };
        stop = wideStop;
        value = wideEc == std::errc {} ? static_cast<float>(wide) : (*number == '-' ? -0.0f : 0.0f);
    } else if (ec != std::errc {}) {
        return notANumber;
    }
    // A number must fill its field: "3x" or "1e" is not one.
    if (stop != end && !endsField(*stop))
        return notANumber;
    return { stop, 0 };
}

// A field too long to hold, read as it streams past: what decides its value
// is kept (the sign, the first significant digits, whether any later digit
// is not zero, the decimal exponent) and written as a short number that
// reads as the same float.
class LongNumber
{
public:
    void take(char c)
    {
        switch (m_state) {
        case State::Start:
            if (c == '+' || c == '-') {
                m_negative = c == '-';
                m_state = State::Sign;
                return;
            }
            [[fallthrough]];
        case State::Sign:
            if (!isDigit(c) && c != '.')
                return fail();
            m_state = State::Whole;
            [[fallthrough]];
        case State::Whole:
        case State::Fraction:
            if (isDigit(c))
                return mantissaDigit(c);
            if (c == '.' && m_state == State::Whole)
                return void(m_state = State::Fraction);
            if ((c == 'e' || c == 'E') && m_sawDigit)
                return void(m_state = State::ExponentStart);
            return fail();
        case State::ExponentStart:
            if (c == '+' || c == '-') {
                m_negativeExponent = c == '-';
                return void(m_state = State::ExponentSign);
            }
            [[fallthrough]];
        case State::ExponentSign:
        case State::Exponent:
            if (!isDigit(c))
                return fail();
            m_exponent = std::min(m_exponent * 10 + (c - '0'), kExponentLimit);
            m_state = State::Exponent;
            return;
        case State::Bad:
            return;
        }
    }

    bool failed() const { return m_state == State::Bad; }

    // The short form, or nothing when the field is not a number.
    std::optional<std::string> shortForm() const
    {
        if (m_state == State::Bad || m_state == State::Start || m_state == State::Sign
            || m_state == State::ExponentStart || m_state == State::ExponentSign || !m_sawDigit)
            return std::nullopt;
        std::string text = m_negative ? "-0" : "0";
        if (m_significant.empty())
            return text;
        const std::int64_t exponent
            = std::clamp(m_scale + (m_negativeExponent ? -m_exponent : m_exponent), -kExponentLimit,
                kExponentLimit);
        return text + "." + m_significant + (m_sticky ? "1" : "") + "e" + std::to_string(exponent);
    }

private:
    enum class State { Start, Sign, Whole, Fraction, ExponentStart, ExponentSign, Exponent, Bad };
    // More digits than can change a double's rounding; past them only
    // whether one is not zero matters.
    static constexpr std::size_t kDigits = 800;
    static constexpr std::int64_t kExponentLimit = 1'000'000'000'000'000;

    void fail() { m_state = State::Bad; }
    void mantissaDigit(char c)
    {
        m_sawDigit = true;
        if (m_significant.empty() && c == '0') {
            if (m_state == State::Fraction)
                --m_scale; // 0.0012 is 0.12e-2
            return;
        }
        if (m_state == State::Whole)
            ++m_scale; // 120 is 0.12e3
        if (m_significant.size() < kDigits)
            m_significant += c;
        else
            m_sticky |= c != '0';
    }

    State m_state = State::Start;
    bool m_negative = false, m_sawDigit = false, m_sticky = false, m_negativeExponent = false;
    std::string m_significant;
    std::int64_t m_scale = 0; // the value is 0.<significant> times 10 to this
    std::int64_t m_exponent = 0;
};

} // namespace

void LineCount::pass(std::string_view bytes)
{
    for (const char c : bytes) {
        if (c == '\r' || (c == '\n' && !afterCr))
            ++line;
        afterCr = c == '\r';
    }
}

TextInputFile::TextInputFile(std::string fileName, std::size_t windowBytes)
    : TextInputFile(std::move(fileName), {}, windowBytes, false)
{ }

TextInputFile TextInputFile::fromText(
    std::string fileName, std::string text, std::size_t windowBytes)
{
    return TextInputFile(std::move(fileName), std::move(text), windowBytes, true);
}

TextInputFile::TextInputFile(
    std::string fileName, std::string text, std::size_t windowBytes, bool inMemory)
    : m_fileName(std::move(fileName))
    , m_text(std::move(text))
    , m_inMemory(inMemory)
    , m_capacity(std::max<std::size_t>(windowBytes, 32))
    , m_lookahead(m_capacity / 4)
{
    if (!m_inMemory) {
        // Not blocking: opening a pipe would wait for a writer.
        m_file.fd = ::open(m_fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat status
        {
        };
        // Only regular files: a device or a pipe might never end.
        if (m_file.fd < 0 || ::fstat(m_file.fd, &status) != 0 || !S_ISREG(status.st_mode))
            raiseOpenError(m_fileName);
        m_fileSize = static_cast<std::uint64_t>(status.st_size);
    }
    try {
        // Not zero-filled: every byte used is read into it first.
        m_window = std::make_unique_for_overwrite<char[]>(m_capacity);
    } catch (const std::bad_alloc&) {
        throw RuntimeError(err::OutOfMemory, m_fileName, 0);
    }
    refill(0);
    if (std::string_view(m_window.get(), m_size).starts_with("\xEF\xBB\xBF"))
        m_pos = m_lineAt = 3;
}

std::size_t TextInputFile::readAt(std::uint64_t offset, char* into, std::size_t bytes)
{
    if (m_inMemory) {
        if (offset >= m_text.size())
            return 0;
        const std::size_t copied = std::min<std::size_t>(bytes, m_text.size() - offset);
        std::memcpy(into, m_text.data() + offset, copied);
        return copied;
    }
    std::size_t done = 0;
    while (done < bytes && offset < m_fileSize) {
        const std::size_t wanted
            = static_cast<std::size_t>(std::min<std::uint64_t>(bytes - done, m_fileSize - offset));
        // A hole reads as zeros; writing them here spares the kernel
        // filling its cache with them.
        off_t data = ::lseek(m_file.fd, static_cast<off_t>(offset), SEEK_DATA);
        if (data < 0)
            data = errno == ENXIO ? static_cast<off_t>(m_fileSize) : static_cast<off_t>(offset);
        if (static_cast<std::uint64_t>(data) > offset) {
            const std::size_t zeros = static_cast<std::size_t>(
                std::min<std::uint64_t>(wanted, static_cast<std::uint64_t>(data) - offset));
            std::memset(into + done, 0, zeros);
            done += zeros;
            offset += zeros;
            continue;
        }
        const ssize_t got = ::pread(m_file.fd, into + done, wanted, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw RuntimeError(err::DeviceIoError, m_fileName, 0);
        if (got == 0)
            break; // the file became shorter
        done += static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return done;
}

TextInputFile::FileHandle::FileHandle(FileHandle&& other) noexcept
    : fd(std::exchange(other.fd, -1))
{ }

TextInputFile::FileHandle::~FileHandle()
{
    if (fd >= 0)
        ::close(fd);
}

void TextInputFile::refill(std::size_t keepFrom)
{
    if (keepFrom > 0) {
        m_before = m_window[keepFrom - 1];
        m_size -= keepFrom;
        std::memmove(m_window.get(), m_window.get() + keepFrom, m_size);
        m_windowOffset += keepFrom;
        m_pos -= keepFrom;
    }
    while (!m_exhausted && m_size < m_capacity) {
        const std::size_t wanted = m_capacity - m_size;
        const std::size_t got = readAt(offsetOf(m_size), m_window.get() + m_size, wanted);
        m_size += got;
        m_exhausted = got < wanted;
    }
}

std::int64_t TextInputFile::catchUpLine()
{
    const std::uint64_t at = offsetOf(m_pos);
    if (m_lineAt >= m_windowOffset) {
        m_lines.pass({ m_window.get() + (m_lineAt - m_windowOffset), at - m_lineAt });
    } else {
        // The bytes since have left the window: read them again, a piece at
        // a time. Only an error's report needs this.
        char piece[64 * 1024];
        for (std::uint64_t from = m_lineAt; from < at;) {
            const std::size_t got = readAt(from, piece,
                static_cast<std::size_t>(std::min<std::uint64_t>(sizeof piece, at - from)));
            if (got == 0)
                break;
            m_lines.pass({ piece, got });
            from += got;
        }
    }
    m_lineAt = at;
    return m_lines.line;
}

bool TextInputFile::afterLineEnd() const
{
    return isLineEnd(m_pos > 0 ? m_window[m_pos - 1] : m_before);
}

bool TextInputFile::eof()
{
    if (m_pos == m_size && !m_exhausted)
        refill(m_pos);
    return m_pos == m_size;
}

void TextInputFile::consumeLineEnd()
{
    if (m_window[m_pos++] != '\r')
        return;
    if (m_pos == m_size && !m_exhausted)
        refill(m_pos);
    if (m_pos < m_size && m_window[m_pos] == '\n')
        ++m_pos;
}

bool TextInputFile::skipPastLine(std::string_view text)
{
    const std::uint64_t scanStart = offsetOf(m_pos); // a line starts here
    for (;;) {
        const std::string_view window(m_window.get(), m_size);
        for (std::size_t at = window.find(text, m_pos); at != std::string_view::npos;
             at = window.find(text, at + 1)) {
            const std::size_t after = at + text.size();
            if (after == m_size && !m_exhausted)
                break; // what follows it is still to come
            const char before = at > 0 ? window[at - 1] : m_before;
            const bool startsLine = offsetOf(at) == scanStart || isLineEnd(before);
            const bool endsLine = after == m_size || isLineEnd(window[after]);
            if (startsLine && endsLine) {
                m_pos = after;
                if (m_pos < m_size)
                    consumeLineEnd();
                return true;
            }
        }
        if (m_exhausted) {
            m_pos = m_size;
            return false;
        }
        // Keep only what could still begin a match.
        m_pos = std::max(m_pos, m_size - std::min(m_size, text.size()));
        refill(m_pos);
    }
}

void TextInputFile::raise(int number, std::int64_t line, std::string detail) const
{
    throw RuntimeError(number, m_fileName, line, std::move(detail));
}

void TextInputFile::raisePastEnd()
{
    m_pos = m_size;
    // Name the line the file ends on, not the one after its last line end.
    const bool endsWithLineEnd = isLineEnd(m_size > 0 ? m_window[m_size - 1] : m_before);
    const std::int64_t last = line();
    raise(err::InputPastEndOfFile, endsWithLineEnd && last > 1 ? last - 1 : last);
}

void TextInputFile::skipLine()
{
    line();
    if (eof())
        raisePastEnd();
    for (;;) {
        const char* const window = m_window.get();
        const char* const end = lineEnd(window + m_pos, window + m_size);
        m_pos = static_cast<std::size_t>(end - window);
        if (m_pos < m_size) {
            consumeLineEnd();
            ++m_lines.line;
            break;
        }
        if (m_exhausted)
            break; // the file ends the line
        refill(m_pos);
    }
    m_lines.afterCr = false;
    m_lineAt = offsetOf(m_pos);
}

void TextInputFile::raiseBadField(int number, const char* begin, const char* end, bool whole) const
{
    const std::string_view field(begin, static_cast<std::size_t>(fieldEnd(begin, end) - begin));
    raise(number, m_lines.line,
        field.empty() ? "欄位是空的" : quoted(whole ? field : field.substr(0, 44)));
}

void TextInputFile::readLongField(float& value)
{
    std::string head; // enough of the field to show in a report
    LongNumber number;
    for (;;) {
        const char* const window = m_window.get();
        const char* p = window + m_pos;
        const char* const end = longFieldEnd(p, window + m_size);
        head.append(p, std::min<std::size_t>(end - p, 44 - std::min<std::size_t>(head.size(), 44)));
        for (; p != end && !number.failed(); ++p)
            number.take(*p);
        m_pos = static_cast<std::size_t>(end - window);
        if (m_pos < m_size || m_exhausted)
            break;
        refill(m_pos);
    }
    const std::optional<std::string> shortForm = number.shortForm();
    const Field field = shortForm
        ? parseField(shortForm->data(), shortForm->data() + shortForm->size(), value)
        : Field { nullptr, err::TypeMismatch };
    if (field.error != 0)
        raiseBadField(field.error, head.data(), head.data() + head.size(), false);
}

void TextInputFile::inputNumbers(std::span<float> targets)
{
    line();
    // Local pointers: this loop is most of the time a model takes to load.
    const char* data = m_window.get();
    const char* p = data + m_pos;
    const char* end = data + m_size;
    const auto moveOn = [&] {
        m_pos = static_cast<std::size_t>(p - data);
        refill(m_pos);
        p = data + m_pos;
        end = data + m_size;
    };
    const auto skipBlanks = [&] {
        for (;;) {
            while (p != end && isBlank(*p))
                ++p;
            if (p != end || m_exhausted)
                return;
            moveOn();
        }
    };
    for (float& target : targets) {
        skipBlanks();
        if (p == end) {
            m_pos = static_cast<std::size_t>(p - data);
            m_lineAt = offsetOf(m_pos);
            raisePastEnd();
        }
        if (static_cast<std::size_t>(end - p) < m_lookahead && !m_exhausted)
            moveOn();
        const Field field = parseField(p, end, target);
        // A field that runs to the window's end may go on past it.
        const bool whole
            = m_exhausted || (field.error == 0 ? field.end != end : fieldEnd(p, end) != end);
        if (!whole) {
            m_pos = static_cast<std::size_t>(p - data);
            readLongField(target);
            p = data + m_pos;
            end = data + m_size;
        } else if (field.error != 0) {
            raiseBadField(field.error, p, end, true);
        } else {
            p = field.end;
        }
        skipBlanks();
        if (p == end)
            continue;
        if (*p == ',') {
            ++p;
        } else if (isLineEnd(*p)) {
            m_pos = static_cast<std::size_t>(p - data);
            consumeLineEnd();
            p = data + m_pos;
            end = data + m_size;
            ++m_lines.line;
        }
    }
    m_pos = static_cast<std::size_t>(p - data);
    m_lines.afterCr = false;
    m_lineAt = offsetOf(m_pos);
}

} // namespace triview
