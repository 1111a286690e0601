// Checked arithmetic, float-to-integer rounding, the floating-point status
// test, the count's text form and the fatal report's text.
#include "runtime/CheckedMath.h"
#include "runtime/RuntimeError.h"
#include "runtime/Values.h"

#include <cfloat>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace triview {
namespace {

std::int32_t raisedNumber(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

struct Int16Case
{
    const char* name;
    std::function<std::int16_t()> operation;
    std::int16_t expected; // when no error
    std::int32_t error;
};

void PrintTo(const Int16Case& c, std::ostream* os)
{
    *os << c.name;
}

class Checked16 : public testing::TestWithParam<Int16Case>
{
};

TEST_P(Checked16, GivesResultOrOverflow)
{
    const Int16Case& c = GetParam();
    if (c.error != 0)
        EXPECT_EQ(raisedNumber([&] { c.operation(); }), c.error);
    else
        EXPECT_EQ(c.operation(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Checked16,
    testing::Values(Int16Case { "AddToLast", [] { return checked::add16(32766, 1); }, 32767, 0 },
        Int16Case { "AddPastMax", [] { return checked::add16(32767, 1); }, 0, err::Overflow },
        Int16Case { "AddPastMin", [] { return checked::add16(-32768, -1); }, 0, err::Overflow },
        Int16Case { "CursorLastTriangle", [] { return checked::add16(32763, 3); }, 32766, 0 },
        Int16Case { "CursorPast", [] { return checked::add16(32766, 3); }, 0, err::Overflow },
        Int16Case { "Mul100At327", [] { return checked::mul16(100, 327); }, 32700, 0 },
        Int16Case { "Mul100At328", [] { return checked::mul16(100, 328); }, 0, err::Overflow },
        Int16Case { "MulMinus20AtMinus1638", [] { return checked::mul16(-20, -1638); }, 32760, 0 },
        Int16Case {
            "MulNegativeEdge", [] { return checked::mul16(-100, 328); }, 0, err::Overflow }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Checked32, AddSubtractMultiplyAtTheEdges)
{
    EXPECT_EQ(checked::add32(2147483646, 1), 2147483647);
    EXPECT_EQ(raisedNumber([] { checked::add32(2147483647, 1); }), err::Overflow);
    EXPECT_EQ(checked::sub32(-2130706432, 0x1000000), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(raisedNumber([] { checked::sub32(-2130706433, 0x1000000); }), err::Overflow);
    EXPECT_EQ(checked::mul32(32767, 48), 1572816);
    EXPECT_EQ(raisedNumber([] { checked::mul32(65536, 32768); }), err::Overflow);
}

TEST(ToInt32, RoundsHalfToEven)
{
    const std::pair<double, std::int32_t> cases[] = {
        { 0.5, 0 },
        { 1.5, 2 },
        { 2.5, 2 },
        { -0.5, 0 },
        { -1.5, -2 },
        { 0.49999997, 0 },
        { 2.5000001, 3 },
        { -2147483648.0, std::numeric_limits<std::int32_t>::min() },
        { 2147483647.4, 2147483647 },
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(checked::toInt32(value), expected) << value;
}

TEST(ToInt32, OutOfRangeOrNotANumberOverflows)
{
    for (const double value : { 2147483647.5, 2147483648.0, -2147483649.0, 1e300,
             std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN() })
        EXPECT_EQ(raisedNumber([&] { checked::toInt32(value); }), err::Overflow) << value;
}

TEST(FloatStatus, ReportsOnlyWhatHappenedSinceItWasMade)
{
    volatile double zero = 0.0, big = DBL_MAX;
    {
        volatile double q = 1.0 / zero; // a fault before the guard is not its business
        (void)q;
        const checked::FloatStatus status;
        EXPECT_EQ(raisedNumber([&] { status.check(); }), 0);
    }
    {
        const checked::FloatStatus status;
        volatile double q = 1.0 / zero;
        (void)q;
        EXPECT_EQ(raisedNumber([&] { status.check(); }), err::DivisionByZero);
    }
    {
        const checked::FloatStatus status;
        volatile float f = static_cast<float>(big);
        (void)f;
        EXPECT_EQ(raisedNumber([&] { status.check(); }), err::Overflow);
    }
    {
        const checked::FloatStatus status;
        volatile double q = zero / zero;
        (void)q;
        EXPECT_EQ(raisedNumber([&] { status.check(); }), err::Overflow);
    }
    {
        const checked::FloatStatus status;
        volatile float f = static_cast<float>(0.1); // inexact only
        (void)f;
        EXPECT_EQ(raisedNumber([&] { status.check(); }), 0);
    }
}

TEST(NumberText, LeadingBlankForZeroAndAbove)
{
    EXPECT_EQ(numberText(12), " 12");
    EXPECT_EQ(numberText(0), " 0");
    EXPECT_EQ(numberText(32767), " 32767");
    EXPECT_EQ(numberText(-5), "-5");
}

TEST(RuntimeErrorReport, NamesNumberDescriptionFileAndLine)
{
    const RuntimeError fileError(err::TypeMismatch, "model.tri", 7, "欄位內容: \"1.5x\"");
    EXPECT_EQ(fileError.report(),
        "執行階段錯誤 '13':\n\n型態不符合\n\n檔案: model.tri\n第 7 行\n欄位內容: \"1.5x\"");

    const RuntimeError device = deviceError(static_cast<std::int32_t>(0x8876086Cu), "Clear");
    EXPECT_EQ(device.number(), -2005530516);
    EXPECT_EQ(device.report(), "執行階段錯誤 '-2005530516 (8876086c)':\n\n自動化錯誤\n作業: Clear");

    EXPECT_EQ(RuntimeError(err::Overflow).report(), "執行階段錯誤 '6':\n\n溢位");
}

} // namespace
} // namespace triview
