#include "app/OutputFile.h"

#include "runtime/RuntimeError.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace triview {

namespace {

using FileStatus = struct stat;

[[noreturn]] void raiseFor(int error, const std::string& output)
{
    const std::int32_t number = error == ENOENT || error == ENOTDIR ? err::PathNotFound
        : error == ENOSPC || error == EDQUOT                        ? err::DiskFull
                                                                    : err::PathFileAccess;
    throw RuntimeError(number, output, 0);
}

class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    { }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    // Closes now; answers errno, or 0 (a network file system may report a
    // failed write only here).
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// How long a reader that takes nothing, or another writer's lock, may keep
// a picture waiting before it is given up.
constexpr int kPatienceMs = 10'000;

// Why a FIFO or a lock could not be written: shown after the file's name.
constexpr std::string_view kNoReader = "沒有程式在讀取這個 FIFO";
constexpr std::string_view kReaderStalled = "讀取端 10 秒沒有取走資料";
constexpr std::string_view kLockedByAnother = "另一個程式鎖住這個檔案超過 10 秒";

// Answers errno, or 0 once every byte is written; ETIMEDOUT when a pipe or
// FIFO took nothing for kPatienceMs. A pipe takes PIPE_BUF bytes without
// blocking once poll says it has room, blocking or not.
int writeAll(int fd, std::string_view bytes)
{
    FileStatus status {};
    const bool pipe = ::fstat(fd, &status) == 0 && S_ISFIFO(status.st_mode);
    while (!bytes.empty()) {
        pollfd ready { fd, POLLOUT, 0 };
        if (pipe && ::poll(&ready, 1, kPatienceMs) == 0)
            return ETIMEDOUT;
        const ssize_t wrote = ::write(
            fd, bytes.data(), pipe ? std::min<std::size_t>(bytes.size(), PIPE_BUF) : bytes.size());
        if (wrote < 0 && errno != EINTR && errno != EAGAIN)
            return errno;
        bytes.remove_prefix(static_cast<std::size_t>(std::max<ssize_t>(wrote, 0)));
    }
    return 0;
}

[[noreturn]] void raiseWriting(int error, const std::string& output)
{
    if (error == ETIMEDOUT)
        throw RuntimeError(err::PathFileAccess, output, 0, std::string(kReaderStalled));
    raiseFor(error, output);
}

// Takes an exclusive advisory lock on fd, waiting up to kPatienceMs for
// another holder to let go.
bool lockWithinPatience(int fd)
{
    for (int waited = 0;; waited += 10) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return true; // a file system without locks: written unlocked
        if (waited >= kPatienceMs)
            return false;
        ::usleep(10'000);
    }
}

// Holds SIGINT, SIGTERM and SIGHUP back while it lives; one that came
// meanwhile takes effect when it ends.
class HeldSignals
{
public:
    HeldSignals()
    {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : { SIGINT, SIGTERM, SIGHUP })
            sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &m_previous);
    }
    ~HeldSignals() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

    bool anyCame() const
    {
        sigset_t pending;
        sigpending(&pending);
        for (const int signal : { SIGINT, SIGTERM, SIGHUP })
            if (sigismember(&pending, signal) == 1 && sigismember(&m_previous, signal) == 0)
                return true;
        return false;
    }

private:
    sigset_t m_previous;
};

void writeInPlace(const std::string& output, std::string_view bytes)
{
    // Not blocking, so that a FIFO nobody reads is refused at once rather
    // than waited on for ever. O_CREAT without O_EXCL: a dangling link gets
    // its target made.
    Descriptor file(
        ::open(output.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC | O_NONBLOCK, 0666));
    FileStatus status {};
    if (file.get() < 0) {
        const int error = errno;
        if (error == ENXIO && ::stat(output.c_str(), &status) == 0 && S_ISFIFO(status.st_mode))
            throw RuntimeError(err::PathFileAccess, output, 0, std::string(kNoReader));
        raiseFor(error, output);
    }
    if (::fstat(file.get(), &status) != 0)
        raiseFor(errno, output);
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    // A regular file is either still its old picture or the whole new one:
    // another triview writing it waits its turn, and no signal cuts the
    // writing short before the length is set.
    const bool regular = S_ISREG(status.st_mode);
    if (regular && !lockWithinPatience(file.get()))
        throw RuntimeError(err::PathFileAccess, output, 0, std::string(kLockedByAnother));
    std::optional<HeldSignals> held;
    if (regular)
        held.emplace();
    int error = writeAll(file.get(), bytes);
    if (error == 0 && regular && ::ftruncate(file.get(), static_cast<off_t>(bytes.size())) != 0)
        error = errno;
    if (const int closing = file.close(); error == 0)
        error = closing;
    if (error != 0)
        raiseWriting(error, output);
}

// A name for a new file in folder that no other file has, short enough for
// any folder; and the file, open for writing. Answers -1 and errno on failure.
int createUnique(const std::string& folder, std::string& name)
{
    static constexpr std::string_view letters
        = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[8] = {};
        if (::getrandom(random, sizeof random, 0) < 0)
            return -1;
        name = folder + "/.triview-";
        for (const unsigned char byte : random)
            name += letters[byte % letters.size()];
        const int fd
            = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void writeNew(const std::string& output, std::string_view bytes)
{
    const std::size_t slash = output.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
        : slash == 0                                      ? "/"
                                                          : output.substr(0, slash);
    const HeldSignals held;
    std::string temporary;
    Descriptor file(createUnique(folder, temporary));
    if (file.get() < 0)
        raiseFor(errno, output);
    int error = writeAll(file.get(), bytes);
    if (const int closing = file.close(); error == 0)
        error = closing;
    if (error == 0 && held.anyCame()) {
        ::unlink(temporary.c_str());
        throw RuntimeError(err::UserInterrupt);
    }
    if (error == 0
        && ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, output.c_str(), RENAME_NOREPLACE)
            != 0) {
        error = errno;
        // A file system that cannot refuse to replace renames plainly.
        if ((error == EINVAL || error == ENOSYS)
            && ::rename(temporary.c_str(), output.c_str()) == 0)
            return;
    }
    if (error == 0)
        return;
    ::unlink(temporary.c_str());
    if (error != EEXIST)
        raiseFor(error, output);
    // Something took the name meanwhile: it gets the picture in place.
    writeInPlace(output, bytes);
}

} // namespace

bool sameFile(const std::string& output, const std::string& file)
{
    FileStatus out {}, model {};
    const bool standardOutput = output == "-";
    if (!standardOutput && output == file)
        return true;
    return (standardOutput ? ::fstat(STDOUT_FILENO, &out) : ::stat(output.c_str(), &out)) == 0
        && ::stat(file.c_str(), &model) == 0 && out.st_dev == model.st_dev
        && out.st_ino == model.st_ino;
}

bool isTerminal(const std::string& output)
{
    if (output == "-")
        return ::isatty(STDOUT_FILENO) == 1;
    FileStatus status {};
    if (::stat(output.c_str(), &status) != 0 || !S_ISCHR(status.st_mode))
        return false;
    const Descriptor device(::open(output.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    return device.get() >= 0 && ::isatty(device.get()) == 1;
}

void writeOutput(const std::string& output, std::string_view bytes)
{
    if (output == "-") {
        if (const int error = writeAll(STDOUT_FILENO, bytes); error != 0)
            raiseWriting(error, "-");
        return;
    }
    FileStatus status {};
    if (::lstat(output.c_str(), &status) == 0)
        writeInPlace(output, bytes);
    else if (errno == ENOENT)
        writeNew(output, bytes);
    else
        raiseFor(errno, output);
}

} // namespace triview
