// A drawn picture as the bytes of a picture file: PNG by default, or any
// format Qt's image writers offer on this machine.
#pragma once

#include <QByteArray>
#include <QImage>
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

// A picture encoded as it is drawn, band by band from the top: PNG's rows
// go to libpng as they come, so that a large picture is never held whole
// (PNG is written by libpng itself, fast, with an alpha channel only when
// the picture has one); other formats are gathered whole and written by Qt
// at the end. Raises 7 when memory runs out, 75 when the encoder fails.
class PictureEncoder
{
public:
    PictureEncoder(QSize size, bool alpha, std::string format);
    ~PictureEncoder();
    PictureEncoder(const PictureEncoder&) = delete;
    PictureEncoder& operator=(const PictureEncoder&) = delete;

    // The picture's next rows: the first rows of band, RGBA8888 with alpha,
    // RGBX8888 without.
    void add(const QImage& band, int rows);
    // The picture's bytes, once every row has come.
    QByteArray finish();

private:
    struct Png;
    QSize m_size;
    std::string m_format;
    std::unique_ptr<Png> m_png;
    bool m_failed = false;
    QImage m_whole;
    QByteArray m_bytes;
    int m_row = 0;
};

} // namespace triview
