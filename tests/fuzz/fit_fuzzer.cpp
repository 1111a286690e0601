// libFuzzer target over --fit's camera, seeded with the cases worth keeping:
// any finite vertices (twelve bytes each, then four for the turn) land
// inside the picture and the depth planes as the device works it out, and
// fill it, centred, on one axis unless far along the view; or, with no
// extent, the view is kept.
#include "render/D3DXMath.h"
#include "view/Framing.h"

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
    float angle = 0, p[4] = {};
    std::vector<std::byte> vertices;
    for (std::size_t at = 0; at + 12 <= size; at += 12) {
        std::memcpy(&p, data + at, 12);
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2]))
            return 0;
        const auto* bytes = reinterpret_cast<const std::byte*>(p);
        vertices.insert(vertices.end(), bytes, bytes + sizeof p);
    }
    if (size >= sizeof angle)
        std::memcpy(&angle, data + size - sizeof angle, sizeof angle);
    D3DMATRIX world, view, projection, all;
    D3DXMatrixRotationAxis(world, { 0.6f, 0.0f, 0.8f }, std::fmod(angle, 7.0f));
    D3DXMatrixLookAtLH(view, { 800, 240, -160 }, { 160, 0, 0 }, { 0, 400, 0 });
    normaliseVertices(vertices);
    const D3DMATRIX fitted = fittedView(vertices, world, view, kFieldOfView, kNear, kMargin);
    if (fitted == view)
        return 0;
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
    if (!(std::min(low[0], low[1]) >= kMargin - 1 - kSlack)
        || !(std::max(high[0], high[1]) <= 1 - kMargin + kSlack))
        std::abort(); // outside the picture's margin
    // A model that reaches far along the view may not fill the picture: its
    // nearest point is kept a hundredth of its size from the camera.
    const int wide = high[0] - low[0] >= high[1] - low[1] ? 0 : 1;
    if (farthest < 50 * nearest
        && (high[wide] - low[wide] < 2 * (1 - kMargin) - 2 * kSlack
            || std::fabs(high[wide] + low[wide]) > kSlack))
        std::abort(); // not filling it, centred
    return 0;
}
