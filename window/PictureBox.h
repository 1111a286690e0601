// The picture area: a widget that shows the last frame the device presented
// to it and draws nothing of its own. The mouse, the wheel and the keys on
// it come out as signals for the window: a drag (or an arrow key, a short
// drag from the middle), a double-click or Home, whole wheel notches. To a
// screen reader it is a graphic.
#pragma once

#include "render/PresentTarget.h"

#include <QImage>
#include <QPointF>
#include <QWidget>
#include <optional>

namespace triview {

class PictureBox final : public QWidget, public PresentTarget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    PixelSize pixelSize() const override;
    D3DDISPLAYMODE displayMode() const override;
    void present(Frame frame) override;

    // The frame shown now; null before the first Present.
    const QImage& frame() const { return m_frame; }

signals:
    // The pointer dragged from one point of the picture to another.
    void dragged(QPointF from, QPointF to);
    // A double-click, or Home: the drag's turn is dropped.
    void turnDropped();
    // Whole wheel notches, forward positive.
    void wheelTurned(int notches);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QImage m_frame;
    std::optional<QPointF> m_dragFrom; // while the left button is down
    int m_wheelEighths = 0; // of a degree, not yet a whole notch
};

} // namespace triview
