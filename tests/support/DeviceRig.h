// A device for tests: made by InitD3D on a picture that keeps the last frame
// presented to it, and watched through a seam; OpenGL's (HAL) or the
// software rasteriser's (REF).
#pragma once

#include "render/DeviceSeam.h"
#include "render/PresentTarget.h"
#include "render/gl/GlDevice.h"
#include "render/software/SoftwareBackend.h"
#include "view/DeviceSetup.h"
#include "view/WindowFigures.h"
#include "window/FrameImage.h"

#include <string>

namespace triview::test {

// A picture whose pixel size a test sets, as a window's when it moves to a
// screen of another scale: the back buffer follows it from the next frame.
struct SizedTarget final : PresentTarget
{
    PixelSize pixelSize() const override { return pixels; }
    void present(Frame shown) override { frame = frameImage(std::move(shown)); }
    PixelSize pixels = kPictureArea;
    QImage frame;
};

// The backends, by name, for tests that run over both.
inline constexpr std::uint32_t kBackends[] = { D3DDEVTYPE_HAL, D3DDEVTYPE_REF };
inline std::string backendName(std::uint32_t deviceType)
{
    return deviceType == D3DDEVTYPE_REF ? "Software" : "OpenGL";
}

// Root objects of both backends whose objects report to seam.
inline RootFactory watchedRoots(std::shared_ptr<DeviceSeam> seam)
{
    return [seam] {
        return std::make_unique<DirectX8>(seam, Backends { makeGlBackend, makeSoftwareBackend });
    };
}

// Device set-up itself, watched.
struct DeviceRig
{
    VbBoolean init(std::uint32_t deviceType = D3DDEVTYPE_HAL)
    {
        return InitD3D(
            d3d, &target,
            [this] {
                ++rootsMade;
                return watchedRoots(seam)();
            },
            D3DFMT_UNKNOWN, deviceType);
    }

    std::shared_ptr<DeviceSeam> seam = std::make_shared<DeviceSeam>();
    SizedTarget target;
    Direct3DObjects d3d;
    int rootsMade = 0;
};

} // namespace triview::test
