// triview --render: the frame the window would show for a model and a pose,
// drawn with no window and no dialog, written to a PNG file.
#pragma once

namespace triview {

struct CommandLine;

// Draws and writes the picture the command line asks for. A failure is
// reported on stderr as the window reports it (number, description, file,
// line) and leaves no file at the output, not even part of one. Answers the
// exit status, 0 or 1.
int renderPicture(const CommandLine& line);

} // namespace triview
