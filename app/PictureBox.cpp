#include "app/PictureBox.h"

#include <QPainter>

namespace triview {

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // paintEvent covers every pixel: the frame, or the background before one.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize PictureBox::pixelSize() const
{
    return size() * devicePixelRatio();
}

void PictureBox::present(QImage frame)
{
    frame.setDevicePixelRatio(devicePixelRatio());
    m_frame = std::move(frame);
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_frame.isNull())
        painter.fillRect(rect(), palette().window());
    else
        painter.drawImage(0, 0, m_frame);
}

} // namespace triview
