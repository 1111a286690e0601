// Pictures with no window: the frame the window would show for a model and
// a pose, drawn with no dialog and written to a picture file; or, for
// thumbnails, the model filling the picture on a transparent background.
// The standard library only, so that a thumbnailer can draw with no Qt.
#pragma once

#include "render/PresentTarget.h"
#include "view/ModelView.h"

#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace triview {

// A picture encoded as it is drawn, band by band from the top. Raises 7
// when memory runs out, 75 when the encoder fails.
class PictureSink
{
public:
    virtual ~PictureSink() = default;
    // The picture's next rows: the first rows of band.
    virtual void add(const Frame& band, int rows) = 0;
    // The picture file's bytes, once every row has come.
    virtual std::string finish() = 0;
};

using SinkFactory
    = std::unique_ptr<PictureSink> (*)(PixelSize size, bool alpha, const std::string& format);

// Why a picture was not written: what to tell the user (a runtime error's
// report: number, description, file, line), and the exit status, 1 for a
// failure or 2 for a refusal.
struct PictureFailure
{
    std::string message;
    int exitStatus;
};

// Draws the picture request asks for with view and writes it to output
// ("-" for standard output) in format, through the sink makeSink makes, in
// bands of rows when it is large. A model or a device that fails leaves the
// output as it was. An output that is the model itself, or standard output
// on a terminal, is refused before anything is drawn.
std::optional<PictureFailure> renderPicture(const PictureRequest& request,
    const std::string& output, const std::string& format, SinkFactory makeSink, ModelView& view);

// The picture alone, drawn at once with view, for a caller that keeps it in
// memory.
std::variant<Frame, ViewFailure> drawPicture(const PictureRequest& request, ModelView& view);

} // namespace triview
