// libFuzzer target over the picture writer: a picture of any size up to 256
// a side and any pixels, in any format Qt writes here, to a new file or over
// a longer or a shorter one. The encoder refuses with its error, or gives
// bytes that decode to a picture of that size (PNG: those very pixels), and
// the file then holds exactly those bytes. (FIFOs and standard output: the
// process tests, with a reader, a stalled one and none.)
#include "app/OutputFile.h"
#include "app/PictureEncoder.h"
#include "runtime/RuntimeError.h"

#include <QImage>
#include <fstream>
#include <iterator>
#include <unistd.h>

using namespace triview;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::vector<std::string> formats = writableFormats();
    if (size < 4)
        return 0;
    const std::string& format = formats[data[2] % formats.size()];
    QImage picture(
        1 + data[0], 1 + data[1], data[3] & 0x80 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) // the input's bytes, again and again
        for (int x = 0; x < picture.width(); ++x) {
            const std::size_t at = 3 + (std::size_t(y) * picture.width() + x) % (size - 3);
            picture.setPixel(x, y,
                qRgba(data[at], data[(at + 1) % size], data[(at + 2) % size],
                    picture.hasAlphaChannel() ? data[(at + 3) % size] : 255));
        }
    QByteArray encoded;
    try {
        encoded = encodePicture(picture, format);
    } catch (const RuntimeError& error) {
        if (error.number() != err::PathFileAccess && error.number() != err::OutOfMemory)
            std::abort();
        return 0;
    }
    const QImage decoded = QImage::fromData(encoded, format.c_str());
    if (decoded.size() != picture.size()
        || (format == "png" && decoded.convertToFormat(picture.format()) != picture))
        std::abort(); // not the picture
    char folder[] = "/tmp/triview-fuzz-XXXXXX";
    const std::string output = std::string(::mkdtemp(folder)) + "/out";
    if (data[3] % 3 != 0) // over a longer or a shorter file
        std::ofstream(output) << std::string(data[3] % 3 == 1 ? encoded.size() + 100 : 3, 'x');
    writeOutput(output, std::string_view(encoded.constData(), std::size_t(encoded.size())));
    std::ifstream written(output, std::ios::binary);
    if (std::string(std::istreambuf_iterator<char>(written), {}) != encoded.toStdString())
        std::abort(); // not what was written
    ::unlink(output.c_str());
    ::rmdir(folder);
    return 0;
}
