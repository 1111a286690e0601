#include "app/OutputFile.h"

#include "runtime/RuntimeError.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
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

// Answers errno, or 0 once every byte is written.
int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno != EINTR)
            return errno;
        bytes.remove_prefix(static_cast<std::size_t>(std::max<ssize_t>(wrote, 0)));
    }
    return 0;
}

void writeInPlace(const std::string& output, std::string_view bytes)
{
    // O_CREAT without O_EXCL: a dangling link gets its target made.
    Descriptor file(::open(output.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666));
    if (file.get() < 0)
        raiseFor(errno, output);
    FileStatus status {};
    int error = writeAll(file.get(), bytes);
    if (error == 0 && ::fstat(file.get(), &status) == 0 && S_ISREG(status.st_mode)
        && ::ftruncate(file.get(), static_cast<off_t>(bytes.size())) != 0)
        error = errno;
    if (const int closing = file.close(); error == 0)
        error = closing;
    if (error != 0)
        raiseFor(error, output);
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

void writeOutput(const std::string& output, std::string_view bytes)
{
    if (output == "-") {
        if (const int error = writeAll(STDOUT_FILENO, bytes); error != 0)
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
