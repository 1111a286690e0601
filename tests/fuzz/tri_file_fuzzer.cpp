// libFuzzer target over the tri reader on a real file with holes, so that
// the window's reads and its passing over holes are fuzzed: the file must
// read as the same bytes in memory do, its holes as zeros, and as the viewer
// reads it by name. The input is cut at each 0xFF byte, and the byte after
// one gives a hole of that many 16 KiB before the next piece, left by
// seeking past the end. The first byte picks the window.
#include "ReaderOutcome.h"

#include <fcntl.h>
#include <tuple>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using triview::TextInputFile;
    if (size == 0)
        return 0;
    // A file with no name from the start, reached through this process's
    // descriptor: nothing is left behind, however the run ends.
    static const int fd = [] {
        char name[] = "/tmp/triview-fuzz-XXXXXX";
        const int made = ::mkstemp(name);
        ::unlink(name);
        return made;
    }();
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (::ftruncate(fd, 0) != 0)
        std::abort();
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string content; // what the file holds
    for (std::size_t at = 0; at <= input.size();) {
        const std::size_t cut = std::min(input.find('\xFF', at), input.size());
        content += input.substr(at, cut - at);
        ::pwrite(fd, input.data() + at, cut - at, static_cast<off_t>(content.size() - (cut - at)));
        if (cut + 1 >= input.size())
            break;
        // At most a megabyte of holes in all, to keep each run quick.
        content.append(std::min<std::size_t>(static_cast<unsigned char>(input[cut + 1]) << 14,
                           (1 << 20) - std::min<std::size_t>(1 << 20, content.size())),
            '\0');
        at = cut + 2;
    }
    if (::ftruncate(fd, static_cast<off_t>(content.size())) != 0)
        std::abort();
    const std::size_t window = std::array<std::size_t, 3> { 32, 4096, 1 << 20 }[data[0] % 3];
    const triview::fuzz::Outcome inMemory
        = triview::fuzz::read([&] { return TextInputFile::fromText(path, content, window); }, path);
    if (!(triview::fuzz::read([&] { return TextInputFile(path, window); }, path) == inMemory))
        std::abort(); // the holes changed what was read
    // By name, as the viewer reads it: the same.
    triview::fuzz::Outcome named;
    try {
        named.count = triview::counttri(path);
        triview::loadtri(path, named.count, named.cursor, named.store);
    } catch (const triview::RuntimeError& error) {
        std::tie(named.error, named.line, named.detail)
            = std::tuple(error.number(), error.line(), error.detail());
    }
    if (!(named == inMemory))
        std::abort();
    return 0;
}
