// A drawn picture as the bytes of a picture file: PNG by default (written
// by PngEncoder), or any format Qt's image writers offer on this machine.
#pragma once

#include "picture/RenderPicture.h"

#include <memory>
#include <string>
#include <vector>

namespace triview {

// The formats a picture can be written in, by their usual file extensions
// in lower case ("bmp", "jpg", "png", ...), sorted.
std::vector<std::string> writableFormats();

// Whether format (an extension in lower case) is one of writableFormats().
// PNG is known without asking Qt, which would load every image plugin.
bool isWritableFormat(const std::string& format);

// The encoder for format: PNG's streams its rows; another format's gathers
// the picture whole and has Qt write it at the end. Raises 7 when memory
// runs out.
std::unique_ptr<PictureSink> makePictureEncoder(
    PixelSize size, bool alpha, const std::string& format);

} // namespace triview
