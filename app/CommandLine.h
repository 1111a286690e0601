// The command line, triview [OPTIONS] [FILE]: a file to open instead of
// asking for one, or a picture or the model to write with no window at all.
#pragma once

#include "export/ExportFormats.h"
#include "picture/RenderPicture.h"
#include "render/D3DTypes.h"
#include "view/WindowFigures.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace triview {

struct CommandLine
{
    enum class Action { Window, Render, Export, Help, Version, Usage };
    Action action = Action::Window;
    std::optional<std::string> file; // the bytes as given, as if typed in the input box
    std::string output; // --render's picture or --export's model; "-" is standard output
    std::string format = "png"; // the picture's format, from output's extension
    ExportFormat exportFormat = ExportFormat::Glb; // the model's, from output's extension
    PixelSize size = kPictureArea;
    std::int16_t distance = kStartDistance;
    D3DVECTOR axis {}; // the turn: none, as at start
    float angle = 0.0f;
    bool fit = false; // the model fills the picture instead of the window's camera
    bool transparent = false; // a transparent background instead of black
    std::uint32_t deviceType = D3DDEVTYPE_HAL; // what draws: OpenGL, or REF, software
    bool watch = false; // the window follows FILE as it changes on disk
    std::string text; // the help, the version, or the usage error and the usage
};

// The picture formats --render can write, as extensions in lower case: Qt's
// image writers, which only the program that loads Qt knows.
using PictureFormats = std::vector<std::string> (*)();

// Reads the arguments (the program's name first), each taken as the bytes
// it is, by its position. Never fails: what is wrong comes back as
// Action::Usage with its explanation. Without formats (none loaded) every
// --render line is a usage error.
CommandLine parseCommandLine(int argc, char* argv[], PictureFormats formats);

// What --render is asked to draw.
PictureRequest pictureRequest(const CommandLine& line);

} // namespace triview
