#include "view/Framing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace triview {

namespace {

using Point = std::array<double, 3>;

constexpr std::size_t kStride = 16; // x, y, z, colour

// The vertices placed by world and turned as view turns, in double: view's
// own place is left out, since the fitted camera gets a place of its own,
// and adding it would drown a small model's extent in the distance.
std::vector<Point> turnedPoints(
    std::span<const std::byte> vertices, const D3DMATRIX& world, const D3DMATRIX& view)
{
    std::vector<Point> points;
    points.reserve(vertices.size() / kStride);
    for (std::size_t at = 0; at + kStride <= vertices.size(); at += kStride) {
        float p[3];
        std::memcpy(p, vertices.data() + at, sizeof p);
        Point placed {}, q {};
        for (int column = 0; column < 3; ++column)
            placed[column] = double(p[0]) * world.m[0][column] + double(p[1]) * world.m[1][column]
                + double(p[2]) * world.m[2][column] + world.m[3][column];
        for (int column = 0; column < 3; ++column)
            q[column] = placed[0] * view.m[0][column] + placed[1] * view.m[1][column]
                + placed[2] * view.m[2][column];
        if (std::isfinite(q[0]) && std::isfinite(q[1]) && std::isfinite(q[2]))
            points.push_back(q);
    }
    return points;
}

// The camera's place on both axes (x, y) from which, at depth back, the
// points seen farthest to either side are seen equally far: with a, b their
// places and za, zb their depths, (a - c) / za = (c - b) / zb.
std::array<double, 2> balanced(
    const std::vector<Point>& points, std::array<double, 2> at, double back)
{
    struct Extreme
    {
        double seen, place, depth;
    };
    std::array<Extreme, 2> low, high;
    low.fill({ HUGE_VAL, 0, 1 });
    high.fill({ -HUGE_VAL, 0, 1 });
    for (const Point& p : points) {
        const double depth = p[2] + back, across = 1.0 / depth;
        for (int axis = 0; axis < 2; ++axis) {
            const double seen = (p[axis] - at[axis]) * across;
            if (seen < low[axis].seen)
                low[axis] = { seen, p[axis], depth };
            if (seen > high[axis].seen)
                high[axis] = { seen, p[axis], depth };
        }
    }
    for (int axis = 0; axis < 2; ++axis)
        at[axis] = (low[axis].place * high[axis].depth + high[axis].place * low[axis].depth)
            / (low[axis].depth + high[axis].depth);
    return at;
}

} // namespace

void normaliseVertices(std::span<std::byte> vertices)
{
    const auto finite = [](const float* p) {
        return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
    };
    Point low { HUGE_VAL, HUGE_VAL, HUGE_VAL }, high { -HUGE_VAL, -HUGE_VAL, -HUGE_VAL };
    for (std::size_t at = 0; at + kStride <= vertices.size(); at += kStride) {
        float p[3];
        std::memcpy(p, vertices.data() + at, sizeof p);
        if (!finite(p))
            continue;
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], double(p[k]));
            high[k] = std::max(high[k], double(p[k]));
        }
    }
    const double extent = std::max({ high[0] - low[0], high[1] - low[1], high[2] - low[2] });
    const double scale
        = extent > 0 && std::isfinite(extent) ? std::ldexp(1.0, -std::ilogb(extent)) : 1;
    for (std::size_t at = 0; at + kStride <= vertices.size(); at += kStride) {
        float p[3];
        std::memcpy(p, vertices.data() + at, sizeof p);
        if (!finite(p))
            continue;
        for (int k = 0; k < 3; ++k)
            p[k] = static_cast<float>((p[k] - (low[k] + high[k]) / 2) * scale);
        std::memcpy(vertices.data() + at, p, sizeof p);
    }
}

D3DMATRIX fittedView(std::span<const std::byte> vertices, const D3DMATRIX& world,
    const D3DMATRIX& view, float fieldOfView, float zNear, float margin)
{
    const std::vector<Point> points = turnedPoints(vertices, world, view);
    Point low { HUGE_VAL, HUGE_VAL, HUGE_VAL }, high { -HUGE_VAL, -HUGE_VAL, -HUGE_VAL };
    for (const Point& p : points)
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], p[k]);
            high[k] = std::max(high[k], p[k]);
        }
    const double extent = std::max({ high[0] - low[0], high[1] - low[1], high[2] - low[2] });
    if (points.empty() || !(extent > 0.0) || !std::isfinite(extent))
        return view;

    // On screen x / z reaches the picture's edge at tan(fov / 2); a margin
    // keeps it (1 - margin) of the way there. A point p is inside when the
    // camera at c, moved back by b, has |p - c| <= (pz + b) / slope on each
    // axis: c within [max(p - pz / slope) - b / slope, min(p + pz / slope) +
    // b / slope], which holds for b at least slope * (max - min) / 2.
    const double slope = 1.0 / (std::tan(fieldOfView / 2.0) * (1.0 - margin));
    double lowest[2] = { -HUGE_VAL, -HUGE_VAL }, highest[2] = { HUGE_VAL, HUGE_VAL };
    for (const Point& p : points)
        for (int axis = 0; axis < 2; ++axis) {
            lowest[axis] = std::max(lowest[axis], p[axis] - p[2] / slope);
            highest[axis] = std::min(highest[axis], p[axis] + p[2] / slope);
        }
    // The camera keeps a hundredth of the model's size in front of it.
    const double back = std::max({ slope * (lowest[0] - highest[0]) / 2,
        slope * (lowest[1] - highest[1]) / 2, extent / 100 - low[2] });
    // The axis that needs b is centred by then; on the other, perspective
    // draws the near side larger than the middle of the range shows: the
    // points seen farthest to either side are balanced, within the range.
    std::array<double, 2> at, from, to;
    for (int axis = 0; axis < 2; ++axis) {
        from[axis] = lowest[axis] - back / slope;
        to[axis] = highest[axis] + back / slope;
        at[axis] = (from[axis] + to[axis]) / 2;
    }
    for (int step = 0; step < 3; ++step) {
        const std::array<double, 2> better = balanced(points, at, back);
        for (int axis = 0; axis < 2; ++axis)
            at[axis] = std::min(std::max(better[axis], from[axis]), to[axis]);
    }

    // Scaling view space moves no point on screen. It brings the nearest
    // point, a hundredth of the extent or more in front of the camera, to
    // the near plane, and so the farthest, no more than the extent behind
    // it, to at most 101 times the near plane's depth.
    const double nearest = low[2] + back;
    const double scale = 1.001 * zNear / nearest;
    if (!std::isfinite(scale) || !(scale > 0.0))
        return view;
    D3DMATRIX fitted {};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            fitted.m[row][column] = static_cast<float>(view.m[row][column] * scale);
    fitted.m[3][0] = static_cast<float>(-at[0] * scale);
    fitted.m[3][1] = static_cast<float>(-at[1] * scale);
    fitted.m[3][2] = static_cast<float>(back * scale);
    fitted.m[3][3] = 1;
    return fitted;
}

} // namespace triview
