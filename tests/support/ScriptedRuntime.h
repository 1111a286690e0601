// Runtime services for tests: input box answers from a script, each message
// recorded with its title, a clock the test sets, and a doEvents that runs
// what the test asks.
#pragma once

#include "window/RuntimeServices.h"

#include <deque>
#include <functional>
#include <vector>

namespace triview::test {

struct ScriptedRuntime : RuntimeServices
{
    struct Message
    {
        std::string text;
        std::optional<std::string> title;
    };

    std::deque<std::string> answers; // with none left the input box is cancelled
    std::vector<std::string> prompts; // "title: prompt" of each input box
    std::vector<Message> messages;
    float clock = 0.0f;
    int doEventsCalls = 0;
    std::function<void()> onMessage, onDoEvents; // run as a message shows, at doEvents

    std::string inputBox(std::string_view prompt, std::string_view title) override
    {
        prompts.push_back(std::string(title) + ": " + std::string(prompt));
        if (answers.empty())
            return {};
        const std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void messageBox(std::string_view text, std::optional<std::string_view> title) override
    {
        messages.push_back(
            { std::string(text), title ? std::optional<std::string>(*title) : std::nullopt });
        if (onMessage)
            onMessage();
    }
    float timer() override { return clock; }
    void doEvents() override
    {
        ++doEventsCalls;
        if (onDoEvents)
            onDoEvents();
    }
};

} // namespace triview::test
