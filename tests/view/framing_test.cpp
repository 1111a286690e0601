// The camera that makes a model fill a picture, by the properties a
// thumbnail needs: every vertex inside the margin, the model reaching it,
// centred, and in front of the near plane and the far one.
#include "render/D3DXMath.h"
#include "view/FrameRenderer.h"
#include "view/Framing.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace triview {
namespace {

constexpr float kMargin = 0.05f;
constexpr float kLargest = std::numeric_limits<float>::max();
constexpr float kSmallest = std::numeric_limits<float>::min();

std::vector<std::byte> vertices(const std::vector<D3DVECTOR>& points)
{
    std::vector<std::byte> bytes(points.size() * 16);
    for (std::size_t i = 0; i < points.size(); ++i)
        std::memcpy(bytes.data() + 16 * i, &points[i], sizeof(D3DVECTOR));
    return bytes;
}

// Where the points land on the picture (x, y) and in depth (z), divided by
// w, as the device draws them: the least and the most of each.
std::array<std::array<float, 3>, 2> project(
    const std::vector<std::byte>& bytes, const D3DMATRIX& world, const D3DMATRIX& view)
{
    std::vector<D3DVECTOR> points(bytes.size() / 16);
    for (std::size_t i = 0; i < points.size(); ++i)
        std::memcpy(&points[i], bytes.data() + 16 * i, sizeof(D3DVECTOR));
    D3DMATRIX projection, all;
    D3DXMatrixPerspectiveFovLH(projection, kFieldOfView, 1.0f, kNearPlane, kFarPlane);
    D3DXMatrixMultiply(all, world, view);
    D3DXMatrixMultiply(all, all, projection);
    std::array<std::array<float, 3>, 2> range { { { 1e9f, 1e9f, 1e9f }, { -1e9f, -1e9f, -1e9f } } };
    for (const D3DVECTOR& v : points) {
        float clip[4];
        for (int c = 0; c < 4; ++c)
            clip[c] = v.x * all.m[0][c] + v.y * all.m[1][c] + v.z * all.m[2][c] + all.m[3][c];
        for (int k = 0; k < 3; ++k) {
            range[0][k] = std::min(range[0][k], clip[k] / clip[3]);
            range[1][k] = std::max(range[1][k], clip[k] / clip[3]);
        }
    }
    return range;
}

TEST(FittedView, ModelsOfAnySizeAndPlaceFillThePictureCentredInFrontOfTheCamera)
{
    std::mt19937 random(7);
    const auto cloud = [&](float centre, float size, float flatZ) {
        std::uniform_real_distribution<float> spread(-size, size);
        std::vector<D3DVECTOR> points(50);
        for (D3DVECTOR& p : points)
            p = { centre + spread(random), centre + spread(random),
                flatZ != 0 ? flatZ : spread(random) };
        return points;
    };
    D3DMATRIX turned;
    D3DXMatrixRotationAxis(turned, { 0, 1, 0 }, 0.4f);
    const std::tuple<const char*, std::vector<D3DVECTOR>, D3DMATRIX> cases[] = {
        { "the window's start pose, small", cloud(0, 1, 0), identityMatrix() },
        { "large and off to the side", cloud(1e5f, 3e4f, 0), identityMatrix() },
        { "turned", cloud(-300, 200, 0), turned },
        { "huge coordinates", cloud(1e30f, 1e29f, 0), identityMatrix() },
        { "small, far from the origin", cloud(3e6f, 0.5f, 0), turned },
        { "flat", cloud(0, 100, 5), identityMatrix() },
        { "one triangle", { { 0, 0, 0 }, { 3, 0, 1 }, { 0, 2, 0 } }, turned },
        { "a line across the view", { { 0, 0, 0 }, { 0, 10, 0 } }, identityMatrix() },
        // Near the float range's limits the scale a fit needs is beyond it.
        { "the largest coordinates",
            { { -kLargest, -kLargest, -kLargest }, { kLargest, kLargest, kLargest },
                { kLargest, -kLargest, 0 } },
            turned },
        { "a far vertex beside a unit triangle",
            { { 0, 0, 0 }, { 1, 0, 0 }, { 0, 1, 0 }, { 0, kLargest, 0 } }, identityMatrix() },
        { "tiny", cloud(0, 1e-30f, 0), turned },
        { "the smallest normal extent", { { 0, 0, 0 }, { kSmallest, 0, 0 }, { 0, kSmallest, 0 } },
            identityMatrix() },
    };
    for (const auto& [name, points, world] : cases) {
        SCOPED_TRACE(name);
        std::vector<std::byte> placed = vertices(points);
        normaliseVertices(placed);
        const auto [low, high] = project(placed, world,
            fittedView(placed, world, viewTransform(8), kFieldOfView, kNearPlane, kMargin));
        // Inside the margin, reaching it on the side it fills, centred there,
        // and between the near and far planes.
        const int wide = high[0] - low[0] >= high[1] - low[1] ? 0 : 1;
        EXPECT_NEAR(high[wide] - low[wide], 2 * (1 - kMargin), 0.002f);
        EXPECT_NEAR(high[wide] + low[wide], 0.0f, 0.002f);
        EXPECT_LE(std::max({ -low[0], -low[1], high[0], high[1] }), 1 - kMargin + 1e-3f);
        EXPECT_GE(low[2], 0.0f);
        EXPECT_LE(high[2], 1.0f);
    }
}

// A single point, or nothing at all.
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
