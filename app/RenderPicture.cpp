#include "app/RenderPicture.h"

#include "app/CommandLine.h"
#include "model/TriReader.h"
#include "model/VertexStore.h"
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

// The picture area, as a picture.
class Picture final : public PresentTarget
{
public:
    explicit Picture(QSize size)
        : m_size(size)
    { }
    QSize pixelSize() const override { return m_size; }
    void present(QImage frame) override { m_frame = std::move(frame); }
    const QImage& frame() const { return m_frame; }

private:
    QSize m_size;
    QImage m_frame;
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
    Picture picture(line.size);
    Direct3DObjects d3d;
    const std::int16_t TriangleCount = line.file ? counttri(*line.file) : 3;
    if (InitD3D(d3d, &picture, newDirectX8) == vbFalse) {
        runtime.messageBox(kNoDevice);
        endProgram(1);
    }
    if (line.file) {
        VertexStore store(d3d, TriangleCount);
        std::int16_t VertexCursor = 0;
        loadtri(*line.file, TriangleCount, VertexCursor, store, runtime);
    } else if (Sample(d3d) == vbFalse) {
        runtime.messageBox(kNoVertexBuffer);
        endProgram(1);
    }
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
