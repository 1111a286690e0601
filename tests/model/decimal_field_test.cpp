// The number field: streamed in pieces of any size through LongNumber, a
// field reads as it does whole; runs end where they end, whatever their
// length and wherever they cross sixteen bytes.
#include "model/DecimalField.h"
#include "runtime/RuntimeError.h"

#include <bit>
#include <gtest/gtest.h>

namespace triview {
namespace {

// The float's bits, or the error: a value only counts without one.
std::int64_t read(std::string_view field)
{
    float value = 0;
    const std::int32_t error = parseField(field.data(), field.data() + field.size(), value).error;
    return error != 0 ? -std::int64_t { error }
                      : std::int64_t { std::bit_cast<std::uint32_t>(value) };
}

std::int64_t streamed(std::string_view field, std::size_t piece)
{
    LongNumber number;
    for (std::size_t at = 0; at < field.size(); at += piece)
        number.take(field.substr(at, piece));
    const auto shortForm = number.shortForm();
    return shortForm ? read(*shortForm) : -err::TypeMismatch;
}

TEST(DecimalField, StreamedInAnyPiecesReadsAsWhole)
{
    const std::string zeros(900, '0');
    for (const std::string& field : { std::string("-0"), std::string("+1.5"), std::string(".5"),
             "0.000" + zeros + "1e904", "16777217" + zeros + "e-900", "16777217." + zeros + "1",
             std::string(400, '9'), std::string("1e99999999999999999999999"),
             std::string("-1e-99999999999999999999999"), std::string("1e"), std::string("+-1"),
             std::string("1.2.3"), std::string("inf"), "1" + zeros + "x" })
        for (const std::size_t piece :
            { std::size_t { 1 }, std::size_t { 3 }, std::size_t { 17 }, field.size() })
            EXPECT_EQ(streamed(field, piece), read(field))
                << field.substr(0, 30) << " in pieces of " << piece;
    EXPECT_EQ(read("1e99999999999999999999999"), -err::Overflow);
    EXPECT_EQ(
        read("-1e-99999999999999999999999"), std::int64_t { std::bit_cast<std::uint32_t>(-0.0f) });
}

TEST(DecimalField, RunsEndWhereTheyEnd)
{
    for (std::size_t length = 0; length < 40; ++length) {
        const auto endOf = [&](char run, char stop, const char* (*find)(const char*, const char*)) {
            const std::string text = std::string(length, run) + stop + "7777777777777777";
            return static_cast<std::size_t>(
                find(text.data(), text.data() + text.size()) - text.data());
        };
        for (const char stop : { ',', ' ', '\t', '\r', '\n' })
            EXPECT_EQ(endOf('7', stop, longFieldEnd), length) << int(stop);
        for (const char stop : { ',', '\n', '8', '\0' })
            EXPECT_EQ(endOf(' ', stop, blanksEnd) + endOf('\t', stop, blanksEnd), 2 * length);
        const std::string sevens = "0." + std::string(length, '0') + std::string(length, '7') + "9";
        EXPECT_EQ(streamed(sevens, 5), read(sevens)) << length;
    }
}

} // namespace
} // namespace triview
