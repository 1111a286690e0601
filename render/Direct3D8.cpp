#include "render/Direct3D8.h"

#include "render/DeviceSeam.h"
#include "render/Direct3DDevice8.h"
#include "render/PresentTarget.h"

namespace triview {

DirectX8::DirectX8(std::shared_ptr<DeviceSeam> seam, Backends backends)
    : m_seam(std::move(seam))
    , m_backends(backends)
{ }

std::unique_ptr<Direct3D8> DirectX8::Direct3DCreate(const PresentTarget* display)
{
    if (m_seam
        && (failed(m_seam->enter("Direct3DCreate")) || m_seam->yieldsNothing("Direct3DCreate")))
        return nullptr;
    return std::make_unique<Direct3D8>(m_seam, display, m_backends);
}

Direct3D8::Direct3D8(
    std::shared_ptr<DeviceSeam> seam, const PresentTarget* display, Backends backends)
    : m_seam(std::move(seam))
    , m_display(display)
    , m_backends(backends)
{ }

Direct3D8::~Direct3D8()
{
    if (m_seam)
        m_seam->enter("Release:Direct3D");
}

HRESULT Direct3D8::GetAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode)
{
    if (m_seam)
        if (const HRESULT hr = m_seam->enter("GetAdapterDisplayMode"); failed(hr))
            return hr;
    if (adapter != D3DADAPTER_DEFAULT)
        return D3DERR_INVALIDCALL;
    mode = m_display ? m_display->displayMode() : kNoScreen;
    return D3D_OK;
}

HRESULT Direct3D8::CreateDevice(std::uint32_t adapter, std::uint32_t deviceType,
    PresentTarget* focusWindow, std::uint32_t behaviorFlags,
    const D3DPRESENT_PARAMETERS& parameters, std::unique_ptr<Direct3DDevice8>& device)
{
    if (m_seam)
        if (const HRESULT hr = m_seam->enter("CreateDevice"); failed(hr))
            return hr;
    const BackendFactory backend = deviceType == D3DDEVTYPE_HAL ? m_backends.hardware
        : deviceType == D3DDEVTYPE_REF                          ? m_backends.software
                                                                : nullptr;
    if (!backend || parameters.Windowed != 1 || parameters.MultiSampleType != 0)
        return D3DERR_NOTAVAILABLE;
    // The back buffer is always one of 8 bits a channel, whatever the screen
    // shows it with, and keeps alpha only for A8R8G8B8; format 0 (what a
    // failed display-mode query leaves) is refused, as Direct3D 8 did.
    const std::uint32_t format = parameters.BackBufferFormat;
    const bool backBufferFormatOk = format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8
        || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
    const bool depthOk = parameters.EnableAutoDepthStencil == 0
        || (parameters.EnableAutoDepthStencil == 1
            && parameters.AutoDepthStencilFormat == D3DFMT_D16);
    if (adapter != D3DADAPTER_DEFAULT || focusWindow == nullptr
        || behaviorFlags != D3DCREATE_SOFTWARE_VERTEXPROCESSING || !backBufferFormatOk
        || parameters.BackBufferCount > 1 || parameters.SwapEffect < D3DSWAPEFFECT_DISCARD
        || parameters.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC || !depthOk
        || parameters.BackBufferWidth > kMaxBackBufferSide
        || parameters.BackBufferHeight > kMaxBackBufferSide)
        return D3DERR_INVALIDCALL;

    const PixelSize client = focusWindow->pixelSize();
    const PixelSize size { parameters.BackBufferWidth ? int(parameters.BackBufferWidth)
                                                      : client.width,
        parameters.BackBufferHeight ? int(parameters.BackBufferHeight) : client.height };
    const BackBuffer backBuffer { size,
        parameters.BackBufferWidth == 0 && parameters.BackBufferHeight == 0,
        format == D3DFMT_A8R8G8B8, parameters.EnableAutoDepthStencil == 1 };
    return Direct3DDevice8::create(*focusWindow, backBuffer, backend, m_seam, device);
}

} // namespace triview
