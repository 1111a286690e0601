// A program's arguments read the way both of ours read them: options, each
// once, with a value after it or, for a long name, after "="; operands, which
// are "-", anything not starting with "-", and everything after "--". Every
// argument is taken as the bytes it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace triview {

struct OptionName
{
    std::string_view name; // the long name, --name; empty for none
    char letter; // the short one, -letter; 0 for none
    bool takesValue;
};

// How an option is named in a message: its long name if it has one.
std::string optionShown(const OptionName& option);

struct Arguments
{
    // Each option's value, in the order of the names given: none when not
    // given, "" for a flag.
    std::vector<std::optional<std::string_view>> given;
    std::vector<std::string_view> operands;
    std::string wrong; // why the arguments are wrong; empty when they are not
};

// Reads argv[1] on. Reading stops at the first argument that is wrong: an
// unknown option, one given twice, a value missing or not wanted, an operand
// beyond the first maxOperands (wrong then says tooMany), or what take, told
// of each option as it is read, answers.
Arguments readArguments(int argc, char* const argv[], std::span<const OptionName> options,
    std::size_t maxOperands = SIZE_MAX, std::string_view tooMany = {},
    const std::function<std::string(std::size_t option, std::string_view value)>& take = {});

// A whole number from low to high, written with at most five digits and
// nothing else; none when it is not.
std::optional<int> wholeNumber(std::string_view text, int low, int high);

} // namespace triview
