// Pictures with no window: the frame the window would show for a model and
// a pose, drawn with no dialog and written to a picture file; or, for
// thumbnails, the model filling the picture on a transparent background.
// The standard library only, so that a thumbnailer can draw with no Qt.
#pragma once

#include "render/D3DTypes.h"
#include "render/Direct3D8.h"
#include "render/PresentTarget.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace triview {

struct Direct3DObjects;

// What to draw, and how.
struct PictureRequest
{
    std::optional<std::string> file; // the model's name; none: the demonstration model
    PixelSize size;
    std::int16_t distance;
    D3DVECTOR axis;
    float angle;
    bool fit = false; // the model fills the picture instead of the window's camera
    bool transparent = false; // a transparent background instead of black
    std::uint32_t deviceType = D3DDEVTYPE_HAL; // D3DDEVTYPE_REF: drawn in software
    // Seconds from the start after which a picture not yet drawn is given
    // up with error 18; none: no limit.
    std::optional<int> timeLimit = std::nullopt;
};

// The time limit of thumbnails, below the 30 s after which KIO gives up.
inline constexpr int kThumbnailTimeLimit = 20;

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

// Draws the picture request asks for and writes it to output ("-" for
// standard output) in format, through the sink makeSink makes. A failure
// is reported on stderr as the window reports it (number, description,
// file, line); a model or a device that fails leaves the output as it was.
// An output that is the model itself, or standard output on a terminal, is
// refused before anything is drawn. Answers the exit status: 0, 1 for a
// failure, 2 for a refusal. The device is made in d3d through newRoot and
// left there, for the caller to release or, ending the process, not to.
int renderPicture(const PictureRequest& request, const std::string& output,
    const std::string& format, SinkFactory makeSink, const RootFactory& newRoot,
    Direct3DObjects& d3d);

// The picture alone, for a caller that keeps it in memory: raises what
// renderPicture reports (RuntimeError, ProgramEnded for a device that
// cannot be made), after writing the start-up message, if any, to stderr.
Frame drawPicture(const PictureRequest& request, const RootFactory& newRoot, Direct3DObjects& d3d);

} // namespace triview
