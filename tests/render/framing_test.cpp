// The camera that makes a model fill a picture, by the properties a
// thumbnail needs: every vertex inside the margin, the model reaching it,
// centred, and in front of the near plane and the far one.
#include "render/D3DXMath.h"
#include "render/FrameRenderer.h"
#include "render/Framing.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace triview {
namespace {

constexpr float kMargin = 0.05f;

std::vector<std::byte> vertices(const std::vector<D3DVECTOR>& points)
{
    std::vector<std::byte> bytes(points.size() * 16);
    for (std::size_t i = 0; i < points.size(); ++i)
        std::memcpy(bytes.data() + 16 * i, &points[i], sizeof(D3DVECTOR));
    return bytes;
}

struct Projected
{
    float left = 1e9f, right = -1e9f, bottom = 1e9f, top = -1e9f, nearest = 1e9f, farthest = -1e9f;
};

// Where the points land in clip space, divided by w, as the device draws them.
Projected project(
    const std::vector<D3DVECTOR>& points, const D3DMATRIX& world, const D3DMATRIX& view)
{
    D3DMATRIX projection, all;
    D3DXMatrixPerspectiveFovLH(projection, kFieldOfView, 1.0f, kNearPlane, kFarPlane);
    D3DXMatrixMultiply(all, world, view);
    D3DXMatrixMultiply(all, all, projection);
    Projected p;
    for (const D3DVECTOR& v : points) {
        float clip[4];
        for (int c = 0; c < 4; ++c)
            clip[c] = v.x * all.m[0][c] + v.y * all.m[1][c] + v.z * all.m[2][c] + all.m[3][c];
        p.left = std::min(p.left, clip[0] / clip[3]);
        p.right = std::max(p.right, clip[0] / clip[3]);
        p.bottom = std::min(p.bottom, clip[1] / clip[3]);
        p.top = std::max(p.top, clip[1] / clip[3]);
        p.nearest = std::min(p.nearest, clip[2] / clip[3]);
        p.farthest = std::max(p.farthest, clip[2] / clip[3]);
    }
    return p;
}

TEST(FittedView, ModelsOfAnySizeAndPlaceFillThePictureCentredInFrontOfTheCamera)
{
    std::mt19937 random(7);
    const auto cloud = [&](float centre, float size, float flatZ, int count) {
        std::uniform_real_distribution<float> spread(-size, size);
        std::vector<D3DVECTOR> points;
        for (int i = 0; i < count; ++i)
            points.push_back({ centre + spread(random), centre + spread(random),
                flatZ != 0 ? flatZ : spread(random) });
        return points;
    };
    D3DMATRIX turned;
    D3DXMatrixRotationAxis(turned, { 0, 1, 0 }, 0.4f);
    const struct
    {
        const char* name;
        std::vector<D3DVECTOR> points;
        D3DMATRIX world;
        bool fills; // else the camera may come no nearer than a hundredth of the model
    } cases[] = {
        { "the window's start pose, small", cloud(0, 1, 0, 50), identityMatrix(), true },
        { "large and off to the side", cloud(1e5f, 3e4f, 0, 50), identityMatrix(), true },
        { "turned", cloud(-300, 200, 0, 50), turned, true },
        { "huge coordinates", cloud(1e30f, 1e29f, 0, 50), identityMatrix(), true },
        { "flat", cloud(0, 100, 5, 50), identityMatrix(), true },
        { "a line across the view", { { 0, 0, 0 }, { 0, 10, 0 } }, identityMatrix(), true },
        { "a rod pointing at the camera", { { 0, 0, 0 }, { 10, 3.75f, -2.5f } }, identityMatrix(),
            false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const D3DMATRIX view = viewTransform(8);
        const Projected p = project(c.points, c.world,
            fittedView(vertices(c.points), c.world, view, kFieldOfView, kNearPlane, kMargin));
        const float edge = 1.0f - kMargin;
        EXPECT_GE(std::min(p.left, p.bottom), -edge - 1e-3f);
        EXPECT_LE(std::max(p.right, p.top), edge + 1e-3f);
        // It reaches the margin on the side it fills, and is centred on it.
        const bool wide = p.right - p.left >= p.top - p.bottom;
        if (c.fills) {
            EXPECT_NEAR(wide ? p.right - p.left : p.top - p.bottom, 2 * edge, 0.002f);
        }
        EXPECT_NEAR(wide ? p.left + p.right : p.bottom + p.top, 0.0f, 0.002f);
        EXPECT_GE(p.nearest, 0.0f);
        EXPECT_LE(p.farthest, 1.0f);
    }
}

TEST(FittedView, NothingToFrameKeepsTheView)
{
    const D3DMATRIX view = viewTransform(8);
    for (const auto& points : { std::vector<D3DVECTOR> {}, std::vector<D3DVECTOR> { { 5, 5, 5 } },
             std::vector<D3DVECTOR> { { 5, 5, 5 }, { 5, 5, 5 } } })
        EXPECT_EQ(
            fittedView(vertices(points), identityMatrix(), view, kFieldOfView, kNearPlane, kMargin),
            view);
}

} // namespace
} // namespace triview
