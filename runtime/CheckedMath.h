// Checked arithmetic as the form runtime does it: 16- and 32-bit integer
// operations and float-to-integer conversion raise the overflow error (6)
// instead of wrapping, and float arithmetic is followed by a test of the
// floating-point status.
#pragma once

#include <cstdint>

namespace triview::checked {

// Each raises RuntimeError(err::Overflow) when the result leaves the range
// of its width.
std::int16_t add16(std::int16_t a, std::int16_t b);
std::int16_t mul16(std::int16_t a, std::int16_t b);
std::int32_t add32(std::int32_t a, std::int32_t b);
std::int32_t sub32(std::int32_t a, std::int32_t b);
std::int32_t mul32(std::int32_t a, std::int32_t b);

// Float to 32-bit integer: rounds to nearest, ties to even (0.5 -> 0,
// 1.5 -> 2, 2.5 -> 2); raises the overflow error when the rounded value is
// outside the 32-bit range or the value is not a number.
std::int32_t toInt32(double value);

// Guards a piece of float arithmetic: construction clears the status flags,
// check() raises what the arithmetic since then set: division by zero (11),
// overflow or invalid operation (6). Inexact and underflow are not faults.
class FloatStatus
{
public:
    FloatStatus() noexcept;
    void check() const;
};

} // namespace triview::checked
