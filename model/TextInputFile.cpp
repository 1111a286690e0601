#include "model/TextInputFile.h"

#include "model/DecimalField.h"
#include "runtime/RuntimeError.h"
#include "runtime/ShownSafely.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace triview {

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// The first CR or LF in [begin, end), or end: in one pass, sixteen bytes
// at a time with SSE2, else with memchr for each.
const char* lineEnd(const char* begin, const char* end)
{
#if defined(__SSE2__)
    for (; end - begin >= 16; begin += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin));
        const int marks = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')),
            _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
        if (marks != 0)
            return begin + std::countr_zero(static_cast<unsigned>(marks));
    }
#endif
    const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', end - begin));
    const char* stop = lf ? lf : end;
    const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', stop - begin));
    return cr ? cr : stop;
}

// A field shown in an error: short, one line, safe to show.
std::string quoted(std::string_view field)
{
    return "欄位內容: \"" + shownSafely(field, kShownFieldBytes) + "\"";
}

// Where a line equal to text may start in a window: the line end before it.
// Sixteen bytes at a time, it looks for a line end followed by text's first
// byte, its last byte and another line end where they would stand, and
// compares only there; so whatever fills the lines, it goes at memory speed.
// Near the window's end, where not all of those bytes are there, it
// answers each line end that text's first byte follows, or that ends the
// window, for the caller to decide.
class LineSearch
{
public:
    explicit LineSearch(std::string_view text)
        : m_text(text)
    { }

    std::size_t next(std::string_view window, std::size_t from) const
    {
        const char* const data = window.data();
        const std::size_t length = m_text.size();
        std::size_t i = from;
#if defined(__SSE2__)
        const auto load = [&](std::size_t at) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        };
        const auto ends = [](__m128i bytes) {
            return _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')),
                _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
        };
        const __m128i first = _mm_set1_epi8(m_text.front()), last = _mm_set1_epi8(m_text.back());
        for (; i + length + 17 <= window.size(); i += 16) {
            const __m128i candidates = _mm_and_si128(
                _mm_and_si128(ends(load(i)), _mm_cmpeq_epi8(load(i + 1), first)),
                _mm_and_si128(_mm_cmpeq_epi8(load(i + length), last), ends(load(i + length + 1))));
            for (auto marks = static_cast<unsigned>(_mm_movemask_epi8(candidates)); marks != 0;
                 marks &= marks - 1) {
                const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(marks));
                if (std::memcmp(data + at + 1, m_text.data(), length) == 0)
                    return at;
            }
        }
#endif
        for (; i < window.size(); ++i)
            if (isLineEnd(data[i]) && (i + 1 == window.size() || data[i + 1] == m_text.front()))
                return i;
        return std::string_view::npos;
    }

private:
    std::string_view m_text;
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
    : TextInputFile(FileWindow(std::move(fileName), windowBytes))
{ }

TextInputFile TextInputFile::fromText(
    std::string fileName, std::string text, std::size_t windowBytes)
{
    return TextInputFile(FileWindow(std::move(fileName), std::move(text), windowBytes));
}

TextInputFile::TextInputFile(FileWindow window)
    : m_window(std::move(window))
    , m_lookahead(m_window.capacity() / 4)
{
    if (std::string_view(m_window.data(), m_window.size()).starts_with("\xEF\xBB\xBF"))
        m_pos = m_lineAt = 3;
}

std::int64_t TextInputFile::catchUpLine()
{
    const std::uint64_t to = m_window.offsetOf(m_pos);
    if (m_lineAt >= m_window.offsetOf(0)) {
        m_lines.pass(
            { at(static_cast<std::size_t>(m_lineAt - m_window.offsetOf(0))), to - m_lineAt });
    } else {
        // The bytes since have left the window: read them again, a piece at
        // a time, passing over holes, which hold no line end. Only an
        // error's report needs this.
        char piece[64 * 1024];
        for (std::uint64_t from = m_lineAt; from < to;) {
            if (const std::uint64_t data = std::min(m_window.dataFrom(from), to); data > from) {
                m_lines.afterCr = false;
                from = data;
                continue;
            }
            const std::size_t got = m_window.readAt(from, piece,
                static_cast<std::size_t>(std::min<std::uint64_t>(sizeof piece, to - from)));
            if (got == 0)
                break;
            m_lines.pass({ piece, got });
            from += got;
        }
    }
    m_lineAt = to;
    return m_lines.line;
}

bool TextInputFile::afterLineEnd() const
{
    return isLineEnd(m_pos > 0 ? *at(m_pos - 1) : m_window.before());
}

bool TextInputFile::eof()
{
    if (m_pos == m_window.size() && !m_window.exhausted())
        moveOn();
    return m_pos == m_window.size();
}

void TextInputFile::consumeLineEnd()
{
    if (*at(m_pos++) != '\r')
        return;
    if (m_pos == m_window.size() && !m_window.exhausted())
        moveOn();
    if (m_pos < m_window.size() && *at(m_pos) == '\n')
        ++m_pos;
}

bool TextInputFile::skipPastLine(std::string_view text)
{
    // A line equal to text: text where a line starts, then a line end or
    // the file's end. Lines start where the scan starts and after each line
    // end; no run of zeros holds a line end, so long holes are passed over.
    const std::uint64_t scanStart = m_window.offsetOf(m_pos);
    const LineSearch search(text);
    enum class Verdict { No, Yes, NeedsMore };
    for (;;) {
        const std::string_view window(m_window.data(), m_window.size());
        const auto lineAt = [&](std::size_t start) {
            const std::size_t after = start + text.size();
            if (after > window.size() || window.substr(start, text.size()) != text)
                return Verdict::No;
            if (after == window.size())
                return m_window.exhausted() ? Verdict::Yes : Verdict::NeedsMore;
            return isLineEnd(window[after]) ? Verdict::Yes : Verdict::No;
        };
        const auto found = [&](std::size_t start) {
            m_pos = start + text.size();
            if (m_pos < window.size())
                consumeLineEnd();
            return true;
        };
        // Where the next window starts: what could still begin a line end
        // and text, or a candidate whose end is still to come.
        std::size_t keep
            = std::max(m_pos, window.size() - std::min(window.size(), text.size() + 1));
        bool waiting = false;
        if (m_window.offsetOf(m_pos) == scanStart) {
            const Verdict verdict = lineAt(m_pos);
            if (verdict == Verdict::Yes)
                return found(m_pos);
            waiting = verdict == Verdict::NeedsMore;
            keep = waiting ? m_pos : keep;
        }
        for (std::size_t end = waiting ? std::string_view::npos : search.next(window, m_pos);
             end != std::string_view::npos; end = search.next(window, end + 1)) {
            const Verdict verdict = lineAt(end + 1);
            if (verdict == Verdict::Yes)
                return found(end + 1);
            if (verdict == Verdict::NeedsMore) {
                keep = end;
                break;
            }
        }
        if (m_window.exhausted()) {
            m_pos = window.size();
            return false;
        }
        m_pos = keep;
        moveOn(FileWindow::Holes::Skip);
    }
}

void TextInputFile::raise(int number, std::int64_t line, std::string detail) const
{
    throw RuntimeError(number, fileName(), line, std::move(detail));
}

void TextInputFile::raisePastEnd()
{
    m_pos = m_window.size();
    // Name the line the file ends on, not the one after its last line end.
    const bool endsWithLineEnd
        = isLineEnd(m_window.size() > 0 ? *at(m_window.size() - 1) : m_window.before());
    const std::int64_t last = line();
    raise(err::InputPastEndOfFile, endsWithLineEnd && last > 1 ? last - 1 : last);
}

void TextInputFile::skipLine()
{
    line();
    if (eof())
        raisePastEnd();
    for (;;) {
        const char* const end = lineEnd(at(m_pos), at(m_window.size()));
        m_pos = static_cast<std::size_t>(end - at(0));
        if (m_pos < m_window.size()) {
            consumeLineEnd();
            ++m_lines.line;
            break;
        }
        if (m_window.exhausted())
            break; // the file ends the line
        moveOn(FileWindow::Holes::Skip); // no line end in a hole
    }
    m_lines.afterCr = false;
    m_lineAt = m_window.offsetOf(m_pos);
}

void TextInputFile::raiseBadField(int number, const char* begin, const char* end, bool whole) const
{
    const std::string_view field(begin, static_cast<std::size_t>(fieldEnd(begin, end) - begin));
    raise(number, m_lines.line,
        field.empty() ? "欄位是空的" : quoted(whole ? field : field.substr(0, kKeptFieldBytes)));
}

void TextInputFile::readLongField(float& value)
{
    std::string head; // enough of the field to show in a report
    LongNumber number;
    for (;;) {
        const char* const p = at(m_pos);
        const char* const end = longFieldEnd(p, at(m_window.size()));
        const std::string_view piece(p, static_cast<std::size_t>(end - p));
        head.append(piece.substr(0, kKeptFieldBytes - std::min(head.size(), kKeptFieldBytes)));
        if (!number.failed())
            number.take(piece);
        m_pos = static_cast<std::size_t>(end - at(0));
        // A field that has failed is reported with what is already kept of
        // it: reading on through what may be gigabytes of a hole's zeros
        // would change nothing.
        if (m_pos < m_window.size() || m_window.exhausted()
            || (number.failed() && head.size() >= kKeptFieldBytes))
            break;
        moveOn();
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
    const char* const data = at(0);
    const char* p = data + m_pos;
    const char* end = data + m_window.size();
    const auto moveOnFrom = [&] {
        m_pos = static_cast<std::size_t>(p - data);
        moveOn();
        p = data + m_pos;
        end = data + m_window.size();
    };
    const auto skipBlanks = [&] {
        for (;;) {
            p = blanksEnd(p, end);
            if (p != end || m_window.exhausted())
                return;
            moveOnFrom();
        }
    };
    for (float& target : targets) {
        skipBlanks();
        if (p == end) {
            m_pos = static_cast<std::size_t>(p - data);
            m_lineAt = m_window.offsetOf(m_pos);
            raisePastEnd();
        }
        if (static_cast<std::size_t>(end - p) < m_lookahead && !m_window.exhausted())
            moveOnFrom();
        const Field field = parseField(p, end, target);
        // A field that runs to the window's end may go on past it.
        const bool whole = m_window.exhausted()
            || (field.error == 0 ? field.end != end : fieldEnd(p, end) != end);
        if (!whole) {
            m_pos = static_cast<std::size_t>(p - data);
            readLongField(target);
            p = data + m_pos;
            end = data + m_window.size();
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
            end = data + m_window.size();
            ++m_lines.line;
        }
    }
    m_pos = static_cast<std::size_t>(p - data);
    m_lines.afterCr = false;
    m_lineAt = m_window.offsetOf(m_pos);
}

} // namespace triview
