#include "picture/RenderPicture.h"

#include "runtime/OutputFile.h"
#include "runtime/RuntimeError.h"

#include <algorithm>
#include <cstdint>

namespace triview {

namespace {

// A picture larger than this many pixels is drawn in bands of rows about
// this large, so that neither the back buffer nor a frame grows with it.
constexpr std::int64_t kBandPixels = std::int64_t { 4 } << 20;

} // namespace

std::variant<Frame, ViewFailure> drawPicture(const PictureRequest& request, ModelView& view)
{
    Frame picture;
    if (auto failure = view.drawPicture(
            request, request.size.height, [&](const Frame& frame, int) { picture = frame; }))
        return std::move(*failure);
    return picture;
}

std::optional<PictureFailure> renderPicture(const PictureRequest& line, const std::string& output,
    const std::string& format, SinkFactory makeSink, ModelView& view)
{
    if (line.file && sameFile(output, *line.file))
        return PictureFailure { "triview: the picture would overwrite the model; name another OUT",
            2 };
    if (isTerminal(output))
        return PictureFailure {
            "triview: a picture is not for a terminal; redirect standard output or name a file", 2
        };
    std::optional<PictureFailure> drawn;
    if (const auto error = raisedBy([&] {
            const int bandRows = static_cast<int>(
                std::clamp<std::int64_t>(kBandPixels / line.size.width, 1, line.size.height));
            const std::unique_ptr<PictureSink> sink = makeSink(line.size, line.transparent, format);
            if (auto failure = view.drawPicture(
                    line, bandRows, [&](const Frame& frame, int rows) { sink->add(frame, rows); }))
                drawn = PictureFailure { failure->message, 1 };
            else
                writeOutput(output, sink->finish());
        }))
        return PictureFailure { error->report(), 1 };
    return drawn;
}

} // namespace triview
