// The window's controls where Qt's own differ from what the window needs.
#pragma once

#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

namespace triview {

// A command button that Enter and Return press, as Space does.
class CommandButton final : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A horizontal scroll bar that moves the same under every desktop: a click
// on the track moves it by one step (a GTK theme would jump to the
// pointer), and a press held there goes on stepping toward the pointer at
// the style's click-repeat pace until the thumb reaches it; Right and Down
// add a step and Left and Up take one away (Qt's own go the other way for
// a horizontal bar), Home and End go to the ends; and it has no context
// menu.
class ScrollBar final : public QScrollBar
{
    Q_OBJECT
public:
    explicit ScrollBar(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStyle::SubControl controlAt(QPoint point) const;
    void stepWhileHeld();

    QTimer m_repeat;
    QStyle::SubControl m_held = QStyle::SC_None; // the part of the track held
    QPoint m_pointer;
};

} // namespace triview
