// libFuzzer target over the picture writer: any size to 256 a side, any
// pixels and any format Qt writes, to a new file or over a longer or shorter
// one. The encoder refuses with its error, or its bytes decode to the
// picture (PNG: its very pixels) and the file holds exactly them. FIFOs and
// standard output are the process tests'.
#include "app/OutputFile.h"
#include "app/PictureEncoder.h"
#include "runtime/RuntimeError.h"

#include <QImage>
#include <filesystem>
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
    QImage picture(1 + data[0], 1 + data[1],
        data[3] & 0x80 ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    for (int y = 0; y < picture.height(); ++y) // the input's bytes again and again; X is 0xFF
        for (int i = 0; i < picture.width() * 4; ++i)
            picture.scanLine(y)[i] = i % 4 == 3 && !picture.hasAlphaChannel()
                ? 0xFF
                : data[(std::size_t(y) * picture.width() * 4 + i) % size];
    QByteArray encoded;
    try {
        PictureEncoder encoder(picture.size(), picture.hasAlphaChannel(), format);
        encoder.add(picture, picture.height());
        encoded = encoder.finish();
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
    std::filesystem::remove_all(folder);
    return 0;
}
