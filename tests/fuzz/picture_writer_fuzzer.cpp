// libFuzzer target over the picture writer: a picture of any size up to 256
// a side and any pixels, in any format Qt writes here, to a new file, over a
// longer or a shorter one, into a FIFO with a reader, or to standard output
// on a pipe. The encoder refuses with its error, or gives bytes that decode
// to a picture of that size (PNG: those very pixels), and the output then
// holds exactly those bytes.
#include "app/OutputFile.h"
#include "app/PictureEncoder.h"
#include "runtime/RuntimeError.h"

#include <QImage>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace triview;

static std::string readAll(int fd)
{
    std::string bytes(1 << 16, '\0'), all;
    for (ssize_t got; (got = ::read(fd, bytes.data(), bytes.size())) > 0;)
        all.append(bytes, 0, std::size_t(got));
    ::close(fd);
    return all;
}

// What output holds once bytes are written to it as kind says.
static std::string writeThrough(int kind, const std::string& output, std::string_view bytes)
{
    std::string read;
    std::thread reader;
    if (kind == 1 || kind == 2) // over a longer or a shorter file
        std::ofstream(output) << std::string(kind == 1 ? bytes.size() + 100 : 3, 'x');
    if (kind == 3) { // a FIFO, refused until its reader is there
        ::mkfifo(output.c_str(), 0600);
        reader = std::thread([&] { read = readAll(::open(output.c_str(), O_RDONLY)); });
        for (bool written = false; !written; ::usleep(1000))
            try {
                writeOutput(output, bytes);
                written = true;
            } catch (const RuntimeError&) { }
    } else if (kind == 4) { // standard output on a pipe
        int pipe[2], saved = ::dup(STDOUT_FILENO);
        if (::pipe(pipe) != 0)
            std::abort();
        ::dup2(pipe[1], STDOUT_FILENO);
        ::close(pipe[1]);
        reader = std::thread([&, from = pipe[0]] { read = readAll(from); });
        writeOutput("-", bytes);
        ::dup2(saved, STDOUT_FILENO);
        ::close(saved);
    } else {
        writeOutput(output, bytes);
        read = readAll(::open(output.c_str(), O_RDONLY));
    }
    if (reader.joinable())
        reader.join();
    return read;
}

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
            const std::size_t at = 4 + (std::size_t(y) * picture.width() + x) % (size - 3);
            const QRgb pixel = qRgba(data[at - 1], data[at % size], data[(at + 1) % size],
                picture.hasAlphaChannel() ? data[(at + 2) % size] : 255);
            picture.setPixel(x, y, pixel);
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
    const std::string_view bytes(encoded.constData(), std::size_t(encoded.size()));
    if (writeThrough(data[3] % 5, output, bytes) != bytes)
        std::abort(); // not what was written
    ::unlink(output.c_str());
    ::rmdir(folder);
    return 0;
}
