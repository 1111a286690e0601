#include "app/Controls.h"

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
}

void ScrollBar::mousePressEvent(QMouseEvent* event)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QStyle::SubControl control = style()->hitTestComplexControl(
        QStyle::CC_ScrollBar, &option, event->position().toPoint(), this);
    const bool onTrack
        = control == QStyle::SC_ScrollBarAddPage || control == QStyle::SC_ScrollBarSubPage;
    if (onTrack && (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton)) {
        triggerAction(
            control == QStyle::SC_ScrollBarAddPage ? SliderPageStepAdd : SliderPageStepSub);
        event->accept();
        return;
    }
    QScrollBar::mousePressEvent(event);
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
