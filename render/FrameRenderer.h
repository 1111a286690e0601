// Drawing one frame: clear, the three transforms, one draw of the whole
// vertex buffer, present.
#pragma once

#include "render/D3DTypes.h"
#include "render/DeviceSetup.h"

#include <cstdint>
#include <optional>

namespace triview {

class RuntimeServices;

// What a frame reads from the window's controls and rotation state.
struct FrameControls
{
    std::int16_t Check1; // 1: turn by the clock
    D3DVECTOR RotationAxis;
    float RotationAngle;
    std::int16_t HScroll1; // camera distance factor
};

// Draws TriangleCount triangles of d3d.VertexBuffer and presents them. Does
// nothing without a device. A failing device call raises its result code;
// a camera factor whose products leave 16 bits raises 6. A view, when
// given, takes the place of the one HScroll1 sets.
void Render(Direct3DObjects& d3d, std::int16_t TriangleCount, const FrameControls& controls,
    RuntimeServices& runtime, const std::optional<D3DMATRIX>& view = std::nullopt);

// Sets the world transform, the view (HScroll1's, unless one is given) and
// the fixed projection.
void SetupMatrices(Direct3DDevice8& D3DDevice, const FrameControls& controls,
    RuntimeServices& runtime, const std::optional<D3DMATRIX>& view = std::nullopt);

// The world transform: about (1, 2, 1) by the clock when Check1 is 1, else
// about RotationAxis by RotationAngle; the angle divided by 1.5.
D3DMATRIX worldTransform(const FrameControls& controls, RuntimeServices& runtime);

// The view from eye (100v, 30v, -20v) to target (20v, 0, 0) with up
// (0, 50v, 0) for v = HScroll1. Raises 6 when a product leaves 16 bits.
D3DMATRIX viewTransform(std::int16_t HScroll1);

inline D3DVECTOR vec3(const float& x, const float& y, const float& z)
{
    return { x, y, z };
}

// The vertical field of view: pi as 3.1415926, divided by 4 in double and
// rounded to float, 0x3F490FDA.
inline const float kFieldOfView = static_cast<float>(3.1415926 / 4.0);
inline constexpr float kNearPlane = 1.0f;
inline constexpr float kFarPlane = 5000.0f;

} // namespace triview
