// What a device draws for: the picture area's client size and the place its
// presented frames go. The picture box widget implements it; a picture
// drawn with no window (and a test's) keeps its last frame instead.
#pragma once

#include "render/D3DTypes.h"

#include <QImage>
#include <QSize>
#include <utility>

namespace triview {

// The display mode where there is no screen: the back buffer's own format.
inline constexpr D3DDISPLAYMODE kNoScreen { 0, 0, 0, D3DFMT_X8R8G8B8 };

class PresentTarget
{
public:
    // The client area in device pixels; the back buffer takes this size.
    virtual QSize pixelSize() const = 0;
    // The screen it shows on, as the adapter reports it: its size in pixels
    // and format, D3DFMT_X8R8G8B8 for a true-colour screen, R5G6B5 or
    // X1R5G5B5 for 16 or 15 bits, D3DFMT_UNKNOWN for fewer. With no screen
    // (a picture drawn with no window), X8R8G8B8 and no size.
    virtual D3DDISPLAYMODE displayMode() const { return kNoScreen; }
    // Shows a presented frame, pixelSize() large: opaque, unless the device
    // was made with an A8R8G8B8 back buffer.
    virtual void present(QImage frame) = 0;

protected:
    ~PresentTarget() = default;
};

// A picture of a given size with no window: keeps the last frame presented.
class PictureTarget final : public PresentTarget
{
public:
    explicit PictureTarget(QSize size)
        : m_size(size)
    { }
    QSize pixelSize() const override { return m_size; }
    void present(QImage frame) override { m_frame = std::move(frame); }
    const QImage& frame() const { return m_frame; }

private:
    QSize m_size;
    QImage m_frame;
};

} // namespace triview
