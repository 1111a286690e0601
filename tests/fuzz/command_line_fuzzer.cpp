// libFuzzer target over the command line, which needs no display: the
// input cut at NUL bytes is the arguments. Whatever they are, the parser
// answers, and what it answers holds together: a usage error says why and
// how, a picture has a name, a format and values within their ranges.
#include "app/CommandLine.h"
#include "render/Direct3D8.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

static bool side(int pixels)
{
    return pixels >= 1 && static_cast<std::uint32_t>(pixels) <= triview::kMaxBackBufferSide;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments { "triview" };
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (std::size_t at = 0; at <= input.size() && arguments.size() < 16;) {
        const std::size_t end = std::min(input.find('\0', at), input.size());
        arguments.push_back(input.substr(at, end - at));
        at = end + 1;
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const triview::CommandLine line
        = triview::parseCommandLine(static_cast<int>(arguments.size()), argv.data());
    using Action = triview::CommandLine::Action;
    const bool holds = line.action == Action::Usage ? line.text.starts_with("triview: ")
            && line.text.find("\nusage: triview") != std::string::npos
                                                    : line.action != Action::Render
            || (!line.output.empty() && !line.format.empty() && side(line.size.width())
                && side(line.size.height()) && line.distance >= triview::kNearestDistance
                && line.distance <= triview::kFarthestDistance && std::isfinite(line.angle));
    if (!holds)
        std::abort();
    return 0;
}
