#include "view/FrameRenderer.h"

#include "render/D3DXMath.h"
#include "render/DeviceCall.h"
#include "runtime/CheckedMath.h"

namespace triview {

void Render(Direct3DObjects& d3d, std::int16_t TriangleCount, const Pose& pose,
    const std::optional<D3DMATRIX>& view)
{
    if (!d3d.D3DDevice)
        return;
    Direct3DDevice8& device = *d3d.D3DDevice;
    checkDeviceCall(
        device.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), "Clear");
    checkDeviceCall(device.BeginScene(), "BeginScene");
    SetupMatrices(device, pose, view);
    checkDeviceCall(device.SetStreamSource(0, d3d.VertexBuffer, kVertexStride), "SetStreamSource");
    checkDeviceCall(device.SetVertexShader(kVertexFormat), "SetVertexShader");
    checkDeviceCall(device.SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD), "SetRenderState");
    checkDeviceCall(device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, TriangleCount), "DrawPrimitive");
    checkDeviceCall(device.EndScene(), "EndScene");
    checkDeviceCall(device.Present(nullptr, nullptr, nullptr, nullptr), "Present");
}

void SetupMatrices(
    Direct3DDevice8& D3DDevice, const Pose& pose, const std::optional<D3DMATRIX>& view)
{
    checkDeviceCall(D3DDevice.SetTransform(D3DTS_WORLD, worldTransform(pose)), "SetTransform");
    checkDeviceCall(D3DDevice.SetTransform(D3DTS_VIEW, view ? *view : viewTransform(pose.distance)),
        "SetTransform");
    D3DMATRIX projection {};
    D3DXMatrixPerspectiveFovLH(projection, kFieldOfView, 1.0f, kNearPlane, kFarPlane);
    checkDeviceCall(D3DDevice.SetTransform(D3DTS_PROJECTION, projection), "SetTransform");
}

D3DMATRIX worldTransform(const Pose& pose)
{
    const D3DVECTOR axis = pose.byClock ? vec3(1.0f, 2.0f, 1.0f) : pose.axis;
    const float angle = pose.byClock ? pose.clock : pose.angle;
    const float turn = static_cast<float>(static_cast<double>(angle) / 1.5);
    D3DMATRIX world {};
    D3DXMatrixRotationAxis(world, axis, turn);
    return world;
}

D3DMATRIX viewTransform(std::int16_t distance)
{
    const std::int16_t v = distance;
    const float eyeX = checked::mul16(100, v);
    const float eyeY = checked::mul16(30, v);
    const float eyeZ = checked::mul16(-20, v);
    const float targetX = checked::mul16(20, v);
    const float upY = checked::mul16(50, v);
    D3DMATRIX view {};
    D3DXMatrixLookAtLH(
        view, vec3(eyeX, eyeY, eyeZ), vec3(targetX, 0.0f, 0.0f), vec3(0.0f, upY, 0.0f));
    return view;
}

} // namespace triview
