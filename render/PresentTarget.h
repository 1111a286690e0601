// What a device draws for: the picture area's client size and the place its
// presented frames go, and the frame itself. The picture box widget
// implements it; a picture drawn with no window (and a test's) keeps its
// last frame instead.
#pragma once

#include "render/D3DTypes.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace triview {

// A size in pixels.
struct PixelSize
{
    int width = 0;
    int height = 0;

    bool isEmpty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// A presented frame: rows from the top, each pixel the four bytes R, G, B,
// A with no padding. A is 255 unless the back buffer keeps alpha (A8R8G8B8);
// drawn pixels are opaque, so the colours need no premultiplying.
struct Frame
{
    PixelSize size;
    bool alpha = false;
    std::vector<std::uint8_t> pixels;

    static constexpr int kBytesPerPixel = 4;
    bool isNull() const { return size.isEmpty(); }
    std::uint8_t* row(int y) { return pixels.data() + std::size_t(y) * rowBytes(); }
    const std::uint8_t* row(int y) const { return pixels.data() + std::size_t(y) * rowBytes(); }
    std::size_t rowBytes() const { return std::size_t(size.width) * kBytesPerPixel; }
};

// The display mode where there is no screen: the back buffer's own format.
inline constexpr D3DDISPLAYMODE kNoScreen { 0, 0, 0, D3DFMT_X8R8G8B8 };

class PresentTarget
{
public:
    // The client area in device pixels; the back buffer takes this size.
    virtual PixelSize pixelSize() const = 0;
    // The screen it shows on, as the adapter reports it: its size in pixels
    // and format, D3DFMT_X8R8G8B8 for a true-colour screen, R5G6B5 or
    // X1R5G5B5 for 16 or 15 bits, D3DFMT_UNKNOWN for fewer. With no screen
    // (a picture drawn with no window), X8R8G8B8 and no size.
    virtual D3DDISPLAYMODE displayMode() const { return kNoScreen; }
    // Shows a presented frame, the back buffer's size.
    virtual void present(Frame frame) = 0;

protected:
    ~PresentTarget() = default;
};

// A picture of a given size with no window: keeps the last frame presented.
class PictureTarget final : public PresentTarget
{
public:
    explicit PictureTarget(PixelSize size)
        : m_size(size)
    { }
    PixelSize pixelSize() const override { return m_size; }
    void present(Frame frame) override { m_frame = std::move(frame); }
    const Frame& frame() const { return m_frame; }

private:
    PixelSize m_size;
    Frame m_frame;
};

} // namespace triview
