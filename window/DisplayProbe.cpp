#include "window/DisplayProbe.h"

#include "runtime/FileDescriptor.h"
#include "runtime/ShownSafely.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <cerrno>
#include <future>
#include <memory>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace triview {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The keys Qt's plugins of a kind ("platforms") answer to, as their metadata
// gives them (read without loading them), where Qt looks for them.
std::set<std::string> installedPlugins(const QString& kind)
{
    QStringList folders { QLibraryInfo::path(QLibraryInfo::PluginsPath) };
    folders += qEnvironmentVariable("QT_PLUGIN_PATH").split(u':', Qt::SkipEmptyParts);
    std::set<std::string> keys;
    for (const QString& folder : folders) {
        const QDir dir(folder + u'/' + kind);
        for (const QString& file : dir.entryList(QDir::Files)) {
            const QJsonObject meta
                = QPluginLoader(dir.filePath(file)).metaData().value(u"MetaData").toObject();
            for (const QJsonValue key : meta.value(u"Keys").toArray())
                keys.insert(key.toString().toLower().toStdString());
        }
    }
    return keys;
}

// Whether a Wayland compositor answers where Qt's plugin would connect,
// empty if it does, or why not. A compositor answers a wl_display.sync
// request (object 1, opcode 0, the new callback 2) with the callback's done
// event; a stopped one accepts the connection and says nothing.
std::string waylandProblem(const std::string& display)
{
    const std::string shown = "the Wayland display " + shownSafely(display, 40);
    const std::string runtime = environment("XDG_RUNTIME_DIR");
    const std::string path = display.starts_with('/') ? display : runtime + "/" + display;
    sockaddr_un address {};
    if ((runtime.empty() && !display.starts_with('/')) || path.size() >= sizeof address.sun_path)
        return shown + " does not answer";
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, path.size());
    const FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int fd = socket.get();
    if (fd < 0)
        return shown + " does not answer";
    const std::uint32_t sync[] = { 1, 12u << 16 | 0, 2 }; // 12 bytes long
    bool asked = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
        && ::send(fd, sync, sizeof sync, MSG_NOSIGNAL) == sizeof sync;
    pollfd reply { fd, POLLIN, 0 };
    const auto timeout = std::chrono::milliseconds(DisplayProbe::kAnswerTimeout).count();
    int ready = 0;
    if (asked)
        while ((ready = ::poll(&reply, 1, static_cast<int>(timeout))) < 0 && errno == EINTR) { }
    std::uint32_t header[2] = {};
    const bool answered
        = ready > 0 && ::recv(fd, header, sizeof header, MSG_WAITALL) == sizeof header;
    if (answered)
        return {};
    if (asked && ready == 0)
        return shown + " did not answer in " + std::to_string(DisplayProbe::kAnswerTimeout.count())
            + " s";
    return shown + " does not answer";
}

// A connection to the X display, or null with why. The connection is made
// on a thread of its own, left behind if the server never answers.
xcb_connection_t* connectToX(std::string& why)
{
    const std::string display = shownSafely(environment("DISPLAY"), 40);
    if (display.empty()) {
        why = "DISPLAY is not set";
        return nullptr;
    }
    auto result = std::make_shared<std::promise<xcb_connection_t*>>();
    std::future<xcb_connection_t*> answer = result->get_future();
    std::thread([result] { result->set_value(xcb_connect(nullptr, nullptr)); }).detach();
    if (answer.wait_for(DisplayProbe::kAnswerTimeout) != std::future_status::ready) {
        why = "the X display " + display + " did not answer in "
            + std::to_string(DisplayProbe::kAnswerTimeout.count()) + " s";
        return nullptr;
    }
    xcb_connection_t* connection = answer.get();
    if (xcb_connection_has_error(connection) == 0)
        return connection;
    xcb_disconnect(connection);
    why = "the X display " + display + " cannot be reached";
    return nullptr;
}

} // namespace

DisplayProbe::DisplayProbe()
{
    std::vector<std::string> asked;
    if (const std::string platforms = environment("QT_QPA_PLATFORM"); !platforms.empty()) {
        for (std::size_t at = 0; at <= platforms.size();) {
            const std::size_t end = std::min(platforms.find(';', at), platforms.size());
            if (end > at)
                asked.push_back(platforms.substr(at, end - at));
            at = end + 1;
        }
    } else {
        if (!environment("WAYLAND_DISPLAY").empty() || environment("XDG_SESSION_TYPE") == "wayland")
            asked.push_back("wayland");
        asked.push_back("xcb");
    }
    const std::set<std::string> installed = installedPlugins(QStringLiteral("platforms"));
    std::string why;
    for (const std::string& platform : asked) {
        const std::string name = platform.substr(0, platform.find(':'));
        std::string failed;
        if (!installed.contains(name)) {
            failed = "Qt has no platform plugin \"" + shownSafely(name, 40) + "\"";
        } else if (name == "xcb") {
            m_connection = connectToX(failed);
        } else if (name.starts_with("wayland")) {
            const std::string display = environment("WAYLAND_DISPLAY");
            failed = waylandProblem(display.empty() ? "wayland-0" : display);
        } // other platforms need no display that can be looked for
        if (failed.empty()) {
            m_platform = platform;
            return;
        }
        why += (why.empty() ? "" : "; ") + failed;
    }
    m_problem = why.empty() ? "QT_QPA_PLATFORM names no platform" : why;
}

std::string waylandDecoration()
{
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':');
    const bool gnome = desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
    return gnome && environment("QT_WAYLAND_DECORATION").empty()
            && installedPlugins(QStringLiteral("wayland-decoration-client")).contains("adwaita")
        ? "adwaita"
        : "";
}

DisplayProbe::~DisplayProbe()
{
    if (m_connection != nullptr)
        xcb_disconnect(m_connection);
}

} // namespace triview
