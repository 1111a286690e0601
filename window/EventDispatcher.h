// Runs the window's event handlers, one at a time, and is the one place
// where an error leaving a handler becomes the fatal report: one message box
// with the error's number and description (and file and line), after which
// no handler runs again and the program ends with status 1.
#pragma once

#include <functional>

namespace triview {

class RuntimeServices;

class EventDispatcher
{
public:
    // When the program ends, stopping runs first (it stops what starts
    // handlers, the timer), then the report is shown, then finished runs
    // with the exit status (it leaves the event loop; leaving it earlier
    // would close the report at once).
    EventDispatcher(RuntimeServices& runtime, std::function<void()> stopping,
        std::function<void(int status)> finished);

    // Runs handler unless the program has ended. Catches everything: a
    // runtime error is reported, an end of the program is recorded, any
    // other exception is reported as an internal error.
    void run(const std::function<void()>& handler);

    bool ended() const { return m_ended; }
    int exitStatus() const { return m_exitStatus; }

    // Ends the program from inside a handler when it has already ended,
    // e.g. by a handler that ran during doEvents().
    void resumeEnd() const;

private:
    RuntimeServices& m_runtime;
    std::function<void()> m_stopping;
    std::function<void(int)> m_finished;
    bool m_ended = false;
    int m_exitStatus = 0;
};

} // namespace triview
