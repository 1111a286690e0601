// The runtime services on Qt: QInputDialog, QMessageBox, the local clock and
// QCoreApplication::processEvents.
#pragma once

#include "runtime/RuntimeServices.h"

namespace triview {

// The title of a message box shown without one.
inline constexpr std::string_view kDefaultTitle = "triview";

class QtRuntimeServices : public RuntimeServices
{
public:
    std::string inputBox(std::string_view prompt, std::string_view title) override;
    void messageBox(std::string_view text, std::optional<std::string_view> title) override;
    float timer() override;
    void doEvents() override;
};

} // namespace triview
