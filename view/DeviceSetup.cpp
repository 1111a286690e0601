#include "view/DeviceSetup.h"

#include "render/DeviceCall.h"
#include "runtime/RuntimeError.h"

namespace triview {

namespace {

// One statement under "resume with the next statement": a runtime error
// abandons the statement and is dropped.
template <typename Statement> void resumeNext(Statement&& statement)
{
    try {
        statement();
    } catch (const RuntimeError&) { }
}

} // namespace

VbBoolean InitD3D(Direct3DObjects& d3d, PresentTarget* hWnd, const RootFactory& newRoot,
    std::uint32_t backBufferFormat, std::uint32_t deviceType)
{
    VbBoolean result = vbFalse;

    resumeNext([&] {
        if (!d3d.DxRoot)
            d3d.DxRoot = newRoot();
        if (!d3d.DxRoot)
            throw RuntimeError(err::CannotCreateObject);
        d3d.D3DObject = d3d.DxRoot->Direct3DCreate(hWnd);
    });
    if (!d3d.D3DObject)
        return result;

    D3DDISPLAYMODE mode {};
    resumeNext([&] {
        checkDeviceCall(d3d.D3DObject->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, mode),
            "GetAdapterDisplayMode");
    });

    D3DPRESENT_PARAMETERS parameters {};
    parameters.Windowed = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_COPY_VSYNC;
    parameters.BackBufferFormat
        = backBufferFormat != D3DFMT_UNKNOWN ? backBufferFormat : mode.Format;
    parameters.BackBufferCount = 1;
    parameters.EnableAutoDepthStencil = 1;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;

    resumeNext([&] {
        std::unique_ptr<Direct3DDevice8> device;
        checkDeviceCall(d3d.D3DObject->CreateDevice(D3DADAPTER_DEFAULT, deviceType, hWnd,
                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, parameters, device),
            "CreateDevice");
        d3d.D3DDevice = std::move(device);
    });
    if (!d3d.D3DDevice)
        return result;

    resumeNext([&] {
        checkDeviceCall(
            d3d.D3DDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), "SetRenderState");
    });
    resumeNext([&] {
        checkDeviceCall(d3d.D3DDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE), "SetRenderState");
    });
    resumeNext([&] {
        checkDeviceCall(d3d.D3DDevice->SetRenderState(D3DRS_LIGHTING, 0), "SetRenderState");
    });

    result = vbTrue;
    return result;
}

void Cleanup(Direct3DObjects& d3d)
{
    d3d.VertexBuffer.reset();
    d3d.D3DDevice.reset();
    d3d.D3DObject.reset();
}

} // namespace triview
