// A device for tests: made by InitD3D on a picture that keeps the last frame
// presented to it, and watched through a seam.
#pragma once

#include "app/WindowFigures.h"
#include "render/DeviceSeam.h"
#include "render/DeviceSetup.h"
#include "render/PresentTarget.h"

namespace triview::test {

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
    PictureTarget target { kPictureArea };
    Direct3DObjects d3d;
    int rootsMade = 0;
};

} // namespace triview::test
