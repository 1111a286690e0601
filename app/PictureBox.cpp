#include "app/PictureBox.h"

#include "app/FrameImage.h"

#include <QPainter>
#include <QScreen>
#include <cmath>

namespace triview {

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // paintEvent covers every pixel: the frame, or the background before one.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PixelSize PictureBox::pixelSize() const
{
    const QSize pixels = size() * devicePixelRatio();
    return { pixels.width(), pixels.height() };
}

D3DDISPLAYMODE PictureBox::displayMode() const
{
    const QScreen* shown = screen();
    if (shown == nullptr)
        return PresentTarget::displayMode();
    const QSize pixels = shown->size() * shown->devicePixelRatio();
    const int depth = shown->depth();
    return { static_cast<std::uint32_t>(pixels.width()),
        static_cast<std::uint32_t>(pixels.height()),
        static_cast<std::uint32_t>(std::lround(shown->refreshRate())),
        depth >= 24       ? D3DFMT_X8R8G8B8
            : depth == 16 ? D3DFMT_R5G6B5
            : depth == 15 ? D3DFMT_X1R5G5B5
                          : D3DFMT_UNKNOWN };
}

void PictureBox::present(Frame frame)
{
    m_frame = frameImage(std::move(frame));
    m_frame.setDevicePixelRatio(devicePixelRatio());
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_frame.isNull())
        painter.fillRect(rect(), palette().window());
    else if (m_frame.size() == size() * devicePixelRatio())
        painter.drawImage(0, 0, m_frame);
    else // drawn before a change of scale: stretched until the next one
        painter.drawImage(rect(), m_frame);
}

} // namespace triview
