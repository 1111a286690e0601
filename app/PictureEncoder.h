// A drawn picture as the bytes of a picture file: PNG by default, or any
// format Qt's image writers offer on this machine.
#pragma once

#include <QByteArray>
#include <QImage>
#include <string>
#include <vector>

namespace triview {

// The formats a picture can be written in, by their usual file extensions
// in lower case ("bmp", "jpg", "png", ...), sorted.
std::vector<std::string> writableFormats();

// Whether format (an extension in lower case) is one of writableFormats().
// PNG is known without asking Qt, which would load every image plugin.
bool isWritableFormat(const std::string& format);

// The picture encoded in format. PNG is written by libpng itself, fast and
// with its alpha channel only when the picture has one; other formats by
// Qt. Raises 7 when memory runs out, 75 when the encoder fails.
QByteArray encodePicture(const QImage& picture, const std::string& format);

} // namespace triview
