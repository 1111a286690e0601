#include "window/EventDispatcher.h"

#include "runtime/RuntimeError.h"
#include "window/RuntimeServices.h"

#include <new>

namespace triview {

EventDispatcher::EventDispatcher(
    RuntimeServices& runtime, std::function<void()> stopping, std::function<void(int)> finished)
    : m_runtime(runtime)
    , m_stopping(std::move(stopping))
    , m_finished(std::move(finished))
{ }

void EventDispatcher::resumeEnd() const
{
    if (m_ended)
        endProgram(m_exitStatus);
}

void EventDispatcher::run(const std::function<void()>& handler)
{
    if (m_ended)
        return;
    std::string report;
    int status = 1;
    try {
        handler();
        return;
    } catch (const ProgramEnded& ended) {
        status = ended.exitStatus;
    } catch (const RuntimeError& error) {
        report = error.report();
    } catch (const std::bad_alloc&) {
        report = RuntimeError(err::OutOfMemory).report();
    } catch (const std::exception& error) {
        report = RuntimeError(err::InternalError, error.what()).report();
    }
    // A handler run inside this one (during doEvents) may have ended the
    // program and reported already.
    if (m_ended)
        return;
    m_ended = true;
    m_exitStatus = status;
    if (m_stopping)
        m_stopping();
    if (!report.empty()) {
        try {
            m_runtime.messageBox(report);
        } catch (...) {
            // Nothing is left to tell the user with; the program ends regardless.
        }
    }
    if (m_finished)
        m_finished(status);
}

} // namespace triview
