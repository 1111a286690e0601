// A file read through a window of fixed size that moves on with the
// reading, so that memory does not grow with the file, however large; or
// text in memory, through the same window. Only regular files are opened:
// a FIFO, a device or a folder is refused before it is opened, so that no
// writer waiting on a FIFO is let go. The holes of a sparse file read as
// zeros without being read, and a reader looking for something no run of
// zeros holds can have long holes passed over altogether.
#pragma once

#include "runtime/FileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace triview {

class FileWindow
{
public:
    // Large enough that reading costs few calls, small enough not to matter.
    static constexpr std::size_t kWindowBytes = std::size_t { 1 } << 20;
    // A hole this long is passed over rather than filled, where the reader
    // allows it.
    static constexpr std::uint64_t kSkippedHoleBytes = std::uint64_t { 64 } << 10;

    // Raises RuntimeError: 53 when no file has that name, 76 when its folder
    // does not exist, 75 for a folder, a special file or no permission, 7
    // when no window can be had, 57 when the file cannot be read.
    // windowBytes (at least 32) only matters to tests.
    FileWindow(std::string fileName, std::size_t windowBytes);
    // Text in memory, read through the same window; fileName names it in
    // errors.
    FileWindow(std::string fileName, std::string text, std::size_t windowBytes);
    FileWindow(FileWindow&& other) noexcept = default;
    FileWindow& operator=(FileWindow&&) = delete;

    const std::string& fileName() const { return m_fileName; }
    std::size_t capacity() const { return m_capacity; }
    const char* data() const { return m_window.get(); }
    std::size_t size() const { return m_size; }
    // Nothing of the file is left beyond the window.
    bool exhausted() const { return m_exhausted; }
    std::uint64_t offsetOf(std::size_t index) const { return m_windowOffset + index; }
    // The byte just before the window: 0 at the file's start or after a hole.
    char before() const { return m_before; }

    enum class Holes {
        Read, // a hole is zeros in the window
        Skip, // the reader looks for what no run of zeros holds
    };

    // Keeps the window's bytes from pos on at its start (pos becomes 0) and
    // fills the rest from the file. With Holes::Skip, the window ends where
    // a long hole starts, and when one starts right after what was kept,
    // what was kept is dropped (nothing it began can go on through zeros)
    // and the window goes on from the hole's end. Raises 57.
    void moveOn(std::size_t& pos, Holes holes);

    // Reads again up to bytes from offset into into, holes as zeros;
    // answers how many. Raises 57.
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t bytes);
    // The first offset from offset on that is not in a hole.
    std::uint64_t dataFrom(std::uint64_t offset) const;

private:
    struct Read
    {
        std::size_t bytes;
        bool atLongHole; // stopped where a long hole starts
    };
    Read read(std::uint64_t offset, char* into, std::size_t bytes, Holes holes);

    std::string m_fileName;
    FileDescriptor m_fd; // or, for text in memory:
    std::string m_text;
    std::uint64_t m_fileSize = 0;

    std::unique_ptr<char[]> m_window;
    std::size_t m_capacity;
    std::size_t m_size = 0;
    std::uint64_t m_windowOffset = 0;
    char m_before = 0;
    bool m_exhausted = false;
};

} // namespace triview
