#include "picture/RenderPicture.h"

#include "picture/OutputFile.h"
#include "runtime/RuntimeServices.h"
#include "view/StartUp.h"
#include "model/DemoModel.h"
#include "model/TriReader.h"
#include "render/Deadline.h"
#include "render/Direct3DDevice8.h"
#include "view/FrameRenderer.h"
#include "view/Framing.h"
#include "render/PresentTarget.h"
#include "runtime/RuntimeError.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace triview {

namespace {

// The room --fit leaves around the model: a twentieth of the picture's
// half-size on the side the model reaches.
constexpr float kFitMargin = 0.05f;

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
        timespec now {};
        clock_gettime(CLOCK_REALTIME, &now);
        std::tm local {};
        localtime_r(&now.tv_sec, &local);
        return static_cast<float>(
            local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + now.tv_nsec / 1e9);
    }
    void doEvents() override { }
};

// A picture larger than this many pixels is drawn in bands of rows about
// this large, so that neither the back buffer nor a frame grows with it.
constexpr std::int64_t kBandPixels = std::int64_t { 4 } << 20;

// The window's start-up and first frame, with the file named up front and
// nothing shown: the same steps, so the same picture, drawn in bands of
// bandRows rows from the top, each frame handed to take with the rows of it
// that are the picture's. With --fit and --transparent only the camera and
// the back buffer's format differ.
void draw(const PictureRequest& line, int bandRows, const RootFactory& newRoot,
    Direct3DObjects& d3d, RuntimeServices& runtime,
    const std::function<void(const Frame&, int)>& take)
{
    std::optional<Deadline> deadline;
    if (line.timeLimit)
        deadline.emplace(*line.timeLimit);
    PictureTarget picture({ line.size.width, bandRows });
    const std::int16_t TriangleCount = line.file ? counttri(*line.file) : kDemonstrationTriangles;
    std::int16_t VertexCursor = 0;
    LoadedModel model = makeDeviceAndModel(d3d, &picture, newRoot,
        line.file ? &*line.file : nullptr, TriangleCount, VertexCursor, runtime,
        line.transparent ? D3DFMT_A8R8G8B8 : D3DFMT_UNKNOWN, line.deviceType);
    d3d.VertexBuffer = std::move(model.VertexBuffer);
    if (d3d.D3DDevice)
        d3d.D3DDevice->setDeadline(deadline);
    const Pose pose { false, 0.0f, line.axis, line.angle, line.distance };
    std::optional<D3DMATRIX> view;
    if (line.fit && d3d.VertexBuffer) {
        std::span<const std::byte> stored = d3d.VertexBuffer->bytes();
        if (line.file) // the vertices loaded; the rest of the buffer stays zero
            stored
                = stored.first(std::min(stored.size(), std::size_t(VertexCursor) * kVertexStride));
        std::vector<std::byte> normalised(stored.begin(), stored.end());
        normaliseVertices(normalised);
        d3d.VertexBuffer->write(0, normalised.data(), static_cast<std::int32_t>(normalised.size()));
        view = fittedView(normalised, worldTransform(pose), viewTransform(pose.distance),
            kFieldOfView, kNearPlane, kFitMargin);
    }
    const int height = line.size.height;
    for (int top = 0; top < height; top += bandRows) {
        if (d3d.D3DDevice && bandRows < height)
            d3d.D3DDevice->setBand(height, top);
        Render(d3d, TriangleCount, pose, view);
        take(picture.frame(), std::min(bandRows, height - top));
    }
}

} // namespace

Frame drawPicture(const PictureRequest& request, const RootFactory& newRoot, Direct3DObjects& d3d)
{
    ConsoleRuntime runtime;
    Frame picture;
    draw(request, request.size.height, newRoot, d3d, runtime,
        [&](const Frame& frame, int) { picture = frame; });
    return picture;
}

int renderPicture(const PictureRequest& line, const std::string& output, const std::string& format,
    SinkFactory makeSink, const RootFactory& newRoot, Direct3DObjects& d3d)
{
    if (line.file && sameFile(output, *line.file)) {
        std::fputs("triview: the picture would overwrite the model; name another OUT\n", stderr);
        return 2;
    }
    if (isTerminal(output)) {
        std::fputs(
            "triview: a picture is not for a terminal; redirect standard output or name a file\n",
            stderr);
        return 2;
    }
    ConsoleRuntime runtime;
    try {
        const int bandRows = static_cast<int>(
            std::clamp<std::int64_t>(kBandPixels / line.size.width, 1, line.size.height));
        const std::unique_ptr<PictureSink> sink = makeSink(line.size, line.transparent, format);
        draw(line, bandRows, newRoot, d3d, runtime,
            [&](const Frame& frame, int rows) { sink->add(frame, rows); });
        writeOutput(output, sink->finish());
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
