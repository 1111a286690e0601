// What both programs do without a window: print the help, the version or a
// usage error, and write a model out. No Qt.
#pragma once

#include "app/CommandLine.h"

#include <optional>

namespace triview {

// Opens /dev/null on every closed standard descriptor, which would otherwise
// go to the next file opened (a model's, a driver's cache) with whatever is
// meant for it. Answers whether standard output was open.
bool keepStandardDescriptors();

// Carries out a line whose action is Help, Version, Usage or Export and
// answers the exit status; none for a window or a picture.
std::optional<int> runWithoutWindow(const CommandLine& line, bool outputOpen);

} // namespace triview
