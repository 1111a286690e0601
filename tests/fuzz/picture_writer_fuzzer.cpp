// libFuzzer target over the picture writer: any size to 256 a side, any
// pixels and any format Qt writes, to a new file or over a longer or shorter
// one. The encoder refuses with its error, or its bytes decode to the
// picture (PNG: its very pixels) and the file holds exactly them. FIFOs and
// standard output are the process tests'.
#include "runtime/OutputFile.h"
#include "runtime/RuntimeError.h"
#include "window/FrameImage.h"
#include "window/PictureEncoder.h"

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
    Frame frame { { 1 + data[0], 1 + data[1] }, (data[3] & 0x80) != 0, {} };
    frame.pixels.resize(std::size_t(frame.size.height) * frame.rowBytes());
    for (std::size_t i = 0; i < frame.pixels.size(); ++i) // the input's bytes again and again
        frame.pixels[i] = i % 4 == 3 && !frame.alpha ? 0xFF : data[i % size];
    const QImage picture = frameImage(frame);
    std::string encoded;
    try {
        const auto encoder = makePictureEncoder(frame.size, frame.alpha, format);
        encoder->add(frame, frame.size.height);
        encoded = encoder->finish();
    } catch (const RuntimeError& error) {
        if (error.number() != err::PathFileAccess && error.number() != err::OutOfMemory)
            std::abort();
        return 0;
    }
    const QImage decoded = QImage::fromData(
        reinterpret_cast<const uchar*>(encoded.data()), int(encoded.size()), format.c_str());
    if (decoded.size() != picture.size()
        || (format == "png" && decoded.convertToFormat(picture.format()) != picture))
        std::abort(); // not the picture
    char folder[] = "/tmp/triview-fuzz-XXXXXX";
    const std::string output = std::string(::mkdtemp(folder)) + "/out";
    if (data[3] % 3 != 0) // over a longer or a shorter file
        std::ofstream(output) << std::string(data[3] % 3 == 1 ? encoded.size() + 100 : 3, 'x');
    writeOutput(output, encoded);
    std::ifstream written(output, std::ios::binary);
    if (std::string(std::istreambuf_iterator<char>(written), {}) != encoded)
        std::abort(); // not what was written
    std::filesystem::remove_all(folder);
    return 0;
}
