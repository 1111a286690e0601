// The picture area: a plain widget that shows the last frame the device
// presented to it and draws nothing of its own.
#pragma once

#include "render/PresentTarget.h"

#include <QImage>
#include <QWidget>

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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_frame;
};

} // namespace triview
