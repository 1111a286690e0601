// Which of Qt's window systems the window can open on, found before Qt is
// asked: Qt aborts, with a core dump, when the one it tries fails. The
// platform asked for in QT_QPA_PLATFORM (a list, "wayland;xcb", is tried in
// order) or, without it, Wayland where a session has one and then X; each
// taken only when Qt has its plugin and its display answers. An X server
// or a Wayland compositor that takes the connection and never answers (a
// stopped one) counts as none after a few seconds.
#pragma once

#include <chrono>
#include <string>

struct xcb_connection_t;

namespace triview {

class DisplayProbe
{
public:
    // How long a display may take to answer.
    static constexpr std::chrono::seconds kAnswerTimeout { 5 };

    DisplayProbe();
    // An X connection made to look stays open until here: as the server's
    // only client, its leaving could reset the server just as Qt connects.
    ~DisplayProbe();
    DisplayProbe(const DisplayProbe&) = delete;
    DisplayProbe& operator=(const DisplayProbe&) = delete;

    // The platform, with any options it was given ("xcb", "offscreen:..."),
    // to put in QT_QPA_PLATFORM for Qt; empty when there is none.
    const std::string& platform() const { return m_platform; }
    // Why there is none, for the user: what was asked for and what failed.
    const std::string& problem() const { return m_problem; }

private:
    std::string m_platform;
    std::string m_problem;
    xcb_connection_t* m_connection = nullptr;
};

// The title bar Qt's Wayland plugin should draw where the compositor draws
// none: GNOME's look ("adwaita", Qt 6.8 on) on GNOME, unless the user named
// one in QT_WAYLAND_DECORATION; empty for Qt's own choice.
std::string waylandDecoration();

} // namespace triview
