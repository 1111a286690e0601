// libFuzzer target over the software renderer as the window's camera sees a
// model, with no fit: any vertex buffer straight into the device (corners of
// any size, tiny, huge, behind the camera, not finite), on a small back
// buffer. The input is the width, the height, the distance, a culling mode
// and a turn, then the vertex records. Drawn in one draw and again one
// triangle a draw, the pixels must be the same: the renderer takes a draw's
// triangles in any order it likes, but ties in depth go to the later one, as
// the less-or-equal test does in drawing order.
#include "view/DeviceSetup.h"
#include "view/FrameRenderer.h"
#include "render/PresentTarget.h"
#include "render/software/SoftwareBackend.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace triview;

namespace {

std::vector<std::uint8_t> drawn(Direct3DObjects& d3d, const Pose& pose, std::uint32_t cull,
    std::int32_t triangles, bool oneByOne, PictureTarget& picture)
{
    Direct3DDevice8& device = *d3d.D3DDevice;
    device.SetRenderState(D3DRS_CULLMODE, cull);
    device.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00102030, 1.0f, 0);
    device.BeginScene();
    SetupMatrices(device, pose);
    device.SetStreamSource(0, d3d.VertexBuffer, kVertexStride);
    device.SetVertexShader(kVertexFormat);
    if (oneByOne)
        for (std::int32_t k = 0; k < triangles; ++k)
            device.DrawPrimitive(D3DPT_TRIANGLELIST, 3 * k, 1);
    else
        device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
    device.EndScene();
    device.Present(nullptr, nullptr, nullptr, nullptr);
    return picture.frame().pixels;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kHeader = 8, kTriangle = 3 * kVertexStride;
    if (size < kHeader + kTriangle)
        return 0;
    const PixelSize pixels { 1 + data[0] % 64, 1 + data[1] % 64 };
    float angle = 0;
    std::memcpy(&angle, data + 4, sizeof angle);
    const Pose pose { false, 0, { 0.6f, 0.0f, 0.8f }, std::isfinite(angle) ? angle : 0.0f,
        std::int16_t(1 + data[2] % 15) };
    const std::uint32_t cull = D3DCULL_NONE + data[3] % 3;
    const std::int32_t triangles
        = std::int32_t(std::min<std::size_t>((size - kHeader) / kTriangle, 256));

    PictureTarget picture(pixels);
    Direct3DObjects d3d;
    if (InitD3D(d3d, &picture, newSoftwareDirectX8, D3DFMT_UNKNOWN, D3DDEVTYPE_REF) != vbTrue
        || d3d.D3DDevice->CreateVertexBuffer(triangles * std::int32_t(kTriangle), 0, kVertexFormat,
               D3DPOOL_DEFAULT, d3d.VertexBuffer)
            != D3D_OK)
        std::abort();
    D3DVertexBuffer8SetData(
        d3d.VertexBuffer.get(), 0, triangles * std::int32_t(kTriangle), 0, data + kHeader);
    if (drawn(d3d, pose, cull, triangles, false, picture)
        != drawn(d3d, pose, cull, triangles, true, picture))
        std::abort(); // one draw's pixels are not those of the triangles drawn in turn
    return 0;
}
