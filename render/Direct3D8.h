// The root object and the Direct3D object: where a device comes from.
#pragma once

#include "render/D3DTypes.h"
#include "render/DeviceBackend.h"

#include <functional>
#include <memory>

namespace triview {

class DeviceSeam;
class Direct3DDevice8;
class PresentTarget;

// The largest back buffer side a device is made with.
inline constexpr std::uint32_t kMaxBackBufferSide = 16384;

class Direct3D8
{
public:
    // display, when given, is what the adapter's screen shows.
    Direct3D8(std::shared_ptr<DeviceSeam> seam, const PresentTarget* display, Backends backends);
    ~Direct3D8();

    // Adapter 0 only: the display's mode, as PresentTarget::displayMode
    // gives it; without a display, X8R8G8B8 and no size.
    HRESULT GetAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode);

    // Makes a windowed device drawing for focusWindow. Supports adapter 0,
    // the HAL type (drawn by the hardware backend) and the REF type (drawn
    // by the software backend), software vertex processing (flags exactly 32), one back
    // buffer in a screen format of 15 to 32 bits (drawn at 8 bits a channel
    // all the same) of the window's client size (or the size given), no
    // multisampling, and an optional 16-bit depth buffer.
    // Refuses anything else, and answers D3DERR_NOTAVAILABLE when the
    // backend cannot be had (none for the type, or no OpenGL 3.3 core).
    HRESULT CreateDevice(std::uint32_t adapter, std::uint32_t deviceType,
        PresentTarget* focusWindow, std::uint32_t behaviorFlags,
        const D3DPRESENT_PARAMETERS& parameters, std::unique_ptr<Direct3DDevice8>& device);

private:
    std::shared_ptr<DeviceSeam> m_seam;
    const PresentTarget* m_display;
    Backends m_backends;
};

// The DirectX 8 root object.
class DirectX8
{
public:
    // With a seam, every object made from this root reports to it.
    DirectX8(std::shared_ptr<DeviceSeam> seam, Backends backends);

    // The Direct3D object of the adapter whose screen display shows on, or
    // null when none can be had.
    std::unique_ptr<Direct3D8> Direct3DCreate(const PresentTarget* display = nullptr);

private:
    std::shared_ptr<DeviceSeam> m_seam;
    Backends m_backends;
};

// Makes the root object; raises a RuntimeError when it cannot.
using RootFactory = std::function<std::unique_ptr<DirectX8>()>;

} // namespace triview
