#include "app/ConsoleCommands.h"

#include "export/ExportModel.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace triview {

bool keepStandardDescriptors()
{
    const bool outputOpen = ::fcntl(STDOUT_FILENO, F_GETFD) != -1;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) == -1)
            ::open("/dev/null", O_RDWR);
    return outputOpen;
}

std::optional<int> runWithoutWindow(const CommandLine& line, bool outputOpen)
{
    switch (line.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        if (!outputOpen || std::fputs(line.text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
            std::fputs("triview: cannot write to standard output\n", stderr);
            return 1;
        }
        return 0;
    case CommandLine::Action::Usage:
        std::fputs(line.text.c_str(), stderr);
        return 2;
    case CommandLine::Action::Export: {
        if (line.output == "-" && !outputOpen) {
            std::fputs("triview: standard output is closed; name a file for the model\n", stderr);
            return 2;
        }
        const auto failure = exportModel(line.file, line.output, line.exportFormat);
        if (failure)
            std::fprintf(stderr, "%s\n", failure->message.c_str());
        return failure ? failure->exitStatus : 0;
    }
    case CommandLine::Action::Render:
    case CommandLine::Action::Window:
        break;
    }
    return std::nullopt;
}

} // namespace triview
