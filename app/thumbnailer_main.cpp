// triview-thumbnailer: a tri model's thumbnail, for file managers. The model
// fills a square PNG picture on a transparent background, drawn in software
// as `triview --render OUT --size SxS --fit --transparent` draws it, by a
// process that loads no Qt, no OpenGL and no display connection: a folder of
// models is thumbnailed at the cost of reading them.
#include "app/LeakCheck.h"
#include "picture/PictureSize.h"
#include "picture/PngEncoder.h"
#include "picture/RenderPicture.h"
#include "render/software/SoftwareBackend.h"
#include "runtime/Arguments.h"
#include "view/WindowFigures.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: triview-thumbnailer -s SIZE [-t SECONDS] INPUT OUTPUT\n";

constexpr const char* kHelp = R"(Usage: triview-thumbnailer -s SIZE [-t SECONDS] INPUT OUTPUT
Writes the thumbnail of the tri model INPUT to OUTPUT as PNG: the model
filling a picture SIZE pixels square (or WxH) on a transparent background,
seen as triview's window sees it. "-" writes to standard output. It draws in
software, with no display, GPU or OpenGL driver, for file managers'
thumbnailers. A model that cannot be read is reported as triview reports it
(number, description, file and line), and OUTPUT is left as it was.

Options:
  -s SIZE         The picture's size: N for N by N pixels, or WxH; 1 to 16384
                  a side.
  -t SECONDS      Gives the picture up, with error 18, if it is not drawn
                  within SECONDS, 1 to 3600 (20 by default, below the 30
                  that KDE's file manager waits).
  -h, --help      Shows this help.
  -v, --version   Shows the version.
)";

struct Given
{
    std::optional<triview::PixelSize> size;
    std::optional<int> seconds;
    std::vector<std::string_view> names;
    std::string wrong; // why the command line is wrong, if it is
};

Given readGiven(int argc, char* argv[])
{
    constexpr triview::OptionName options[] = { { "", 's', true }, { "", 't', true } };
    Given given;
    const triview::Arguments arguments = triview::readArguments(argc, argv, options, SIZE_MAX, {},
        [&](std::size_t option, std::string_view value) -> std::string {
            if (option == 0) {
                given.size = triview::readPictureSize(value);
                return given.size ? "" : "-s " + triview::pictureSizeExpected();
            }
            given.seconds = triview::wholeNumber(value, 1, 3600);
            return given.seconds ? "" : "-t takes 1 to 3600 seconds";
        });
    given.names = arguments.operands;
    given.wrong = arguments.wrong;
    if (!given.wrong.empty())
        return given;
    if (!given.size)
        given.wrong = "-s SIZE is needed";
    else if (given.names.size() != 2)
        given.wrong = given.names.size() < 2 ? "INPUT and OUTPUT are needed"
                                             : "one INPUT and one OUTPUT, nothing more";
    else if (given.names[0].empty() || given.names[1].empty())
        given.wrong = "INPUT and OUTPUT must not be empty";
    return given;
}

} // namespace

int main(int argc, char* argv[])
{
    // A closed standard descriptor would go to the next file opened.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) == -1)
            ::open("/dev/null", O_RDWR);
    for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-h" || argument == "--help" || argument == "-v"
            || argument == "--version") {
            std::fputs(argument.ends_with('h') || argument == "--help"
                    ? kHelp
                    : "triview-thumbnailer " TRIVIEW_VERSION "\n",
                stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    const Given given = readGiven(argc, argv);
    if (!given.wrong.empty()) {
        std::fprintf(stderr, "triview-thumbnailer: %s\n%s", given.wrong.c_str(), kUsage);
        return 2;
    }

    triview::PictureRequest request;
    request.file = std::string(given.names[0]);
    request.size = *given.size;
    request.distance = triview::kStartDistance; // --fit moves the camera along its line
    request.axis = {};
    request.angle = 0.0f;
    request.fit = true;
    request.transparent = true;
    request.deviceType = triview::D3DDEVTYPE_REF;
    request.timeLimit = given.seconds.value_or(triview::kThumbnailTimeLimit);
    // Releasing the device costs time when the process ends anyway: the view
    // is never destroyed.
    triview::ModelView view(triview::newSoftwareDirectX8);
    const auto failure = triview::renderPicture(
        request, std::string(given.names[1]), "png", triview::makePngEncoder, view);
    if (failure)
        std::fprintf(stderr, "%s\n", failure->message.c_str());
    triview::checkLeaksBeforeTeardown();
    std::fflush(nullptr);
    std::_Exit(failure ? failure->exitStatus : 0);
}
