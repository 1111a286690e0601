// One number field of a tri file: an optional sign, digits with at most one
// decimal point, an optional exponent; read to the nearest float, as
// std::from_chars reads it. A field ends at a comma, a blank or a line end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace triview {

// How much of a bad field a report shows; and how much of a field too long
// to hold is kept to show: a few bytes more, so that the shown part can end
// on a whole character.
inline constexpr std::size_t kShownFieldBytes = 40;
inline constexpr std::size_t kKeptFieldBytes = kShownFieldBytes + 4;

bool endsField(char c);

// The first field end in [begin, end), or end. The long form passes over a
// field of any length at memory speed.
const char* fieldEnd(const char* begin, const char* end);
const char* longFieldEnd(const char* begin, const char* end);

// The first byte in [begin, end) that is not a blank (space or tab), or end.
// Most fields have no blank before or after them: that case is decided here,
// inline, and only a run of blanks is passed sixteen bytes at a time.
const char* blanksRunEnd(const char* begin, const char* end);
inline const char* blanksEnd(const char* begin, const char* end)
{
    return begin == end || (*begin != ' ' && *begin != '\t') ? begin : blanksRunEnd(begin, end);
}

// A field read from [begin, end): error 0 when value holds its number and
// end points just past it, at the field's end; else 13 for a field that is
// not a whole number, 6 for one beyond the float range (one below it reads
// as the nearest float, zero or subnormal).
struct Field
{
    const char* end;
    std::int32_t error;
};
Field parseField(const char* begin, const char* end, float& value);

// A field too long to hold, read as it streams past, a piece at a time:
// what decides its value is kept (the sign, the first significant digits,
// whether any later digit is not zero, the decimal exponent), so that it
// can be written again as a short field that reads as the same float.
class LongNumber
{
public:
    // Reads the next piece of the field, which holds no field end.
    void take(std::string_view piece);

    // Whether what was read so far cannot begin a number.
    bool failed() const { return m_state == State::Bad; }

    // The short form of the whole field, or nothing when it is not a number.
    std::optional<std::string> shortForm() const;

    // The decimal exponent of the number's first significant digit plus one:
    // 0 or less for a magnitude below 1.
    std::int64_t scale() const;

private:
    enum class State { Start, Sign, Whole, Fraction, ExponentStart, ExponentSign, Exponent, Bad };
    // More digits than can change a double's rounding; past them only
    // whether one is not zero matters.
    static constexpr std::size_t kDigits = 800;
    static constexpr std::int64_t kExponentLimit = 1'000'000'000'000'000;

    void takeOne(char c);
    // A sign where the number or its exponent may start: sets negative and
    // moves to signState. False for any other character.
    bool takeSign(char c, bool& negative, State signState);
    void takeDigits(const char* begin, const char* end);
    void takeExponentDigits(const char* begin, const char* end);

    State m_state = State::Start;
    bool m_negative = false, m_sawDigit = false, m_sticky = false, m_negativeExponent = false;
    std::string m_significant;
    std::int64_t m_scale = 0; // the value is 0.<significant> times 10 to this
    std::int64_t m_exponent = 0;
};

} // namespace triview
