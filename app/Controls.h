// The window's controls where Qt's own differ from what the window needs.
#pragma once

#include <QPushButton>
#include <QScrollBar>

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
// pointer), Right and Down add a step and Left and Up take one away (Qt's
// own go the other way for a horizontal bar), Home and End go to the ends;
// and it has no context menu.
class ScrollBar final : public QScrollBar
{
    Q_OBJECT
public:
    explicit ScrollBar(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace triview
