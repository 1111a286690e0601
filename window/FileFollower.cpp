#include "window/FileFollower.h"

#include <QSocketNotifier>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <sys/inotify.h>
#include <unistd.h>

namespace triview {

namespace {

// What happens to the file itself, through a symbolic link too.
constexpr std::uint32_t kFileEvents
    = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
// What happens to a name in its folder: made, removed, renamed to or from;
// and to the folder itself: removed or renamed.
constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO
    | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

} // namespace

FileFollower::FileFollower(QObject* parent)
    : QObject(parent)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, &FileFollower::changed);
}

FileFollower::~FileFollower()
{
    m_notifier.reset(); // before the descriptor it watches
}

std::string FileFollower::follow(const std::string& file)
{
    if (!m_inotify.isOpen()) {
        m_inotify = FileDescriptor(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
        if (!m_inotify.isOpen())
            return std::strerror(errno);
        m_notifier = std::make_unique<QSocketNotifier>(m_inotify.get(), QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &FileFollower::readEvents);
    }
    for (int* watch : { &m_folderWatch, &m_fileWatch })
        if (*watch >= 0)
            ::inotify_rm_watch(m_inotify.get(), std::exchange(*watch, -1));
    m_file = file;
    const std::filesystem::path path(file);
    m_name = path.filename().string();
    m_folder = path.has_parent_path() ? path.parent_path().string() : ".";
    if (!watchFolder())
        return std::strerror(errno);
    watchFile();
    return {};
}

// Watches the file's folder or, while it is not there, the nearest folder
// above it that is, to see the way back down made again. Answers false,
// with errno, when no folder on the path can be watched.
bool FileFollower::watchFolder()
{
    if (m_folderWatch >= 0) // already gone with its folder, or still to let go
        ::inotify_rm_watch(m_inotify.get(), std::exchange(m_folderWatch, -1));
    std::filesystem::path folder(m_folder);
    for (;;) {
        m_folderWatch = ::inotify_add_watch(m_inotify.get(), folder.c_str(), kFolderEvents);
        m_watchingFolder = folder == m_folder;
        if (m_folderWatch >= 0)
            return true;
        if ((errno != ENOENT && errno != ENOTDIR) || folder == "." || folder == folder.root_path())
            return false;
        folder = folder.has_parent_path() ? folder.parent_path() : ".";
    }
}

// The name may stand for another file than before (renamed over, made
// again): watched anew, the same watch when it is the same file.
void FileFollower::watchFile()
{
    m_fileWatch = ::inotify_add_watch(m_inotify.get(), m_file.c_str(), kFileEvents);
}

void FileFollower::readEvents()
{
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    bool relevant = false, folderMoved = false;
    for (;;) {
        const ssize_t got = ::read(m_inotify.get(), buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof event;
            relevant = relevant || (event.mask & IN_Q_OVERFLOW) || event.wd == m_fileWatch
                || (event.wd == m_folderWatch && event.len > 0 && m_name == name);
            // The folder went, or something came where it was missing.
            folderMoved = folderMoved
                || (event.wd == m_folderWatch
                    && ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED))
                        || (!m_watchingFolder && (event.mask & (IN_CREATE | IN_MOVED_TO)))));
            at += ssize_t(sizeof event + event.len);
        }
    }
    if (folderMoved) {
        const bool wasWatchingFolder = m_watchingFolder;
        watchFolder();
        // Back: the file may have come with it, before the watch did.
        relevant = relevant || (m_watchingFolder && !wasWatchingFolder);
    }
    if (!relevant)
        return;
    watchFile();
    m_quiet.start(); // again from now: the burst is not over
}

} // namespace triview
