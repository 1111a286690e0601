// libFuzzer target over the camera that fits a model to a picture: for any
// finite vertices (twelve bytes each, after four for the model's turn),
// normalised and fitted as --fit does, every entry of the view is finite,
// every vertex lands inside the picture and between the depth planes, as
// the device works it out in float, and the model reaches the margin on one
// axis unless it reaches far along the view; or the view is kept, when they
// have no extent.
#include "render/D3DXMath.h"
#include "render/Framing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace triview;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The window's camera at distance 8, and its perspective.
    constexpr float kMargin = 0.05f, kSlack = 2e-3f, kFieldOfView = 3.1415926f / 4, kNear = 1;
    float angle = 0;
    if (size < sizeof angle)
        return 0;
    std::memcpy(&angle, data, sizeof angle);
    if (!(std::fabs(angle) < 100.0f))
        return 0;
    std::vector<std::byte> vertices;
    for (std::size_t at = sizeof angle; at + 12 <= size; at += 12) {
        float p[4] = {};
        std::memcpy(p, data + at, 12);
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2]))
            return 0;
        const auto* bytes = reinterpret_cast<const std::byte*>(p);
        vertices.insert(vertices.end(), bytes, bytes + sizeof p);
    }
    D3DMATRIX world, projection, all;
    D3DXMatrixRotationAxis(world, { 0.6f, 0.0f, 0.8f }, angle);
    D3DMATRIX view;
    D3DXMatrixLookAtLH(view, { 800, 240, -160 }, { 160, 0, 0 }, { 0, 400, 0 });
    normaliseVertices(vertices);
    const D3DMATRIX fitted = fittedView(vertices, world, view, kFieldOfView, kNear, kMargin);
    if (fitted == view)
        return 0;
    for (const auto& row : fitted.m)
        for (const float entry : row)
            if (!std::isfinite(entry))
                std::abort();
    D3DXMatrixPerspectiveFovLH(projection, kFieldOfView, 1.0f, kNear, 5000.0f);
    D3DXMatrixMultiply(all, world, fitted);
    D3DXMatrixMultiply(all, all, projection);
    float low[2] = { HUGE_VALF, HUGE_VALF }, high[2] = { -HUGE_VALF, -HUGE_VALF };
    float nearest = HUGE_VALF, farthest = 0;
    for (std::size_t at = 0; at < vertices.size(); at += 16) {
        float v[3], clip[4];
        std::memcpy(v, vertices.data() + at, sizeof v);
        for (int c = 0; c < 4; ++c)
            clip[c] = v[0] * all.m[0][c] + v[1] * all.m[1][c] + v[2] * all.m[2][c] + all.m[3][c];
        if (!(clip[3] > 0) || !(clip[2] >= -kSlack * clip[3]) || !(clip[2] <= clip[3]))
            std::abort(); // behind the camera, or outside the depth planes
        nearest = std::min(nearest, clip[3]);
        farthest = std::max(farthest, clip[3]);
        for (int axis = 0; axis < 2; ++axis) {
            low[axis] = std::min(low[axis], clip[axis] / clip[3]);
            high[axis] = std::max(high[axis], clip[axis] / clip[3]);
        }
    }
    const float reach = 1 - kMargin + kSlack;
    if (std::min(low[0], low[1]) < -reach || std::max(high[0], high[1]) > reach)
        std::abort(); // outside the picture's margin
    // A model that reaches far along the view may not fill the picture: its
    // nearest point is kept a hundredth of its size from the camera.
    if (farthest < 50 * nearest
        && std::max(high[0] - low[0], high[1] - low[1]) < 2 * (1 - kMargin) - 2 * kSlack)
        std::abort(); // not filling it
    return 0;
}
