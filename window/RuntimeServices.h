// The form runtime's interactive services: the input box, message boxes, the
// clock and one pass of pending window events, behind one interface so that
// tests can script the answers, record what was shown and set the time.
// Ending the program is an exception that only the event dispatcher catches,
// so a test observes it without its process ending.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace triview {

class RuntimeServices
{
public:
    virtual ~RuntimeServices() = default;

    // Shows a text input with prompt and title; answers the typed text, or
    // the empty text when the user cancels.
    virtual std::string inputBox(std::string_view prompt, std::string_view title) = 0;

    // Shows text with the OK button only and no icon; returns once it is
    // dismissed. Without a title the program's default title is used.
    virtual void messageBox(
        std::string_view text, std::optional<std::string_view> title = std::nullopt)
        = 0;

    // Seconds since local midnight.
    virtual float timer() = 0;

    // Lets the window system handle the events pending now, once. Raises
    // ProgramEnded when a handler run meanwhile ended the program.
    virtual void doEvents() = 0;
};

// Thrown to end the program at once: no unload processing, no further
// message. Not a runtime error, so nothing on its way up handles it.
struct ProgramEnded
{
    int exitStatus;
};

[[noreturn]] inline void endProgram(int exitStatus)
{
    throw ProgramEnded { exitStatus };
}

} // namespace triview
