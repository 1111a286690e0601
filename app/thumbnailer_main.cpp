// triview-thumbnailer: a tri model's thumbnail, for file managers. The model
// fills a square PNG picture on a transparent background, drawn in software
// as `triview --render OUT --size SxS --fit --transparent` draws it, by a
// process that loads no Qt, no OpenGL and no display connection: a folder of
// models is thumbnailed at the cost of reading them.
#include "app/LeakCheck.h"
#include "app/PngEncoder.h"
#include "app/RenderPicture.h"
#include "app/WindowFigures.h"
#include "render/DeviceSetup.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: triview-thumbnailer -s SIZE INPUT OUTPUT\n";

constexpr const char* kHelp = R"(Usage: triview-thumbnailer -s SIZE INPUT OUTPUT
Writes the thumbnail of the tri model INPUT to OUTPUT as PNG: the model
filling a picture SIZE pixels square (or WxH) on a transparent background,
seen as triview's window sees it. "-" writes to standard output. It draws in
software, with no display, GPU or OpenGL driver, for file managers'
thumbnailers. A model that cannot be read is reported as triview reports it
(number, description, file and line), and OUTPUT is left as it was.

Options:
  -s SIZE         The picture's size: N for N by N pixels, or WxH; 1 to 16384
                  a side.
  -h, --help      Shows this help.
  -v, --version   Shows the version.
)";

// N or WxH, each side 1 to the largest back buffer's; none when not.
std::optional<triview::PixelSize> pictureSize(std::string_view text)
{
    const auto side = [](std::string_view digits) -> std::optional<int> {
        int value = 0;
        const auto [end, error]
            = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || digits.size() > 5 || error != std::errc {}
            || end != digits.data() + digits.size() || value < 1
            || std::uint32_t(value) > triview::kMaxBackBufferSide)
            return std::nullopt;
        return value;
    };
    const std::size_t x = text.find('x');
    const auto width = side(text.substr(0, x));
    const auto height = x == std::string_view::npos ? width : side(text.substr(x + 1));
    if (!width || !height)
        return std::nullopt;
    return triview::PixelSize { *width, *height };
}

} // namespace

int main(int argc, char* argv[])
{
    // A closed standard descriptor would go to the next file opened.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) == -1)
            ::open("/dev/null", O_RDWR);
    std::optional<triview::PixelSize> size;
    std::vector<std::string_view> names;
    bool optionsEnded = false, wrong = false;
    for (int i = 1; i < argc && !wrong; ++i) {
        const std::string_view argument = argv[i];
        if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
            names.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            std::fputs(kHelp, stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        } else if (argument == "-v" || argument == "--version") {
            std::fputs("triview-thumbnailer " TRIVIEW_VERSION "\n", stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        } else if (argument == "-s" && i + 1 < argc && !size) {
            size = pictureSize(argv[++i]);
            wrong = !size;
        } else {
            wrong = true;
        }
    }
    if (wrong || !size || names.size() != 2 || names[0].empty() || names[1].empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    triview::PictureRequest request;
    request.file = std::string(names[0]);
    request.size = *size;
    request.distance = triview::kStartDistance; // --fit moves the camera along its line
    request.axis = {};
    request.angle = 0.0f;
    request.fit = true;
    request.transparent = true;
    request.deviceType = triview::D3DDEVTYPE_REF;
    // Releasing the device costs time when the process ends anyway.
    triview::Direct3DObjects d3d;
    const int status = triview::renderPicture(
        request, std::string(names[1]), "png", triview::makePngEncoder,
        [] { return std::make_unique<triview::DirectX8>(); }, d3d);
    triview::checkLeaksBeforeTeardown();
    std::fflush(nullptr);
    std::_Exit(status);
}
