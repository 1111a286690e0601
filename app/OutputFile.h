// Where a written picture goes. Whatever stands at the output keeps its
// place and gets the picture: a regular file (as a file manager's
// thumbnailer client makes it and reads it back), a FIFO, a device, a
// symbolic link's target. Only a name with nothing behind it gets a new
// file, and that one appears whole or not at all.
#pragma once

#include <string>
#include <string_view>

namespace triview {

// Whether output and file name the same file: the same device and inode,
// through links, or the same name. Output "-" is standard output.
bool sameFile(const std::string& output, const std::string& file);

// Writes bytes to output: "-" is standard output; an existing file is
// written in place, and a regular one cut to the bytes' length; otherwise
// a new file beside output, renamed to it once whole, is made and removed
// again if SIGINT, SIGTERM or SIGHUP come while it is written (the signal
// then ends the program as it would have). Raises 76 when output's folder
// does not exist, 61 when the disk is full, 18 when interrupted, 75 when
// output cannot be written.
void writeOutput(const std::string& output, std::string_view bytes);

} // namespace triview
