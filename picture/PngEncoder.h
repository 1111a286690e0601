// A drawn picture as a PNG file's bytes, written by libpng as the bands
// come, so that a large picture is never held whole; with an alpha channel
// only when the picture has one.
#pragma once

#include "picture/RenderPicture.h"

#include <memory>
#include <string>

namespace triview {

class PngEncoder final : public PictureSink
{
public:
    PngEncoder(PixelSize size, bool alpha);
    ~PngEncoder() override;
    PngEncoder(const PngEncoder&) = delete;
    PngEncoder& operator=(const PngEncoder&) = delete;

    void add(const Frame& band, int rows) override;
    std::string finish() override;

private:
    struct Png;
    PixelSize m_size;
    std::unique_ptr<Png> m_png;
    std::string m_bytes;
    bool m_failed = false;
    int m_row = 0;
};

// A PngEncoder for any format asked: for a caller that writes PNG only.
std::unique_ptr<PictureSink> makePngEncoder(PixelSize size, bool alpha, const std::string& format);

} // namespace triview
