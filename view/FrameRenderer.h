// Drawing one frame: clear, the three transforms, one draw of the whole
// vertex buffer, present.
#pragma once

#include "render/D3DTypes.h"
#include "view/DeviceSetup.h"
#include "view/Pose.h"

#include <cstdint>
#include <optional>

namespace triview {

// Draws TriangleCount triangles of d3d.VertexBuffer and presents them. Does
// nothing without a device. A failing device call raises its result code;
// a distance whose products leave 16 bits raises 6. A view, when given,
// takes the place of the one the distance sets.
void Render(Direct3DObjects& d3d, std::int16_t TriangleCount, const Pose& pose,
    const std::optional<D3DMATRIX>& view = std::nullopt);

// Sets the world transform, the view (the distance's, unless one is given)
// and the fixed projection.
void SetupMatrices(Direct3DDevice8& D3DDevice, const Pose& pose,
    const std::optional<D3DMATRIX>& view = std::nullopt);

// The world transform: about (1, 2, 1) by the clock, or about the pose's
// axis by its angle; the angle divided by 1.5.
D3DMATRIX worldTransform(const Pose& pose);

// The view from eye (100v, 30v, -20v) to target (20v, 0, 0) with up
// (0, 50v, 0) for v = distance. Raises 6 when a product leaves 16 bits.
D3DMATRIX viewTransform(std::int16_t distance);

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
