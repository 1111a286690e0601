// libFuzzer target over the tri reader. The first byte picks a small window
// and the rest is the file: it must read the same through that window as
// through one that holds it whole (same count, triangles, error, line and
// detail).
#include "ReaderOutcome.h"

namespace {

triview::fuzz::Outcome read(const std::string& text, std::size_t window)
{
    return triview::fuzz::read(
        [&] { return triview::TextInputFile::fromText("fuzz.tri", text, window); }, "fuzz.tri");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (!(read(text, text.size() + 1) == read(text, 32 + data[0] % 64)))
        std::abort(); // the window changed what was read
    return 0;
}
