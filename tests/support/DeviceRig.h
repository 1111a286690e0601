// A device for tests: made by InitD3D on a picture that keeps the last frame
// presented to it, and watched through a seam.
#pragma once

#include "app/WindowFigures.h"
#include "render/DeviceSeam.h"
#include "render/DeviceSetup.h"
#include "render/PresentTarget.h"

namespace triview::test {

// A picture whose pixel size a test sets, as a window's when it moves to a
// screen of another scale: the back buffer follows it from the next frame.
struct SizedTarget final : PresentTarget
{
    QSize pixelSize() const override { return pixels; }
    void present(QImage shown) override { frame = std::move(shown); }
    QSize pixels = kPictureArea;
    QImage frame;
};

struct DeviceRig
{
    VbBoolean init()
    {
        return InitD3D(d3d, &target, [this] {
            ++rootsMade;
            return std::make_unique<DirectX8>(seam);
        });
    }

    std::shared_ptr<DeviceSeam> seam = std::make_shared<DeviceSeam>();
    SizedTarget target;
    Direct3DObjects d3d;
    int rootsMade = 0;
};

} // namespace triview::test
