#include "render/SoftwareDevice.h"

#include "render/Direct3DVertexBuffer8.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>

namespace triview {

namespace {

// A vertex in clip space (row vector times the transform) with its colour
// in levels 0 to 255.
struct ClipVertex
{
    float x, y, z, w;
    float r, g, b;
};

// A vertex on the back buffer: its place in 1/256 pixels (rows down), its
// depth, and 1/w and colour/w for perspective-correct colours.
struct ScreenVertex
{
    std::int64_t x, y;
    float z;
    float invW, r, g, b;
};

constexpr int kSubpixelBits = 8;
constexpr std::int64_t kSubpixels = std::int64_t { 1 } << kSubpixelBits;
constexpr std::size_t kMaxClipped = 9; // a triangle cut by six planes

// The six planes of the view volume, as distances that are at least zero
// inside: -w <= x <= w, -w <= y <= w, 0 <= z <= w.
float planeDistance(const ClipVertex& v, int plane)
{
    switch (plane) {
    case 0:
        return v.w + v.x;
    case 1:
        return v.w - v.x;
    case 2:
        return v.w + v.y;
    case 3:
        return v.w - v.y;
    case 4:
        return v.z;
    default:
        return v.w - v.z;
    }
}

ClipVertex between(const ClipVertex& a, const ClipVertex& b, float t)
{
    const auto mix = [t](float p, float q) { return p + (q - p) * t; };
    return { mix(a.x, b.x), mix(a.y, b.y), mix(a.z, b.z), mix(a.w, b.w), mix(a.r, b.r),
        mix(a.g, b.g), mix(a.b, b.b) };
}

// Cuts polygon (count vertices) by every plane it crosses; answers the
// vertices left.
std::size_t clip(std::array<ClipVertex, kMaxClipped>& polygon, std::size_t count)
{
    for (int plane = 0; plane < 6 && count >= 3; ++plane) {
        std::array<ClipVertex, kMaxClipped> kept;
        std::size_t keptCount = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const ClipVertex& a = polygon[i];
            const ClipVertex& b = polygon[(i + 1) % count];
            const float da = planeDistance(a, plane), db = planeDistance(b, plane);
            if (da >= 0)
                kept[keptCount++] = a;
            if ((da >= 0) != (db >= 0) && keptCount < kMaxClipped)
                kept[keptCount++] = between(a, b, da / (da - db));
        }
        polygon = kept;
        count = keptCount;
    }
    return count;
}

// Twice the signed area of a, b, p: above zero where p lies clockwise on
// screen (rows down) of the line from a to b.
std::int64_t orient(const ScreenVertex& a, const ScreenVertex& b, std::int64_t x, std::int64_t y)
{
    return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
}

// The top-left rule, for a triangle clockwise on screen: a pixel centre on
// a top edge (level, going right) or a left edge (going up) is inside, on
// any other edge outside, so a centre on an edge two triangles share is
// drawn once.
std::int64_t fillBias(const ScreenVertex& a, const ScreenVertex& b)
{
    const bool topLeft = (a.y == b.y && b.x > a.x) || b.y < a.y;
    return topLeft ? 0 : -1;
}

class SoftwareBackend final : public DeviceBackend
{
public:
    explicit SoftwareBackend(bool depth)
        : m_hasDepth(depth)
    { }

    bool resize(PixelSize size) override
    {
        try {
            const std::size_t pixels = std::size_t(size.width) * std::size_t(size.height);
            std::vector<std::uint8_t> colour(pixels * Frame::kBytesPerPixel);
            std::vector<std::uint16_t> depth(m_hasDepth ? pixels : 0);
            m_colour.swap(colour);
            m_depth.swap(depth);
            m_size = size;
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

    void clear(std::optional<D3DCOLOR> colour, std::optional<float> depth) override
    {
        if (colour && !m_colour.empty()) {
            // The first row pixel by pixel, the others copied from it.
            const std::uint8_t rgba[4] = { std::uint8_t(*colour >> 16), std::uint8_t(*colour >> 8),
                std::uint8_t(*colour), std::uint8_t(*colour >> 24) };
            const std::size_t row = std::size_t(m_size.width) * Frame::kBytesPerPixel;
            for (std::size_t i = 0; i < row; i += 4)
                std::memcpy(&m_colour[i], rgba, 4);
            for (std::size_t at = row; at < m_colour.size(); at += row)
                std::memcpy(&m_colour[at], m_colour.data(), row);
        }
        if (depth)
            std::fill(m_depth.begin(), m_depth.end(), quantised(*depth));
    }

    void draw(const DrawState& state, Direct3DVertexBuffer8& buffer, int firstVertex,
        int vertexCount) override
    {
        const std::byte* vertex = buffer.bytes().data() + std::size_t(firstVertex) * kVertexStride;
        const auto& m = state.transform.m;
        for (int v = 0; v + 3 <= vertexCount; v += 3) {
            std::array<ClipVertex, kMaxClipped> polygon;
            for (int k = 0; k < 3; ++k, vertex += kVertexStride) {
                float p[3];
                std::uint8_t bgra[4];
                std::memcpy(p, vertex, sizeof p);
                std::memcpy(bgra, vertex + 12, sizeof bgra);
                ClipVertex& c = polygon[std::size_t(k)];
                c.x = p[0] * m[0][0] + p[1] * m[1][0] + p[2] * m[2][0] + m[3][0];
                c.y = p[0] * m[0][1] + p[1] * m[1][1] + p[2] * m[2][1] + m[3][1];
                c.z = p[0] * m[0][2] + p[1] * m[1][2] + p[2] * m[2][2] + m[3][2];
                c.w = p[0] * m[0][3] + p[1] * m[1][3] + p[2] * m[2][3] + m[3][3];
                c.r = state.lighting ? 0.0f : bgra[2];
                c.g = state.lighting ? 0.0f : bgra[1];
                c.b = state.lighting ? 0.0f : bgra[0];
            }
            drawClipped(state, polygon);
        }
    }

    void read(Frame& frame) override { frame.pixels = m_colour; }

private:
    // Clamped so that NaN comes out 0, then rounded to nearest by adding a
    // half and truncating: lround's call would cost more than the rest of
    // a pixel.
    static float clamped(float value, float high) { return std::max(0.0f, std::min(value, high)); }
    static std::uint16_t quantised(float depth)
    {
        return static_cast<std::uint16_t>(clamped(depth, 1.0f) * 65535.0f + 0.5f);
    }

    void drawClipped(const DrawState& state, std::array<ClipVertex, kMaxClipped>& polygon)
    {
        bool inside = true;
        for (int plane = 0; plane < 6; ++plane) {
            int outside = 0;
            for (int k = 0; k < 3; ++k) {
                const float d = planeDistance(polygon[std::size_t(k)], plane);
                if (!std::isfinite(d))
                    return; // nothing sensible to draw
                outside += d < 0;
            }
            if (outside == 3)
                return;
            inside = inside && outside == 0;
        }
        const std::size_t count = inside ? 3 : clip(polygon, 3);
        std::array<ScreenVertex, kMaxClipped> screen;
        for (std::size_t i = 0; i < count; ++i) {
            const ClipVertex& c = polygon[i];
            if (!(c.w > 0))
                return;
            const float invW = 1.0f / c.w;
            const double x = (c.x * invW + 1.0) * 0.5 * m_size.width;
            const double y = (1.0 - c.y * invW) * 0.5 * m_size.height;
            screen[i] = { std::llround(x * kSubpixels), std::llround(y * kSubpixels), c.z * invW,
                invW, c.r * invW, c.g * invW, c.b * invW };
        }
        for (std::size_t i = 1; i + 1 < count; ++i)
            fill(state, screen[0], screen[i], screen[i + 1]);
    }

    void fill(const DrawState& state, ScreenVertex a, ScreenVertex b, ScreenVertex c)
    {
        std::int64_t area = orient(a, b, c.x, c.y);
        // Clockwise on screen is the front.
        if (area == 0 || (state.cullMode == D3DCULL_CCW && area < 0)
            || (state.cullMode == D3DCULL_CW && area > 0))
            return;
        if (area < 0) {
            std::swap(b, c);
            area = -area;
        }
        const std::int64_t half = kSubpixels / 2;
        const int left
            = int(std::max<std::int64_t>(0, std::min({ a.x, b.x, c.x }) >> kSubpixelBits));
        const int right = int(
            std::min<std::int64_t>(m_size.width - 1, std::max({ a.x, b.x, c.x }) >> kSubpixelBits));
        const int top
            = int(std::max<std::int64_t>(0, std::min({ a.y, b.y, c.y }) >> kSubpixelBits));
        const int bottom = int(std::min<std::int64_t>(
            m_size.height - 1, std::max({ a.y, b.y, c.y }) >> kSubpixelBits));
        if (left > right || top > bottom)
            return;

        // Edge values at the first pixel centre, each opposite its vertex,
        // and their steps along a row and down a column.
        const std::int64_t x0 = left * kSubpixels + half, y0 = top * kSubpixels + half;
        const std::int64_t rowA = orient(b, c, x0, y0) + fillBias(b, c);
        const std::int64_t rowB = orient(c, a, x0, y0) + fillBias(c, a);
        const std::int64_t rowC = orient(a, b, x0, y0) + fillBias(a, b);
        const std::int64_t stepXA = -(c.y - b.y) * kSubpixels, stepYA = (c.x - b.x) * kSubpixels;
        const std::int64_t stepXB = -(a.y - c.y) * kSubpixels, stepYB = (a.x - c.x) * kSubpixels;
        const std::int64_t stepXC = -(b.y - a.y) * kSubpixels, stepYC = (b.x - a.x) * kSubpixels;
        const double inverseArea = 1.0 / double(area);

        std::int64_t startA = rowA, startB = rowB, startC = rowC;
        for (int y = top; y <= bottom; ++y, startA += stepYA, startB += stepYB, startC += stepYC) {
            std::int64_t ea = startA, eb = startB, ec = startC;
            for (int x = left; x <= right; ++x, ea += stepXA, eb += stepXB, ec += stepXC) {
                if ((ea | eb | ec) < 0)
                    continue;
                // The bias moved the edge values by at most one 1/65536
                // pixel squared: nothing a weight can show.
                const float la = float(double(ea) * inverseArea);
                const float lb = float(double(eb) * inverseArea);
                const float lc = 1.0f - la - lb;
                const std::size_t at = std::size_t(y) * std::size_t(m_size.width) + std::size_t(x);
                if (state.depthTest) {
                    const std::uint16_t depth = quantised(la * a.z + lb * b.z + lc * c.z);
                    if (depth > m_depth[at])
                        continue;
                    m_depth[at] = depth;
                }
                const float w = 1.0f / (la * a.invW + lb * b.invW + lc * c.invW);
                std::uint8_t* pixel = &m_colour[at * Frame::kBytesPerPixel];
                pixel[0] = level((la * a.r + lb * b.r + lc * c.r) * w);
                pixel[1] = level((la * a.g + lb * b.g + lc * c.g) * w);
                pixel[2] = level((la * a.b + lb * b.b + lc * c.b) * w);
                pixel[3] = 255;
            }
        }
    }

    static std::uint8_t level(float value)
    {
        return static_cast<std::uint8_t>(clamped(value, 255.0f) + 0.5f);
    }

    bool m_hasDepth;
    PixelSize m_size;
    std::vector<std::uint8_t> m_colour; // rows from the top, R, G, B, A
    std::vector<std::uint16_t> m_depth;
};

} // namespace

HRESULT makeSoftwareBackend(
    const BackBuffer& backBuffer, const DeviceSeam*, std::unique_ptr<DeviceBackend>& out)
{
    auto backend = std::make_unique<SoftwareBackend>(backBuffer.depth);
    if (!backend->resize(backBuffer.size))
        return D3DERR_OUTOFVIDEOMEMORY;
    out = std::move(backend);
    return D3D_OK;
}

} // namespace triview
