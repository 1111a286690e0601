// What a device draws for: the picture area's client size and the place its
// presented frames go. The picture box widget implements it; tests may too.
#pragma once

#include <QImage>
#include <QSize>

namespace triview {

class PresentTarget
{
public:
    // The client area in device pixels; the back buffer takes this size.
    virtual QSize pixelSize() const = 0;
    // Shows a presented frame (opaque, pixelSize() large).
    virtual void present(QImage frame) = 0;

protected:
    ~PresentTarget() = default;
};

} // namespace triview
