#include "window/Controls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionSlider>

namespace triview {

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

ScrollBar::ScrollBar(QWidget* parent)
    : QScrollBar(Qt::Horizontal, parent)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    m_repeat.setSingleShot(true);
    connect(&m_repeat, &QTimer::timeout, this, &ScrollBar::stepWhileHeld);
}

QStyle::SubControl ScrollBar::controlAt(QPoint point) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option, point, this);
}

void ScrollBar::mousePressEvent(QMouseEvent* event)
{
    const QStyle::SubControl control = controlAt(event->position().toPoint());
    const bool onTrack
        = control == QStyle::SC_ScrollBarAddPage || control == QStyle::SC_ScrollBarSubPage;
    if (onTrack && (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton)) {
        m_held = control;
        m_pointer = event->position().toPoint();
        triggerAction(
            control == QStyle::SC_ScrollBarAddPage ? SliderPageStepAdd : SliderPageStepSub);
        m_repeat.start(
            style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatThreshold, nullptr, this));
        event->accept();
        return;
    }
    QScrollBar::mousePressEvent(event);
}

// Another step while the pointer is still on the part of the track that
// was pressed: once the thumb covers it, or the bar is at its end, the
// part under it is another one.
void ScrollBar::stepWhileHeld()
{
    if (m_held == QStyle::SC_None || controlAt(m_pointer) != m_held)
        return;
    triggerAction(m_held == QStyle::SC_ScrollBarAddPage ? SliderPageStepAdd : SliderPageStepSub);
    m_repeat.start(style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatRate, nullptr, this));
}

void ScrollBar::mouseMoveEvent(QMouseEvent* event)
{
    if (m_held == QStyle::SC_None)
        return QScrollBar::mouseMoveEvent(event);
    m_pointer = event->position().toPoint();
    event->accept();
}

void ScrollBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_held == QStyle::SC_None)
        return QScrollBar::mouseReleaseEvent(event);
    m_held = QStyle::SC_None;
    m_repeat.stop();
    event->accept();
}

void ScrollBar::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
        triggerAction(SliderSingleStepAdd);
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        triggerAction(SliderSingleStepSub);
        break;
    case Qt::Key_Home:
        triggerAction(SliderToMinimum);
        break;
    case Qt::Key_End:
        triggerAction(SliderToMaximum);
        break;
    default:
        QScrollBar::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace triview
