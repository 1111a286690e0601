// Runtime services for tests: input box answers from a script, every
// message box recorded with its title, a clock the test sets, and doEvents
// that runs whatever the test asks.
#pragma once

#include "runtime/RuntimeServices.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace triview::test {

class ScriptedRuntime : public RuntimeServices
{
public:
    struct Message
    {
        std::string text;
        std::optional<std::string> title;
    };

    // Answers for the input box, in order; with none left it is cancelled.
    std::deque<std::string> answers;
    std::vector<std::string> prompts; // "title: prompt" of each input box shown
    std::vector<Message> messages;
    float clock = 0.0f;
    int doEventsCalls = 0;
    // Run as a message box is shown, and at doEvents.
    std::function<void(const Message&)> onMessage;
    std::function<void()> onDoEvents;

    std::string inputBox(std::string_view prompt, std::string_view title) override
    {
        prompts.push_back(std::string(title) + ": " + std::string(prompt));
        if (answers.empty())
            return {};
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }

    void messageBox(std::string_view text, std::optional<std::string_view> title) override
    {
        messages.push_back({ std::string(text),
            title ? std::optional<std::string>(std::string(*title)) : std::nullopt });
        if (onMessage)
            onMessage(messages.back());
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
