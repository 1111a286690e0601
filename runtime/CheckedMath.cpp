#include "runtime/CheckedMath.h"

#include "runtime/RuntimeError.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace triview::checked {

namespace {

template <typename Narrow> Narrow narrowOrOverflow(std::int64_t wide)
{
    if (wide < std::numeric_limits<Narrow>::min() || wide > std::numeric_limits<Narrow>::max())
        throw RuntimeError(err::Overflow);
    return static_cast<Narrow>(wide);
}

} // namespace

std::int16_t add16(std::int16_t a, std::int16_t b)
{
    return narrowOrOverflow<std::int16_t>(std::int64_t { a } + b);
}

std::int16_t mul16(std::int16_t a, std::int16_t b)
{
    return narrowOrOverflow<std::int16_t>(std::int64_t { a } * b);
}

std::int32_t add32(std::int32_t a, std::int32_t b)
{
    return narrowOrOverflow<std::int32_t>(std::int64_t { a } + b);
}

std::int32_t sub32(std::int32_t a, std::int32_t b)
{
    return narrowOrOverflow<std::int32_t>(std::int64_t { a } - b);
}

std::int32_t mul32(std::int32_t a, std::int32_t b)
{
    return narrowOrOverflow<std::int32_t>(std::int64_t { a } * b);
}

std::int32_t toInt32(double value)
{
    // nearbyint rounds in the current mode, which is to nearest, ties to even.
    const double rounded = std::nearbyint(value);
    // Test the range before converting: an out-of-range conversion is undefined.
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        throw RuntimeError(err::Overflow);
    return static_cast<std::int32_t>(rounded);
}

FloatStatus::FloatStatus() noexcept
{
    std::feclearexcept(FE_ALL_EXCEPT);
}

void FloatStatus::check() const
{
    const int raised = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
    if (raised & FE_DIVBYZERO)
        throw RuntimeError(err::DivisionByZero);
    if (raised)
        throw RuntimeError(err::Overflow);
}

} // namespace triview::checked
