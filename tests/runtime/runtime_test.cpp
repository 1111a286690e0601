// The floating-point status and the fatal report. (The checked integer
// arithmetic is tested where its limits show: counting, loading, the camera.)
#include "Raised.h"
#include "runtime/CheckedMath.h"
#include "runtime/Values.h"

#include <cfloat>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace triview {
namespace {

TEST(FloatStatus, ReportsOnlyWhatFollowedIt)
{
    volatile double zero = 0.0, big = DBL_MAX, sink = 1.0 / zero; // before: not its business
    const std::pair<std::function<void()>, std::int32_t> cases[] = {
        { [] {}, 0 },
        { [&] { sink = 1.0 / zero; }, err::DivisionByZero },
        { [&] { sink = static_cast<float>(big); }, err::Overflow },
        { [&] { sink = zero / zero; }, err::Overflow },
    };
    for (const auto& [arithmetic, error] : cases) {
        const checked::FloatStatus status;
        arithmetic();
        EXPECT_EQ(test::raisedNumber([&] { status.check(); }), error);
    }
}

TEST(RuntimeError, ReportNamesNumberDescriptionFileAndLine)
{
    EXPECT_EQ(RuntimeError(err::TypeMismatch, "model.tri", 7, "欄位內容: \"1.5x\"").report(),
        "執行階段錯誤 '13':\n\n型態不符合\n\n檔案: model.tri\n第 7 行\n欄位內容: \"1.5x\"");
    EXPECT_EQ(deviceError(static_cast<std::int32_t>(0x8876086Cu), "Clear").report(),
        "執行階段錯誤 '-2005530516 (8876086c)':\n\n自動化錯誤\n作業: Clear");
    EXPECT_EQ(numberText(0), " 0"); // the count's text form: a sign position
    // An odd name cannot reorder or break the report; lines go past 2^31.
    EXPECT_EQ(RuntimeError(err::FileNotFound, "a\nb\u202E.tri", 3'000'000'000).report(),
        "執行階段錯誤 '53':\n\n找不到檔案\n\n檔案: aU+000AbU+202E.tri\n第 3000000000 行");
}

} // namespace
} // namespace triview
