#include "render/software/SoftwareTriangle.h"

#include <cfloat>
#include <cmath>

namespace triview {

bool insideGuardBand(const ClipVertex& v)
{
    const double side = kGuardBand * v.w;
    return v.w > 0 && v.z >= 0 && v.z <= v.w && std::fabs(v.x) <= side && std::fabs(v.y) <= side;
}

namespace {

// Whether the culling mode turns a triangle away, given the sign of its
// area on screen, rows down (clockwise above zero, the front).
bool culled(double area, std::uint32_t cullMode)
{
    return area == 0 || (cullMode == D3DCULL_CCW && area < 0)
        || (cullMode == D3DCULL_CW && area > 0);
}

// The pixels whose centres may lie between left and right, top and bottom
// (a pixel to spare for rounding), on a back buffer of size.
PixelRect pixelsBetween(double left, double top, double right, double bottom, PixelSize size)
{
    const auto pixel = [](double at, int last) {
        return int(std::clamp(std::floor(at), -2.0, double(last) + 2));
    };
    return { std::max(0, pixel(left, size.width) - 1), std::max(0, pixel(top, size.height) - 1),
        std::min(size.width - 1, pixel(right, size.width) + 1),
        std::min(size.height - 1, pixel(bottom, size.height) + 1) };
}

bool isEmpty(const PixelRect& r)
{
    return r.left > r.right || r.top > r.bottom;
}

} // namespace

namespace {

// Rounds half away from zero, as std::llround does, without its call: a
// value within the guard band fits 64 bits, and truncating it is exact.
std::int64_t rounded(double value)
{
    const auto whole = static_cast<std::int64_t>(value);
    const double fraction = value - static_cast<double>(whole);
    return whole + (fraction >= 0.5) - (fraction <= -0.5);
}

} // namespace

SnappedTriangle::Corner SnappedTriangle::snap(const ClipVertex& c, PixelSize size)
{
    const double invW = 1.0 / c.w;
    const double x = (c.x * invW + 1.0) * 0.5 * size.width;
    const double y = (1.0 - c.y * invW) * 0.5 * size.height;
    return { rounded(x * kSubpixels), rounded(y * kSubpixels), float(c.z * invW), float(invW),
        float(c.r * invW), float(c.g * invW), float(c.b * invW) };
}

std::optional<SnappedTriangle> SnappedTriangle::make(const ClipVertex& p, const ClipVertex& q,
    const ClipVertex& s, PixelSize size, std::uint32_t cullMode)
{
    SnappedTriangle t;
    t.m_a = snap(p, size);
    t.m_b = snap(q, size);
    t.m_c = snap(s, size);
    std::int64_t area = orient(t.m_a, t.m_b, t.m_c.x, t.m_c.y);
    if (culled(double(area), cullMode))
        return std::nullopt;
    if (area < 0) {
        std::swap(t.m_b, t.m_c);
        area = -area;
    }
    const Corner &a = t.m_a, &b = t.m_b, &c = t.m_c;
    t.m_bounds = { int(std::max<std::int64_t>(0, std::min({ a.x, b.x, c.x }) >> kSubpixelBits)),
        int(std::max<std::int64_t>(0, std::min({ a.y, b.y, c.y }) >> kSubpixelBits)),
        int(std::min<std::int64_t>(size.width - 1, std::max({ a.x, b.x, c.x }) >> kSubpixelBits)),
        int(std::min<std::int64_t>(
            size.height - 1, std::max({ a.y, b.y, c.y }) >> kSubpixelBits)) };
    if (isEmpty(t.m_bounds))
        return std::nullopt;
    t.m_inverseArea = 1.0 / double(area);
    t.m_depthSlopeX = -(double(c.y - b.y) * a.z + double(a.y - c.y) * b.z + double(b.y - a.y) * c.z)
        * t.m_inverseArea;
    t.m_depthSlopeY = (double(c.x - b.x) * a.z + double(a.x - c.x) * b.z + double(b.x - a.x) * c.z)
        * t.m_inverseArea;
    // Across the whole back buffer, such a slope moves the depth by far too
    // little for its rounding to matter to a bound.
    const double span = double(std::max(size.width, size.height)) * kSubpixels;
    t.m_depthSloped = (std::fabs(t.m_depthSlopeX) + std::fabs(t.m_depthSlopeY)) * span < 1e6;
    t.m_nearest = std::min({ a.z, b.z, c.z });
    t.m_farthest = std::max({ a.z, b.z, c.z });
    return t;
}

bool SnappedTriangle::overlaps(const PixelRect& rect) const
{
    // Each edge's value is highest at one corner of rect.
    const auto reaches = [&](const Corner& p, const Corner& q) {
        const std::int64_t x = (q.y - p.y <= 0 ? rect.right : rect.left) * kSubpixels + kHalfPixel;
        const std::int64_t y = (q.x - p.x >= 0 ? rect.bottom : rect.top) * kSubpixels + kHalfPixel;
        return orient(p, q, x, y) + fillBias(p, q) >= 0;
    };
    return reaches(m_b, m_c) && reaches(m_c, m_a) && reaches(m_a, m_b);
}

int SnappedTriangle::nearestLevelIn(const PixelRect& rect) const
{
    // A pixel's depth is kept no nearer than the nearest corner's.
    int level = depthLevel(m_nearest);
    if (m_depthSloped) {
        const auto reach = [](double slope, int low, int high, std::int64_t from) {
            return slope * double((slope >= 0 ? low : high) * kSubpixels + kHalfPixel - from);
        };
        const double least = m_a.z + reach(m_depthSlopeX, rect.left, rect.right, m_a.x)
            + reach(m_depthSlopeY, rect.top, rect.bottom, m_a.y);
        // One below, for the rounding of each pixel's own depth.
        level = std::max(level, int(depthLevel(float(least))) - 1);
    }
    return level;
}

std::optional<HomogeneousTriangle> HomogeneousTriangle::make(const ClipVertex& p,
    const ClipVertex& q, const ClipVertex& s, PixelSize size, std::uint32_t cullMode)
{
    // Wholly beyond one plane of the view volume: nothing to show.
    const auto beyond
        = [&](auto distance) { return distance(p) < 0 && distance(q) < 0 && distance(s) < 0; };
    if (beyond([](const ClipVertex& v) { return v.z; })
        || beyond([](const ClipVertex& v) { return v.w - v.z; })
        || beyond([](const ClipVertex& v) { return v.w - v.x; })
        || beyond([](const ClipVertex& v) { return v.w + v.x; })
        || beyond([](const ClipVertex& v) { return v.w - v.y; })
        || beyond([](const ClipVertex& v) { return v.w + v.y; }))
        return std::nullopt;

    // Each edge as the plane through the eye and its two corners: the cross
    // product of their (x, y, w). The two triangles that share an edge get
    // exactly opposite planes, so a pixel centre on it is drawn once.
    const auto cross = [](const ClipVertex& u, const ClipVertex& v) {
        return std::array<double, 3> { u.y * v.w - u.w * v.y, u.w * v.x - u.x * v.w,
            u.x * v.y - u.y * v.x };
    };
    const std::array<std::array<double, 3>, 3> edges { cross(q, s), cross(s, p), cross(p, q) };
    const double det = edges[0][0] * p.x + edges[0][1] * p.y + edges[0][2] * p.w;
    // The triangle seen edge on, or corners too large for double.
    if (!std::isfinite(det) || det == 0)
        return std::nullopt;
    // Where w > 0, the area on screen (rows down) has the sign of -det.
    if (culled(-det, cullMode))
        return std::nullopt;

    HomogeneousTriangle t;
    t.m_corners = { p, q, s };
    // NDC X = (2 x + 1) / width - 1 and Y = 1 - (2 y + 1) / height at pixel
    // (x, y); each plane taken at least zero inside, whatever det's sign.
    const double sign = det > 0 ? 1.0 : -1.0;
    const double width = size.width, height = size.height;
    double magnitude = 0;
    t.m_depth = { 0, 0, 0 };
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& e = edges[i];
        const Plane plane { sign * 2 * e[0] / width, -sign * 2 * e[1] / height,
            sign * (e[2] + e[0] * (1 / width - 1) + e[1] * (1 - 1 / height)) };
        t.m_edges[i] = plane;
        t.m_ownsEdge[i] = plane.a > 0 || (plane.a == 0 && plane.b > 0);
        // z / w = sum of z_i e_i . (X, Y, 1) / det.
        const double z = t.m_corners[i].z / std::fabs(det);
        t.m_depth.a += z * plane.a;
        t.m_depth.b += z * plane.b;
        t.m_depth.c += z * plane.c;
        magnitude += std::fabs(z)
            * (std::fabs(plane.a) * width + std::fabs(plane.b) * height + std::fabs(plane.c));
    }
    t.m_depthError = 16 * DBL_EPSILON * magnitude;

    // With every corner in front of the eye the triangle lies between their
    // places on screen, and no nearer than the nearest; otherwise it may
    // reach anywhere, and up to the near plane.
    if (p.w > 0 && q.w > 0 && s.w > 0) {
        const auto x = [&](const ClipVertex& v) { return (v.x / v.w + 1) * 0.5 * width; };
        const auto y = [&](const ClipVertex& v) { return (1 - v.y / v.w) * 0.5 * height; };
        t.m_bounds = pixelsBetween(std::min({ x(p), x(q), x(s) }), std::min({ y(p), y(q), y(s) }),
            std::max({ x(p), x(q), x(s) }), std::max({ y(p), y(q), y(s) }), size);
        t.m_nearest = float(std::max(0.0, std::min({ p.z / p.w, q.z / q.w, s.z / s.w })));
    } else {
        t.m_bounds = { 0, 0, size.width - 1, size.height - 1 };
        t.m_nearest = 0;
    }
    if (isEmpty(t.m_bounds))
        return std::nullopt;
    return t;
}

bool HomogeneousTriangle::overlaps(const PixelRect& rect) const
{
    for (const Plane& edge : m_edges)
        if (edge.highestIn(rect) < 0)
            return false;
    return m_depth.highestIn(rect) >= -m_depthError && m_depth.lowestIn(rect) <= 1 + m_depthError;
}

int HomogeneousTriangle::nearestLevelIn(const PixelRect& rect) const
{
    const double least = std::max(double(m_nearest), m_depth.lowestIn(rect) - m_depthError);
    return depthLevel(float(least));
}

} // namespace triview
