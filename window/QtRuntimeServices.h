// The runtime services on Qt: QInputDialog, QMessageBox, the local clock and
// QCoreApplication::processEvents.
#pragma once

#include "window/RuntimeServices.h"

#include <QPointer>
#include <QWidget>

namespace triview {

// The title of a message box shown without one.
inline constexpr std::string_view kDefaultTitle = "triview";

class QtRuntimeServices : public RuntimeServices
{
public:
    // The input box is not shown the first time: name is its answer, as if
    // typed (the file named on the command line).
    void answerFirstInputBox(std::string name) { m_answer = std::move(name); }
    // The program's window: once it is shown, every dialog belongs to it,
    // so that the desktop keeps them above it (on Wayland too, where no
    // window is active yet when it has just been shown).
    void setWindow(QWidget* window) { m_window = window; }

    std::string inputBox(std::string_view prompt, std::string_view title) override;
    void messageBox(std::string_view text, std::optional<std::string_view> title) override;
    float timer() override;
    void doEvents() override;

private:
    QWidget* owner() const;

    std::optional<std::string> m_answer;
    QPointer<QWidget> m_window;
};

} // namespace triview
