#include "window/PictureBox.h"

#include "window/FrameImage.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <cmath>

namespace triview {

namespace {

// How far an arrow key drags from the middle, in pixels: a short drag.
constexpr double kKeyDrag = 12;
// A wheel notch, in eighths of a degree.
constexpr int kNotch = 120;

QAccessibleInterface* pictureAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("triview::PictureBox") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent)
{
    QAccessible::installFactory(pictureAccessible); // once: Qt keeps no duplicates
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

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragFrom = event->position();
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragFrom || !(event->buttons() & Qt::LeftButton) || event->position() == *m_dragFrom)
        return;
    emit dragged(*std::exchange(m_dragFrom, event->position()), event->position());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragFrom.reset();
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit turnDropped();
}

void PictureBox::keyPressEvent(QKeyEvent* event)
{
    const QPointF middle(width() / 2.0, height() / 2.0);
    QPointF step;
    switch (event->key()) {
    case Qt::Key_Left:
        step = { -kKeyDrag, 0 };
        break;
    case Qt::Key_Right:
        step = { kKeyDrag, 0 };
        break;
    case Qt::Key_Up:
        step = { 0, -kKeyDrag };
        break;
    case Qt::Key_Down:
        step = { 0, kKeyDrag };
        break;
    case Qt::Key_Home:
        emit turnDropped();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    emit dragged(middle, middle + step);
}

void PictureBox::wheelEvent(QWheelEvent* event)
{
    m_wheelEighths += event->angleDelta().y();
    const int notches = m_wheelEighths / kNotch;
    m_wheelEighths -= notches * kNotch;
    if (notches != 0)
        emit wheelTurned(notches);
    event->accept();
}

} // namespace triview
