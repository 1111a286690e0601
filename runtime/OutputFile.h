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

// Whether output is a terminal: "-" on one, or a name that leads to one.
bool isTerminal(const std::string& output);

// Writes bytes to output: "-" is standard output; an existing file is
// written in place, and a regular one cut to the bytes' length, under an
// advisory lock and with SIGINT, SIGTERM and SIGHUP held until it is whole;
// otherwise a new file beside output, renamed to it once whole, is made and
// removed again if one of those signals comes while it is written (the
// signal then ends the program as it would have). A FIFO that no program
// reads is refused at once; a pipe or FIFO (standard output too) whose
// reader takes nothing for 10 s is given up, as is a lock held for 10 s. Raises 76 when output's
// folder does not exist, 61 when the disk is full, 18 when interrupted, 75 when output cannot be
// written.
void writeOutput(const std::string& output, std::string_view bytes);

} // namespace triview
