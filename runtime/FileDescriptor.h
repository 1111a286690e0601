// One owner of a file descriptor: closed when its owner goes, moved, never
// copied, so that no descriptor is closed twice or left open on a path that
// raises.
#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace triview {

class FileDescriptor
{
public:
    FileDescriptor() = default;
    // Owns fd; a negative one is none.
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    { }
    ~FileDescriptor() { close(); }
    FileDescriptor(FileDescriptor&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    { }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

    // Closes it now; answers errno, or 0 (a network file system may report
    // a failed write only here).
    int close()
    {
        if (m_fd < 0)
            return 0;
        const int result = ::close(std::exchange(m_fd, -1));
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd = -1;
};

} // namespace triview
