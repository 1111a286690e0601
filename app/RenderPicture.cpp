#include "app/RenderPicture.h"

#include "app/CommandLine.h"
#include "app/StartUp.h"
#include "model/TriReader.h"
#include "render/FrameRenderer.h"
#include "render/PresentTarget.h"
#include "runtime/RuntimeError.h"
#include "runtime/RuntimeServices.h"

#include <QBuffer>
#include <QImage>
#include <QTime>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace triview {

namespace {

// The runtime with no one to ask: messages go to stderr.
class ConsoleRuntime final : public RuntimeServices
{
public:
    std::string inputBox(std::string_view, std::string_view) override { return {}; }
    void messageBox(std::string_view text, std::optional<std::string_view>) override
    {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
    float timer() override
    {
        return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
    }
    void doEvents() override { }
};

// Writes bytes to path through a new file beside it, renamed over path once
// whole. Raises 76 when the folder does not exist, 75 when it cannot write.
void writeWhole(const std::string& path, const QByteArray& bytes)
{
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        throw RuntimeError(errno == ENOENT ? err::PathNotFound : err::PathFileAccess, path, 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool written = ::fchmod(fd, 0666 & ~mask) == 0;
    for (qsizetype done = 0; written && done < bytes.size();) {
        const ssize_t wrote
            = ::write(fd, bytes.data() + done, static_cast<std::size_t>(bytes.size() - done));
        written = wrote > 0 || (wrote < 0 && errno == EINTR);
        done += std::max<ssize_t>(wrote, 0);
    }
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        throw RuntimeError(err::PathFileAccess, path, 0);
    }
}

// The window's start-up and first frame, with the file named up front and
// nothing shown: the same steps, so the same picture.
QImage draw(const CommandLine& line, RuntimeServices& runtime)
{
    PictureTarget picture(line.size);
    Direct3DObjects d3d;
    const std::int16_t TriangleCount = line.file ? counttri(*line.file) : 3;
    std::int16_t VertexCursor = 0;
    makeDeviceAndModel(d3d, &picture, newDirectX8, line.file ? &*line.file : nullptr, TriangleCount,
        VertexCursor, runtime);
    Render(d3d, TriangleCount, { 0, line.axis, line.angle, line.distance }, runtime);
    return picture.frame();
}

} // namespace

int renderPicture(const CommandLine& line)
{
    ConsoleRuntime runtime;
    try {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!draw(line, runtime).save(&buffer, "PNG"))
            throw RuntimeError(err::OutOfMemory);
        writeWhole(line.output, png);
        return 0;
    } catch (const RuntimeError& error) {
        runtime.messageBox(error.report(), std::nullopt);
    } catch (const ProgramEnded& ended) {
        return ended.exitStatus;
    } catch (const std::bad_alloc&) {
        runtime.messageBox(RuntimeError(err::OutOfMemory).report(), std::nullopt);
    }
    return 1;
}

} // namespace triview
