#include "model/FileWindow.h"

#include "runtime/RuntimeError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace triview {

namespace {

using FileStatus = struct stat;

// Why a file cannot be opened, in the runtime's error numbers.
[[noreturn]] void raiseOpenError(const std::string& fileName)
{
    namespace fs = std::filesystem;
    const fs::path path(fileName);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        const fs::path folder = path.parent_path();
        if (!folder.empty() && !fs::is_directory(folder, ec))
            throw RuntimeError(err::PathNotFound, fileName, 0);
        throw RuntimeError(err::FileNotFound, fileName, 0);
    }
    throw RuntimeError(err::PathFileAccess, fileName, 0);
}

// The file, if it is a regular one. Its type is looked at before it is
// opened (opening a FIFO would let a writer waiting on it go) and again
// after, in case another file took its name meanwhile; the open does not
// wait, should it be a FIFO by then.
FileDescriptor openRegularFile(const std::string& fileName, std::uint64_t& size)
{
    FileStatus named {}, opened {};
    if (::stat(fileName.c_str(), &named) != 0 || !S_ISREG(named.st_mode))
        raiseOpenError(fileName);
    FileDescriptor file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.isOpen())
        raiseOpenError(fileName);
    if (::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode)
        || opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
        throw RuntimeError(err::PathFileAccess, fileName, 0);
    size = static_cast<std::uint64_t>(opened.st_size);
    return file;
}

std::unique_ptr<char[]> newWindow(std::size_t capacity, const std::string& fileName)
{
    try {
        // Not zero-filled: every byte used is read into it first.
        return std::make_unique_for_overwrite<char[]>(capacity);
    } catch (const std::bad_alloc&) {
        throw RuntimeError(err::OutOfMemory, fileName, 0);
    }
}

} // namespace

FileWindow::FileWindow(std::string fileName, std::size_t windowBytes)
    : m_fileName(std::move(fileName))
    , m_capacity(std::max<std::size_t>(windowBytes, 32))
{
    m_fd = openRegularFile(m_fileName, m_fileSize);
    m_window = newWindow(m_capacity, m_fileName);
    std::size_t start = 0;
    moveOn(start, Holes::Read);
}

FileWindow::FileWindow(std::string fileName, std::string text, std::size_t windowBytes)
    : m_fileName(std::move(fileName))
    , m_text(std::move(text))
    , m_fileSize(m_text.size())
    , m_window(newWindow(std::max<std::size_t>(windowBytes, 32), m_fileName))
    , m_capacity(std::max<std::size_t>(windowBytes, 32))
{
    std::size_t start = 0;
    moveOn(start, Holes::Read);
}

std::uint64_t FileWindow::dataFrom(std::uint64_t offset) const
{
    if (!m_fd.isOpen() || offset >= m_fileSize)
        return std::min(offset, m_fileSize);
    const off_t data = ::lseek(m_fd.get(), static_cast<off_t>(offset), SEEK_DATA);
    // No data after offset: a hole to the end. Another failure (a file
    // system that cannot tell): all of it is data.
    if (data < 0)
        return errno == ENXIO ? m_fileSize : offset;
    return std::min(static_cast<std::uint64_t>(data), m_fileSize);
}

FileWindow::Read FileWindow::read(std::uint64_t offset, char* into, std::size_t bytes, Holes holes)
{
    if (!m_fd.isOpen()) {
        if (offset >= m_text.size())
            return { 0, false };
        const std::size_t copied = std::min<std::size_t>(bytes, m_text.size() - offset);
        std::memcpy(into, m_text.data() + offset, copied);
        return { copied, false };
    }
    std::size_t done = 0;
    while (done < bytes && offset < m_fileSize) {
        const auto wanted
            = static_cast<std::size_t>(std::min<std::uint64_t>(bytes - done, m_fileSize - offset));
        // A hole reads as zeros: writing them here, and never reading past
        // the data into the next hole, spares the kernel filling its cache.
        const std::uint64_t data = dataFrom(offset);
        if (data > offset) {
            if (holes == Holes::Skip && data - offset >= kSkippedHoleBytes)
                return { done, true };
            const auto zeros
                = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, data - offset));
            std::memset(into + done, 0, zeros);
            done += zeros;
            offset += zeros;
            continue;
        }
        off_t hole = ::lseek(m_fd.get(), static_cast<off_t>(offset), SEEK_HOLE);
        if (hole <= static_cast<off_t>(offset))
            hole = static_cast<off_t>(m_fileSize);
        const auto run = static_cast<std::size_t>(
            std::min<std::uint64_t>(wanted, static_cast<std::uint64_t>(hole) - offset));
        const ssize_t got = ::pread(m_fd.get(), into + done, run, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw RuntimeError(err::DeviceIoError, m_fileName, 0);
        if (got == 0)
            break; // the file became shorter
        done += static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return { done, false };
}

std::size_t FileWindow::readAt(std::uint64_t offset, char* into, std::size_t bytes)
{
    return read(offset, into, bytes, Holes::Read).bytes;
}

void FileWindow::moveOn(std::size_t& pos, Holes holes)
{
    if (pos > 0) {
        m_before = m_window[pos - 1];
        m_size -= pos;
        std::memmove(m_window.get(), m_window.get() + pos, m_size);
        m_windowOffset += pos;
        pos = 0;
    }
    std::size_t kept = m_size;
    while (!m_exhausted && m_size < m_capacity) {
        const std::size_t wanted = m_capacity - m_size;
        const Read got = read(offsetOf(m_size), m_window.get() + m_size, wanted, holes);
        m_size += got.bytes;
        if (!got.atLongHole) {
            m_exhausted = got.bytes < wanted;
        } else if (m_size > kept) {
            break; // what came before the hole is to be looked at first
        } else {
            m_windowOffset = dataFrom(offsetOf(m_size));
            m_size = kept = 0;
            m_before = 0;
        }
    }
}

} // namespace triview
