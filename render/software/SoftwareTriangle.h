// The triangles the software rasteriser fills. Each says which rectangles of
// pixels it may cover, how near it can come in one, and its depth and colour
// at each pixel centre it covers:
// - a snapped triangle has all three corners inside the view volume (between
//   the near and far planes, and within a guard band beside the picture). Its
//   corners are placed at 1/256 pixels and its edges tested with exact
//   integers and the top-left rule, as OpenGL's rasteriser does, so that two
//   triangles sharing an edge draw each pixel along it once;
// - a triangle in homogeneous coordinates is any other, however far beyond
//   the picture or behind the camera its corners lie. Nothing is cut from
//   it: each pixel's line of sight is tested against its three edges and the
//   near and far planes, worked out in double from its corners in clip
//   space, so that no made-up corner can land at w = 0 and what is shown of
//   a triangle keeps its place however far the rest of it reaches.
#pragma once

#include "render/D3DTypes.h"
#include "render/PresentTarget.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace triview {

// A corner in clip space (row vector times the transform) and its colour in
// levels 0 to 255.
struct ClipVertex
{
    double x, y, z, w;
    double r, g, b;
};

// A rectangle of pixels, both ends included.
struct PixelRect
{
    int left, top, right, bottom;
};

// How far beyond the picture's edges a snapped corner may lie, in multiples
// of its half-size: 1/256 pixels across it keep the edge values' products
// within 60 bits at the largest back buffer.
inline constexpr double kGuardBand = 64.0;

// Whether a triangle with this corner may be snapped, so far as the corner
// goes.
bool insideGuardBand(const ClipVertex& v);

// The 16-bit depth level of a depth, and the 8-bit level of a colour:
// clamped so that NaN comes out 0, then rounded to nearest by adding a half
// and truncating (lround's call would cost more than the rest of a pixel).
inline float clampedTo(float value, float high)
{
    return std::max(0.0f, std::min(value, high));
}
inline std::uint16_t depthLevel(float depth)
{
    return static_cast<std::uint16_t>(clampedTo(depth, 1.0f) * 65535.0f + 0.5f);
}
inline std::uint8_t colourLevel(float value)
{
    return static_cast<std::uint8_t>(clampedTo(value, 255.0f) + 0.5f);
}

// A pixel's place in the back buffer, its depth level and colour, as a fill
// hands them over.
struct Fragment
{
    std::size_t at; // y * width + x
    std::uint16_t depth;
};

class SnappedTriangle
{
public:
    // The triangle on a back buffer of size, or none where it covers no
    // pixel centre there or faces away from cullMode (D3DCULL_*; clockwise
    // on screen is the front). Every corner must be insideGuardBand.
    static std::optional<SnappedTriangle> make(const ClipVertex& p, const ClipVertex& q,
        const ClipVertex& s, PixelSize size, std::uint32_t cullMode);

    const PixelRect& bounds() const { return m_bounds; }
    float nearest() const { return m_nearest; }
    // Whether some pixel centre of rect lies inside it.
    bool overlaps(const PixelRect& rect) const;
    // The depth level that none of its pixels in rect lies nearer than.
    int nearestLevelIn(const PixelRect& rect) const;

    // For each pixel centre of rect inside it: passes(fragment) says whether
    // to draw it, then draw(fragment, r, g, b) draws it.
    template <typename Passes, typename Draw>
    void fill(const PixelRect& rect, int width, Passes&& passes, Draw&& draw) const;

private:
    // A corner on the back buffer: its place in 1/256 pixels (rows down),
    // its depth, and 1/w and colour/w for perspective-correct colours.
    struct Corner
    {
        std::int64_t x, y;
        float z;
        float invW, r, g, b;
    };
    static constexpr int kSubpixelBits = 8;
    static constexpr std::int64_t kSubpixels = std::int64_t { 1 } << kSubpixelBits;
    static constexpr std::int64_t kHalfPixel = kSubpixels / 2;

    static Corner snap(const ClipVertex& c, PixelSize size);
    // Twice the signed area of a, b and the point (x, y): above zero where
    // the point lies clockwise on screen of the line from a to b.
    static std::int64_t orient(const Corner& a, const Corner& b, std::int64_t x, std::int64_t y)
    {
        return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
    }
    // The top-left rule for a clockwise triangle: a centre on a top edge
    // (level, going right) or a left edge (going up) is inside, on any
    // other outside.
    static std::int64_t fillBias(const Corner& a, const Corner& b)
    {
        return (a.y == b.y && b.x > a.x) || b.y < a.y ? 0 : -1;
    }

    Corner m_a, m_b, m_c; // clockwise
    double m_inverseArea;
    PixelRect m_bounds;
    // The depth's slope in 1/256 pixels, where small enough to bound a
    // rectangle's depth by; otherwise only the nearest corner does.
    double m_depthSlopeX, m_depthSlopeY;
    bool m_depthSloped;
    float m_nearest, m_farthest;
};

class HomogeneousTriangle
{
public:
    // As SnappedTriangle::make, for corners anywhere but at infinity.
    static std::optional<HomogeneousTriangle> make(const ClipVertex& p, const ClipVertex& q,
        const ClipVertex& s, PixelSize size, std::uint32_t cullMode);

    const PixelRect& bounds() const { return m_bounds; }
    float nearest() const { return m_nearest; }
    bool overlaps(const PixelRect& rect) const;
    int nearestLevelIn(const PixelRect& rect) const;
    template <typename Passes, typename Draw>
    void fill(const PixelRect& rect, int width, Passes&& passes, Draw&& draw) const;

private:
    // A linear function of a pixel's column and row, at its centre.
    struct Plane
    {
        double a, b, c;
        double at(int x, int y) const { return a * x + b * y + c; }
        double highestIn(const PixelRect& r) const
        {
            return at(a >= 0 ? r.right : r.left, b >= 0 ? r.bottom : r.top);
        }
        double lowestIn(const PixelRect& r) const
        {
            return at(a >= 0 ? r.left : r.right, b >= 0 ? r.top : r.bottom);
        }
    };

    // Each edge's value at a pixel: at least zero inside (a centre on the
    // edge is inside for one of two triangles that share it); and the
    // depth, z / w.
    std::array<Plane, 3> m_edges;
    std::array<bool, 3> m_ownsEdge;
    Plane m_depth;
    double m_depthError; // how far rounding may take the depth from its plane
    std::array<ClipVertex, 3> m_corners;
    PixelRect m_bounds;
    float m_nearest;
};

template <typename Passes, typename Draw>
void SnappedTriangle::fill(const PixelRect& rect, int width, Passes&& passes, Draw&& draw) const
{
    const Corner &a = m_a, &b = m_b, &c = m_c;
    // Edge values at the first pixel centre, each opposite its corner, and
    // their steps along a row and down a column.
    const std::int64_t x0 = rect.left * kSubpixels + kHalfPixel;
    const std::int64_t y0 = rect.top * kSubpixels + kHalfPixel;
    const std::int64_t stepXA = -(c.y - b.y) * kSubpixels, stepYA = (c.x - b.x) * kSubpixels;
    const std::int64_t stepXB = -(a.y - c.y) * kSubpixels, stepYB = (a.x - c.x) * kSubpixels;
    const std::int64_t stepXC = -(b.y - a.y) * kSubpixels, stepYC = (b.x - a.x) * kSubpixels;
    std::int64_t startA = orient(b, c, x0, y0) + fillBias(b, c);
    std::int64_t startB = orient(c, a, x0, y0) + fillBias(c, a);
    std::int64_t startC = orient(a, b, x0, y0) + fillBias(a, b);
    for (int y = rect.top; y <= rect.bottom;
         ++y, startA += stepYA, startB += stepYB, startC += stepYC) {
        std::int64_t ea = startA, eb = startB, ec = startC;
        for (int x = rect.left; x <= rect.right; ++x, ea += stepXA, eb += stepXB, ec += stepXC) {
            if ((ea | eb | ec) < 0)
                continue;
            // The bias moved the edge values by at most one 1/65536 pixel
            // squared: nothing a weight can show.
            const float la = float(double(ea) * m_inverseArea);
            const float lb = float(double(eb) * m_inverseArea);
            const float lc = 1.0f - la - lb;
            // Kept between the corners' depths, where rounding may take it
            // a little beyond: a flat triangle is then at one level.
            const float depth = std::clamp(la * a.z + lb * b.z + lc * c.z, m_nearest, m_farthest);
            const Fragment fragment { std::size_t(y) * std::size_t(width) + std::size_t(x),
                depthLevel(depth) };
            if (!passes(fragment))
                continue;
            const float w = 1.0f / (la * a.invW + lb * b.invW + lc * c.invW);
            draw(fragment, (la * a.r + lb * b.r + lc * c.r) * w,
                (la * a.g + lb * b.g + lc * c.g) * w, (la * a.b + lb * b.b + lc * c.b) * w);
        }
    }
}

template <typename Passes, typename Draw>
void HomogeneousTriangle::fill(const PixelRect& rect, int width, Passes&& passes, Draw&& draw) const
{
    for (int y = rect.top; y <= rect.bottom; ++y) {
        for (int x = rect.left; x <= rect.right; ++x) {
            double e[3];
            bool inside = true;
            for (int i = 0; i < 3 && inside; ++i) {
                e[i] = m_edges[std::size_t(i)].at(x, y);
                inside = e[i] > 0 || (e[i] == 0 && m_ownsEdge[std::size_t(i)]);
            }
            const double depth = m_depth.at(x, y);
            const double sum = inside ? e[0] + e[1] + e[2] : 0.0;
            if (!(sum > 0) || !(depth >= 0 && depth <= 1))
                continue;
            const Fragment fragment { std::size_t(y) * std::size_t(width) + std::size_t(x),
                depthLevel(float(std::max(depth, double(m_nearest)))) };
            if (!passes(fragment))
                continue;
            // The edge values are the corners' weights in clip space, which
            // is where colours are interpolated.
            const ClipVertex &p = m_corners[0], &q = m_corners[1], &s = m_corners[2];
            draw(fragment, float((e[0] * p.r + e[1] * q.r + e[2] * s.r) / sum),
                float((e[0] * p.g + e[1] * q.g + e[2] * s.g) / sum),
                float((e[0] * p.b + e[1] * q.b + e[2] * s.b) / sum));
        }
    }
}

} // namespace triview
