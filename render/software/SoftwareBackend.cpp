#include "render/software/SoftwareBackend.h"

#include "render/Deadline.h"
#include "render/Direct3DVertexBuffer8.h"
#include "render/software/SoftwareDepth.h"
#include "render/software/SoftwareTriangle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <random>
#include <type_traits>

namespace triview {

namespace {

using Order = DepthBuffer::Order;
constexpr int kTile = DepthBuffer::kTile;
constexpr int kBlock = DepthBuffer::kBlock;

// A triangle fewer pixels across and down than this is drawn as it comes:
// passing over its hidden pixels would cost more than drawing them.
constexpr int kSmall = 32;
// A triangle reaching fewer tiles of a block is drawn there without testing
// the block and its tiles first, for the same reason.
constexpr int kTilesWorthTesting = 16;
// How many times over a block's pixels may be drawn in nearest-first order
// before the rest of its triangles are taken in an order chance gives.
constexpr int kOverdrawBeforeShuffling = 4;

// A triangle waiting to be filled: which of the two kinds, its place among
// those of its kind, and its order.
struct Queued
{
    bool homogeneous;
    std::uint32_t index;
    Order order;
};

// A triangle that reaches a block: its nearest level there, its order and
// its place in the queue. Taken nearest first, and of two as near the later
// drawn first, since it would win their ties.
struct InBlock
{
    int level;
    Order order;
    std::uint32_t queued;

    friend bool operator<(const InBlock& p, const InBlock& q)
    {
        return p.level != q.level ? p.level < q.level : p.order > q.order;
    }
};

// The part of rect in the square of side pixels from (left, top).
PixelRect within(const PixelRect& rect, int left, int top, int side)
{
    return { std::max(rect.left, left), std::max(rect.top, top),
        std::min(rect.right, left + side - 1), std::min(rect.bottom, top + side - 1) };
}

bool isSmall(const PixelRect& b)
{
    return b.right - b.left < kSmall && b.bottom - b.top < kSmall;
}

// Whether a triangle reaching rect of a block reaches enough of its tiles
// to be tested against what they hold before it is drawn.
bool worthTesting(const PixelRect& rect)
{
    return (rect.right / kTile - rect.left / kTile + 1)
        * (rect.bottom / kTile - rect.top / kTile + 1)
        >= kTilesWorthTesting;
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
            std::vector<std::uint8_t> colour(
                std::size_t(size.width) * std::size_t(size.height) * Frame::kBytesPerPixel);
            if (m_hasDepth && !m_depth.resize(size))
                return false;
            m_colour.swap(colour);
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
        if (depth && m_hasDepth) {
            m_depth.clear(depthLevel(*depth));
            m_nextOrder = 1;
        }
    }

    void setDeadline(const std::optional<Deadline>& deadline) override { m_deadline = deadline; }

    void draw(const DrawState& state, Direct3DVertexBuffer8& buffer, int firstVertex,
        int vertexCount) override
    {
        clearQueue(); // a draw that a deadline ended may have left some
        const std::byte* vertex = buffer.bytes().data() + std::size_t(firstVertex) * kVertexStride;
        m_queue.reserve(std::size_t(vertexCount / 3));
        m_snapped.reserve(std::size_t(vertexCount / 3));
        const bool depthTest = state.depthTest && m_hasDepth;
        for (int v = 0; v + 3 <= vertexCount; v += 3, vertex += 3 * kVertexStride) {
            if (m_nextOrder == DepthBuffer::kLastOrder) { // those queued come first
                drawQueued();
                m_depth.renumber();
                m_nextOrder = 1;
            }
            take(state, depthTest, vertex);
        }
        drawQueued();
    }

    void read(Frame& frame) override { frame.pixels = m_colour; }

private:
    void clearQueue()
    {
        m_queue.clear();
        m_snapped.clear();
        m_homogeneous.clear();
    }

    // The triangle of the three vertices from vertex, in clip space: drawn
    // now, with no depth test (where the last drawn stays) or when it is
    // small; else queued for drawQueued.
    void take(const DrawState& state, bool depthTest, const std::byte* vertex)
    {
        const auto& m = state.transform.m;
        std::array<ClipVertex, 3> corners;
        bool finite = true, snapped = true;
        for (ClipVertex& c : corners) {
            float p[3];
            std::uint8_t bgra[4];
            std::memcpy(p, vertex, sizeof p);
            std::memcpy(bgra, vertex + 12, sizeof bgra);
            vertex += kVertexStride;
            // In double, where OpenGL's vertex shader works in float: a
            // triangle whose corners differ in size by more than float's 24
            // bits keeps its shape, and no product overflows.
            const auto column = [&](int k) {
                return double(p[0]) * m[0][k] + double(p[1]) * m[1][k] + double(p[2]) * m[2][k]
                    + m[3][k];
            };
            c = { column(0), column(1), column(2), column(3), state.lighting ? 0.0 : bgra[2],
                state.lighting ? 0.0 : bgra[1], state.lighting ? 0.0 : bgra[0] };
            finite = finite && std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z)
                && std::isfinite(c.w);
            snapped = snapped && insideGuardBand(c);
        }
        const Order order = m_nextOrder++;
        if (!finite)
            return; // a matrix that overflows: nothing sensible to draw
        const auto add = [&](const auto& triangle, auto& kind) {
            if (!triangle)
                return;
            if (!depthTest) {
                fillWhole(*triangle, order);
            } else if (isSmall(triangle->bounds())) {
                fillRect(*triangle, triangle->bounds(), order, true);
                m_depth.takenIn(triangle->bounds());
            } else {
                constexpr bool homogeneous
                    = std::is_same_v<decltype(*triangle), const HomogeneousTriangle&>;
                m_queue.push_back({ homogeneous, std::uint32_t(kind.size()), order });
                kind.push_back(*triangle);
            }
        };
        if (snapped)
            add(SnappedTriangle::make(corners[0], corners[1], corners[2], m_size, state.cullMode),
                m_snapped);
        else
            add(HomogeneousTriangle::make(
                    corners[0], corners[1], corners[2], m_size, state.cullMode),
                m_homogeneous);
    }

    template <typename Triangle> void fillWhole(const Triangle& t, Order order)
    {
        if (m_deadline)
            m_deadline->check();
        const PixelRect& b = t.bounds();
        for (int top = b.top - b.top % kBlock; top <= b.bottom; top += kBlock)
            for (int left = b.left - b.left % kBlock; left <= b.right; left += kBlock)
                fillBlock(t, order, within(b, left, top, kBlock), false);
    }

    // The large triangles, through the depth test, block by block: each
    // block takes those that reach it nearest first there and passes over
    // those wholly behind what it holds, then tile by tile the same. The
    // order of drawing still settles ties, so the pixels are those of the
    // triangles drawn one after another.
    void drawQueued()
    {
        for (int top = 0; top < m_size.height && !m_queue.empty(); top += kBlock) {
            m_strip.clear();
            for (std::uint32_t i = 0; i < m_queue.size(); ++i) {
                const PixelRect& b = bounds(m_queue[i]);
                if (b.top < top + kBlock && b.bottom >= top)
                    m_strip.push_back(i);
            }
            for (int left = 0; left < m_size.width && !m_strip.empty(); left += kBlock)
                drawBlock(left, top);
        }
        clearQueue();
    }

    void drawBlock(int left, int top)
    {
        m_block.clear();
        for (const std::uint32_t i : m_strip) {
            const Queued& queued = m_queue[i];
            const PixelRect& b = bounds(queued);
            if (b.right < left || b.left >= left + kBlock)
                continue;
            const PixelRect rect = within(b, left, top, kBlock);
            visit(queued, [&](const auto& t) {
                if (t.overlaps(rect))
                    m_block.push_back({ t.nearestLevelIn(rect), queued.order, i });
            });
        }
        std::sort(m_block.begin(), m_block.end());
        m_drawnInBlock = 0;
        bool shuffled = false;
        for (std::size_t k = 0; k < m_block.size(); ++k) {
            if (m_deadline && k % 256 == 255)
                m_deadline->check();
            // Nearest first is the best order unless triangles cross inside
            // the block, each nearer than the last where it is drawn: then
            // they are taken in an order chance gives, where each pixel is
            // drawn again only about as often as the log of their number.
            if (!shuffled && m_drawnInBlock > kOverdrawBeforeShuffling * kBlock * kBlock) {
                std::shuffle(m_block.begin() + std::ptrdiff_t(k), m_block.end(), m_chance);
                shuffled = true;
            }
            const InBlock& entry = m_block[k];
            const Queued& queued = m_queue[entry.queued];
            const PixelRect rect = within(bounds(queued), left, top, kBlock);
            if (worthTesting(rect) && m_depth.hiddenInBlock(left, top, entry.level, entry.order))
                continue;
            visit(queued, [&](const auto& t) { fillBlock(t, queued.order, rect, true); });
        }
        if (m_deadline)
            m_deadline->check();
    }

    // Fills the triangle's pixels in rect, which lies in one block: tile by
    // tile, passing over tiles where it covers nothing or, through the depth
    // test, lies wholly behind; or, reaching few of them, at once.
    template <typename Triangle>
    void fillBlock(const Triangle& t, Order order, const PixelRect& rect, bool depthTest)
    {
        if (!worthTesting(rect)) {
            m_drawnInBlock += fillRect(t, rect, order, depthTest);
            if (depthTest)
                m_depth.takenIn(rect);
            return;
        }
        for (int ty = rect.top / kTile; ty <= rect.bottom / kTile; ++ty) {
            for (int tx = rect.left / kTile; tx <= rect.right / kTile; ++tx) {
                const PixelRect tile = within(rect, tx * kTile, ty * kTile, kTile);
                if (!t.overlaps(tile)
                    || (depthTest
                        && m_depth.hiddenInTile(
                            tile.left, tile.top, t.nearestLevelIn(tile), order)))
                    continue;
                const int drew = fillRect(t, tile, order, depthTest);
                m_drawnInBlock += drew;
                if (drew > 0 && depthTest)
                    m_depth.takenIn(tile);
            }
        }
    }

    // Answers how many pixels were drawn.
    template <typename Triangle>
    int fillRect(const Triangle& t, const PixelRect& rect, Order order, bool depthTest)
    {
        int drew = 0;
        t.fill(
            rect, m_size.width,
            [&](const Fragment& f) { return !depthTest || m_depth.take(f.at, f.depth, order); },
            [&](const Fragment& f, float r, float g, float b) {
                std::uint8_t* pixel = &m_colour[f.at * Frame::kBytesPerPixel];
                pixel[0] = colourLevel(r);
                pixel[1] = colourLevel(g);
                pixel[2] = colourLevel(b);
                pixel[3] = 255;
                ++drew;
            });
        return drew;
    }

    // Calls f with the queued triangle, of whichever kind.
    template <typename F> void visit(const Queued& queued, F&& f) const
    {
        if (queued.homogeneous)
            f(m_homogeneous[queued.index]);
        else
            f(m_snapped[queued.index]);
    }

    const PixelRect& bounds(const Queued& queued) const
    {
        return queued.homogeneous ? m_homogeneous[queued.index].bounds()
                                  : m_snapped[queued.index].bounds();
    }

    bool m_hasDepth;
    PixelSize m_size;
    std::vector<std::uint8_t> m_colour; // rows from the top, R, G, B, A
    DepthBuffer m_depth;
    Order m_nextOrder = 1;
    // One draw's triangles, of each kind; those reaching the row of blocks
    // drawn and those reaching the block drawn. The room stays for the next.
    std::vector<Queued> m_queue;
    std::vector<SnappedTriangle> m_snapped;
    std::vector<HomogeneousTriangle> m_homogeneous;
    std::vector<std::uint32_t> m_strip;
    std::vector<InBlock> m_block;
    std::int64_t m_drawnInBlock = 0;
    std::minstd_rand m_chance; // the same order every time: the pixels are the same anyway
    std::optional<Deadline> m_deadline;
};

} // namespace

std::unique_ptr<DirectX8> newSoftwareDirectX8()
{
    return std::make_unique<DirectX8>(nullptr, Backends { nullptr, makeSoftwareBackend });
}

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
