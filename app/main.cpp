// triview: the command users type. It shows a 3D triangle model in a window,
// writes its picture (--render) or writes the model in another 3D format
// (--export). Loading Qt's libraries takes longer than writing a model out,
// so the help, the version and --export are done here, with no Qt; for the
// window and pictures this process becomes triview-window (same process,
// same arguments), which also tells a wrong command line, knowing the
// picture formats Qt can write.
#include "app/CommandLine.h"
#include "app/ConsoleCommands.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// triview-window beside this program (a build folder), or where it is
// installed relative to it.
const char* const kWindowPrograms[] = { "triview-window", TRIVIEW_WINDOW_FROM_BINDIR };

} // namespace

int main(int argc, char* argv[])
{
    const triview::CommandLine line = triview::parseCommandLine(argc, argv, nullptr);
    using Action = triview::CommandLine::Action;
    if (line.action == Action::Export || line.action == Action::Help
        || line.action == Action::Version)
        return *triview::runWithoutWindow(line, triview::keepStandardDescriptors());
    // triview-window gets the standard descriptors as they are: it tells a
    // closed one itself.

    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder = length > 0 ? std::string(self, std::size_t(length)) : std::string();
    folder.erase(folder.rfind('/') + 1);
    // A program that is there but cannot be run is told at once.
    std::string path;
    for (const char* program : kWindowPrograms) {
        path = folder + program;
        ::execv(path.c_str(), argv);
        if (errno != ENOENT)
            break;
    }
    std::fprintf(stderr, "triview: cannot start %s: %s\n", path.c_str(), std::strerror(errno));
    return 1;
}
