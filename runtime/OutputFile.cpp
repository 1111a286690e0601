#include "runtime/OutputFile.h"

#include "runtime/FileDescriptor.h"
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
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace triview {

namespace {

using FileStatus = struct stat;

// Why a FIFO, a lock or a file could not be written: shown after its name.
constexpr std::string_view kNoReader = "沒有程式在讀取這個 FIFO";
constexpr std::string_view kReaderStalled = "讀取端 10 秒沒有取走資料";
constexpr std::string_view kLockedByAnother = "另一個程式鎖住這個檔案超過 10 秒";
constexpr std::string_view kOverSizeLimit = "檔案會超過這個程式能寫的大小上限 (ulimit -f)";

[[noreturn]] void raiseFor(int error, const std::string& output)
{
    const std::int32_t number = error == ENOENT || error == ENOTDIR ? err::PathNotFound
        : error == ENOSPC || error == EDQUOT                        ? err::DiskFull
                                                                    : err::PathFileAccess;
    const std::string_view why = error == ETIMEDOUT ? kReaderStalled
        : error == EFBIG                            ? kOverSizeLimit
                                                    : std::string_view();
    throw RuntimeError(number, output, 0, std::string(why));
}

// How long a reader that takes nothing, or another writer's lock, may keep
// a picture waiting before it is given up.
constexpr int kPatienceMs = 10'000;

// Answers errno, or 0 once every byte is written; ETIMEDOUT when an output
// that is not a regular file (a pipe, a FIFO, a socket, a device) took
// nothing for kPatienceMs. Such an output is written only as far as it has
// room, so that no write waits: a socket with MSG_DONTWAIT, a pipe PIPE_BUF
// bytes at a time (which it takes whole once poll says it has room, blocking
// or not), anything else opened not blocking.
int writeAll(int fd, std::string_view bytes)
{
    FileStatus status {};
    const bool regular = ::fstat(fd, &status) != 0 || S_ISREG(status.st_mode);
    while (!bytes.empty()) {
        pollfd ready { fd, POLLOUT, 0 };
        if (!regular && ::poll(&ready, 1, kPatienceMs) == 0)
            return ETIMEDOUT;
        const ssize_t wrote = S_ISSOCK(status.st_mode)
            ? ::send(fd, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL)
            : ::write(fd, bytes.data(),
                S_ISFIFO(status.st_mode) ? std::min<std::size_t>(bytes.size(), PIPE_BUF)
                                         : bytes.size());
        if (wrote < 0 && errno != EINTR && errno != EAGAIN)
            return errno;
        bytes.remove_prefix(static_cast<std::size_t>(std::max<ssize_t>(wrote, 0)));
    }
    return 0;
}

// Standard output as a description of its own, not blocking, where it is a
// device (a FIFO or a pipe is written PIPE_BUF at a time, a socket not
// waiting, a regular file never waits): setting O_NONBLOCK on the one the
// shell shares would leave the shell's own output not blocking after us.
int standardOutput()
{
    FileStatus status {};
    if (::fstat(STDOUT_FILENO, &status) != 0
        || !(S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)))
        return -1;
    return ::open("/proc/self/fd/1", O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

// Makes room on disk for size bytes of fd before it is written over, so
// that a full disk or the file size limit is met before the old contents
// are touched. Answers errno, or 0.
int reserve(int fd, off_t size, off_t oldSize)
{
    // Room kept without lengthening the file is not held to the limit.
    rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
        && rlim_t(size) > limit.rlim_cur)
        return EFBIG;
    if (size == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0)
        return 0;
    if (errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
    // A file system without fallocate: posix_fallocate writes a zero byte
    // into each block that may lack room, where the file holds zero or
    // nothing, which may lengthen it.
    const int error = ::posix_fallocate(fd, 0, size);
    if (error != 0) {
        // Back to the old length; if that fails too, zero bytes after the
        // picture, which readers pass over.
        [[maybe_unused]] const int shortened = ::ftruncate(fd, oldSize);
    }
    return error;
}

// While it lives, a write past the file size limit (ulimit -f) fails with
// EFBIG instead of ending the program by SIGXFSZ, which would leave a file
// cut short or a temporary one behind.
class SizeLimitAsError
{
public:
    SizeLimitAsError()
    {
        sigemptyset(&m_signal);
        sigaddset(&m_signal, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &m_signal, &m_previous);
    }
    ~SizeLimitAsError()
    {
        const timespec now {};
        while (sigtimedwait(&m_signal, nullptr, &now) == SIGXFSZ) { }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    SizeLimitAsError(const SizeLimitAsError&) = delete;
    SizeLimitAsError& operator=(const SizeLimitAsError&) = delete;

private:
    sigset_t m_signal, m_previous;
};

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
    FileDescriptor file(
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
    // A regular file is either still its old picture or the whole new one:
    // another triview writing it waits its turn, the room for the new one is
    // had before a byte of the old is written over, and no signal cuts the
    // writing short before the length is set. Anything else stays not
    // blocking, so that a write never waits.
    const bool regular = S_ISREG(status.st_mode);
    std::optional<HeldSignals> held;
    if (regular) {
        ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
        if (!lockWithinPatience(file.get()))
            throw RuntimeError(err::PathFileAccess, output, 0, std::string(kLockedByAnother));
        held.emplace();
        if (const int error = reserve(file.get(), off_t(bytes.size()), status.st_size); error != 0)
            raiseFor(error, output);
    }
    int error = writeAll(file.get(), bytes);
    if (error == 0 && regular && ::ftruncate(file.get(), static_cast<off_t>(bytes.size())) != 0)
        error = errno;
    if (const int closing = file.close(); error == 0)
        error = closing;
    if (error != 0)
        raiseFor(error, output);
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
    FileDescriptor file(createUnique(folder, temporary));
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
    const FileDescriptor device(
        ::open(output.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    return device.get() >= 0 && ::isatty(device.get()) == 1;
}

void writeOutput(const std::string& output, std::string_view bytes)
{
    const SizeLimitAsError sizeLimit;
    if (output == "-") {
        const FileDescriptor own(standardOutput());
        if (const int error = writeAll(own.get() >= 0 ? own.get() : STDOUT_FILENO, bytes);
            error != 0)
            raiseFor(error, "-");
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
