// triview --render: the frame the window would show for a model and a pose,
// drawn with no window and no dialog, written to a picture file; or, for
// thumbnails, the model filling the picture on a transparent background.
#pragma once

#include <QImage>

namespace triview {

struct CommandLine;
struct Direct3DObjects;

// Draws and writes the picture the command line asks for. A failure is
// reported on stderr as the window reports it (number, description, file,
// line); a model or a device that fails leaves the output as it was. An
// output that is the model itself, or standard output on a terminal, is
// refused before anything is drawn. Answers the exit status: 0, 1 for a
// failure, 2 for a refusal. The device is made in d3d and left there, for
// the caller to release or, ending the process, not to.
int renderPicture(const CommandLine& line, Direct3DObjects& d3d);

// The picture alone, for a caller that keeps it in memory: raises what
// renderPicture reports (RuntimeError, ProgramEnded for a device that
// cannot be made), after writing the start-up message, if any, to stderr.
QImage drawPicture(const CommandLine& line, Direct3DObjects& d3d);

} // namespace triview
