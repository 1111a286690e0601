#include "model/DecimalField.h"

#include "runtime/RuntimeError.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace triview {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr auto fieldEnds = [] {
    std::array<bool, 256> ends {};
    for (const unsigned char c : { ',', ' ', '\t', '\r', '\n' })
        ends[c] = true;
    return ends;
}();

// Runs of digits and blanks may be gigabytes long, so they are passed
// sixteen bytes at a time with SSE2, or eight at a time in a word where it
// is missing; each Stops answers a mask of the bytes that end the run.
#if defined(__SSE2__)
template <typename Stops>
const char* runEnd(const char* p, const char* end, Stops stops, bool (*belongs)(char))
{
    for (; end - p >= 16; p += 16)
        if (const int marks
            = _mm_movemask_epi8(stops(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)))))
            return p + std::countr_zero(static_cast<unsigned>(marks));
    while (p != end && belongs(*p))
        ++p;
    return p;
}

__m128i bytesOf(char c)
{
    return _mm_set1_epi8(c);
}
__m128i outside(__m128i bytes, char low, char high) // bytes not in low..high
{
    const __m128i offset = _mm_sub_epi8(bytes, bytesOf(low));
    const __m128i span = bytesOf(static_cast<char>(high - low));
    return _mm_xor_si128(_mm_cmpeq_epi8(_mm_max_epu8(offset, span), span), _mm_set1_epi8(-1));
}
__m128i notOne(__m128i bytes, char c)
{
    return _mm_xor_si128(_mm_cmpeq_epi8(bytes, bytesOf(c)), _mm_set1_epi8(-1));
}

const char* digitsEnd(const char* p, const char* end)
{
    return runEnd(
        p, end, [](__m128i b) { return outside(b, '0', '9'); }, isDigit);
}
const char* zerosEnd(const char* p, const char* end)
{
    return runEnd(
        p, end, [](__m128i b) { return notOne(b, '0'); }, [](char c) { return c == '0'; });
}
const char* blanks(const char* p, const char* end)
{
    return runEnd(
        p, end, [](__m128i b) { return _mm_and_si128(notOne(b, ' '), notOne(b, '\t')); },
        [](char c) { return c == ' ' || c == '\t'; });
}
#else
constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kHighs = 0x8080808080808080;

// High bit set in exactly the bytes that are zero.
std::uint64_t zeroBytes(std::uint64_t w)
{
    return ~(((w & ~kHighs) + ~kHighs) | w | ~kHighs);
}

template <typename Stops>
const char* runEnd(const char* p, const char* end, Stops stops, bool (*belongs)(char))
{
    if constexpr (std::endian::native == std::endian::little) {
        for (; end - p >= 8; p += 8) {
            std::uint64_t w;
            std::memcpy(&w, p, sizeof w);
            if (const std::uint64_t marks = stops(w) & kHighs)
                return p + std::countr_zero(marks) / 8;
        }
    }
    while (p != end && belongs(*p))
        ++p;
    return p;
}

// Bytes outside '0'..'9': below, the subtraction sets the high bit; above,
// the addition does. A borrow or carry only reaches bytes after the first
// marked one, which do not matter.
const char* digitsEnd(const char* p, const char* end)
{
    return runEnd(
        p, end, [](std::uint64_t w) { return (w - '0' * kOnes) | (w + (0x80 - ':') * kOnes); },
        isDigit);
}
const char* zerosEnd(const char* p, const char* end)
{
    return runEnd(
        p, end, [](std::uint64_t w) { return ~zeroBytes(w ^ ('0' * kOnes)); },
        [](char c) { return c == '0'; });
}
const char* blanks(const char* p, const char* end)
{
    return runEnd(
        p, end,
        [](std::uint64_t w) {
            return ~(zeroBytes(w ^ (' ' * kOnes)) | zeroBytes(w ^ ('\t' * kOnes)));
        },
        [](char c) { return c == ' ' || c == '\t'; });
}
#endif

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

// For a decimal number that is out of range even for a double: whether its
// magnitude is below 1 (an underflow, read as zero) rather than above.
bool isTiny(std::string_view number)
{
    LongNumber reading;
    reading.take(number);
    return reading.scale() <= 0;
}

} // namespace

const char* blanksRunEnd(const char* begin, const char* end)
{
    return blanks(begin, end);
}

bool endsField(char c)
{
    return fieldEnds[static_cast<unsigned char>(c)];
}

const char* fieldEnd(const char* begin, const char* end)
{
    return std::find_if(begin, end, endsField);
}

const char* longFieldEnd(const char* begin, const char* end)
{
#if defined(__SSE2__)
    return runEnd(
        begin, end,
        [](__m128i b) {
            return _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(b, bytesOf(',')), _mm_cmpeq_epi8(b, bytesOf(' '))),
                _mm_or_si128(_mm_cmpeq_epi8(b, bytesOf('\t')),
                    _mm_or_si128(
                        _mm_cmpeq_epi8(b, bytesOf('\r')), _mm_cmpeq_epi8(b, bytesOf('\n')))));
        },
        [](char c) { return !endsField(c); });
#else
    // A few passes of memchr outrun one pass that looks at every byte five ways.
    for (const char c : { ',', ' ', '\t', '\r', '\n' })
        if (const void* found = std::memchr(begin, c, static_cast<std::size_t>(end - begin)))
            end = static_cast<const char*>(found);
    return end;
#endif
}

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

void LongNumber::take(std::string_view piece)
{
    const char* p = piece.data();
    const char* const end = p + piece.size();
    while (p != end && m_state != State::Bad) {
        const bool mantissa = m_state == State::Whole || m_state == State::Fraction;
        const bool exponent = m_state == State::ExponentStart || m_state == State::ExponentSign
            || m_state == State::Exponent;
        if ((mantissa || exponent) && isDigit(*p)) {
            const char* const run = digitsEnd(p, end);
            mantissa ? takeDigits(p, run) : takeExponentDigits(p, run);
            p = run;
        } else {
            takeOne(*p++);
        }
    }
}

bool LongNumber::takeSign(char c, bool& negative, State signState)
{
    if (c != '+' && c != '-')
        return false;
    negative = c == '-';
    m_state = signState;
    return true;
}

void LongNumber::takeOne(char c)
{
    switch (m_state) {
    case State::Start:
        if (takeSign(c, m_negative, State::Sign))
            return;
        [[fallthrough]];
    case State::Sign:
        if (!isDigit(c) && c != '.') {
            m_state = State::Bad;
            return;
        }
        m_state = State::Whole;
        [[fallthrough]];
    case State::Whole:
    case State::Fraction:
        if (isDigit(c))
            return takeDigits(&c, &c + 1);
        if (c == '.' && m_state == State::Whole)
            m_state = State::Fraction;
        else if ((c == 'e' || c == 'E') && m_sawDigit)
            m_state = State::ExponentStart;
        else
            m_state = State::Bad;
        return;
    case State::ExponentStart:
        if (takeSign(c, m_negativeExponent, State::ExponentSign))
            return;
        [[fallthrough]];
    case State::ExponentSign:
    case State::Exponent:
        // A digit goes to takeExponentDigits; anything else ends the number.
        m_state = State::Bad;
        return;
    case State::Bad:
        return;
    }
}

void LongNumber::takeDigits(const char* p, const char* end)
{
    m_sawDigit = true;
    if (m_significant.empty()) {
        const char* const first = zerosEnd(p, end);
        if (m_state == State::Fraction)
            m_scale -= first - p; // 0.0012 is 0.12e-2
        p = first;
    }
    const auto count = static_cast<std::size_t>(end - p);
    if (m_state == State::Whole)
        m_scale += static_cast<std::int64_t>(count); // 120 is 0.12e3
    const std::size_t kept = std::min(count, kDigits - m_significant.size());
    m_significant.append(p, kept);
    m_sticky = m_sticky || zerosEnd(p + kept, end) != end;
}

void LongNumber::takeExponentDigits(const char* p, const char* end)
{
    // Past the limit, more digits change nothing.
    for (; p != end && m_exponent < kExponentLimit; ++p)
        m_exponent = m_exponent > kExponentLimit / 10
            ? kExponentLimit
            : std::min(m_exponent * 10 + (*p - '0'), kExponentLimit);
    m_state = State::Exponent;
}

std::int64_t LongNumber::scale() const
{
    return std::clamp(
        m_scale + (m_negativeExponent ? -m_exponent : m_exponent), -kExponentLimit, kExponentLimit);
}

std::optional<std::string> LongNumber::shortForm() const
{
    if (m_state == State::Bad || m_state == State::Start || m_state == State::Sign
        || m_state == State::ExponentStart || m_state == State::ExponentSign || !m_sawDigit)
        return std::nullopt;
    std::string text = m_negative ? "-0" : "0";
    if (m_significant.empty())
        return text;
    return text + "." + m_significant + (m_sticky ? "1" : "") + "e" + std::to_string(scale());
}

} // namespace triview
