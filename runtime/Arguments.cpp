#include "runtime/Arguments.h"

#include "runtime/ShownSafely.h"

#include <algorithm>
#include <charconv>

namespace triview {

std::string optionShown(const OptionName& option)
{
    return option.name.empty() ? std::string { '-', option.letter }
                               : "--" + std::string(option.name);
}

Arguments readArguments(int argc, char* const argv[], std::span<const OptionName> options,
    std::size_t maxOperands, std::string_view tooMany,
    const std::function<std::string(std::size_t, std::string_view)>& take)
{
    Arguments read;
    read.given.resize(options.size());
    const bool longNames = std::any_of(
        options.begin(), options.end(), [](const OptionName& o) { return !o.name.empty(); });
    bool optionsEnded = false;
    for (int i = 1; i < argc && read.wrong.empty(); ++i) {
        std::string_view argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
            if (read.operands.size() == maxOperands)
                read.wrong = tooMany;
            else
                read.operands.push_back(argument);
            continue;
        }
        std::optional<std::string_view> value;
        if (const std::size_t equals = argument.find('=');
            longNames && argument.starts_with("--") && equals != std::string_view::npos) {
            value = argument.substr(equals + 1);
            argument = argument.substr(0, equals);
        }
        std::size_t found = options.size();
        for (std::size_t k = 0; k < options.size(); ++k)
            if ((!options[k].name.empty() && argument == "--" + std::string(options[k].name))
                || (options[k].letter != 0 && argument == std::string { '-', options[k].letter }))
                found = k;
        if (found == options.size()) {
            read.wrong = "unknown option " + shownSafely(argument, 40);
            break;
        }
        const OptionName& option = options[found];
        if (read.given[found]) {
            read.wrong = optionShown(option) + " is given twice";
        } else if (option.takesValue && !value && i + 1 == argc) {
            read.wrong = optionShown(option) + " needs a value";
        } else if (!option.takesValue && value) {
            read.wrong = optionShown(option) + " takes no value";
        } else {
            if (option.takesValue && !value)
                value = argv[++i];
            read.given[found] = value.value_or("");
            if (take)
                read.wrong = take(found, *read.given[found]);
        }
    }
    return read;
}

std::optional<int> wholeNumber(std::string_view text, int low, int high)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.size() > 5 || error != std::errc {} || end != text.data() + text.size()
        || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace triview
