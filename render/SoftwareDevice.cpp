#include "render/SoftwareDevice.h"

#include "render/Deadline.h"
#include "render/Direct3DVertexBuffer8.h"
#include "render/SoftwareTriangle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <random>
#include <variant>

namespace triview {

namespace {

// Tiles of 8 by 8 pixels, and blocks of 8 by 8 tiles, each keep the
// farthest depth that any of their pixels holds: a triangle wholly behind
// that costs one test there, not one a pixel.
constexpr int kTile = 8;
constexpr int kBlockTiles = 8;
constexpr int kBlock = kTile * kBlockTiles;
// How many times over a block's pixels may be drawn in nearest-first order
// before the rest of its triangles are taken in an order chance gives.
constexpr int kOverdrawBeforeShuffling = 4;

// A triangle waiting to be filled, with its place in drawing order since the
// depth buffer was cleared: of two pixels at one depth level the later
// one's stays, as the less-or-equal test in drawing order keeps it, however
// the triangles are taken.
struct Queued
{
    std::variant<SnappedTriangle, HomogeneousTriangle> triangle;
    std::uint32_t order;
    std::uint16_t nearestLevel;
};

// A triangle that reaches a block: its nearest level there, its order and
// its place in the queue. Taken nearest first, and of two as near the later
// drawn first, since it would win their ties.
struct InBlock
{
    int level;
    std::uint32_t order;
    std::size_t queued;

    friend bool operator<(const InBlock& p, const InBlock& q)
    {
        return p.level != q.level ? p.level < q.level : p.order > q.order;
    }
};

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
            const int tilesX = (size.width + kTile - 1) / kTile;
            const int tilesY = (size.height + kTile - 1) / kTile;
            const int blocksX = (tilesX + kBlockTiles - 1) / kBlockTiles;
            const int blocksY = (tilesY + kBlockTiles - 1) / kBlockTiles;
            std::vector<std::uint8_t> colour(pixels * Frame::kBytesPerPixel);
            std::vector<std::uint16_t> depth(m_hasDepth ? pixels : 0);
            std::vector<std::uint32_t> order(m_hasDepth ? pixels : 0);
            const std::size_t tiles = std::size_t(tilesX) * std::size_t(tilesY);
            const std::size_t blocks = std::size_t(blocksX) * std::size_t(blocksY);
            std::vector<std::uint16_t> tileFarthest(tiles), blockFarthest(blocks);
            std::vector<std::uint32_t> tileOrder(tiles), blockOrder(blocks);
            std::vector<char> blockStale(blocks);
            m_colour.swap(colour);
            m_depth.swap(depth);
            m_order.swap(order);
            m_tileFarthest.swap(tileFarthest);
            m_tileOrder.swap(tileOrder);
            m_blockFarthest.swap(blockFarthest);
            m_blockOrder.swap(blockOrder);
            m_blockStale.swap(blockStale);
            m_size = size;
            m_tilesX = tilesX;
            m_tilesY = tilesY;
            m_blocksX = blocksX;
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
            const std::uint16_t level = depthLevel(*depth);
            std::fill(m_depth.begin(), m_depth.end(), level);
            std::fill(m_order.begin(), m_order.end(), 0);
            std::fill(m_tileFarthest.begin(), m_tileFarthest.end(), level);
            std::fill(m_tileOrder.begin(), m_tileOrder.end(), 0);
            std::fill(m_blockFarthest.begin(), m_blockFarthest.end(), level);
            std::fill(m_blockOrder.begin(), m_blockOrder.end(), 0);
            std::fill(m_blockStale.begin(), m_blockStale.end(), 0);
            m_nextOrder = 1;
        }
    }

    void setDeadline(const std::optional<Deadline>& deadline) override { m_deadline = deadline; }

    void draw(const DrawState& state, Direct3DVertexBuffer8& buffer, int firstVertex,
        int vertexCount) override
    {
        m_queue.clear(); // a draw that a deadline ended may have left some
        queue(state, buffer.bytes().data() + std::size_t(firstVertex) * kVertexStride, vertexCount);
        if (state.depthTest && m_hasDepth) {
            drawTested();
            return;
        }
        for (const Queued& queued : m_queue) {
            if (m_deadline)
                m_deadline->check();
            std::visit(
                [&](const auto& t) {
                    const PixelRect& bounds = t.bounds();
                    for (int top = bounds.top - bounds.top % kBlock; top <= bounds.bottom;
                         top += kBlock)
                        for (int left = bounds.left - bounds.left % kBlock; left <= bounds.right;
                             left += kBlock)
                            fillBlock(t, queued.order, within(bounds, left, top, kBlock), false);
                },
                queued.triangle);
        }
    }

    void read(Frame& frame) override { frame.pixels = m_colour; }

private:
    // Each triangle of the draw in clip space, made ready to fill.
    void queue(const DrawState& state, const std::byte* vertex, int vertexCount)
    {
        const auto& m = state.transform.m;
        for (int v = 0; v + 3 <= vertexCount; v += 3) {
            std::array<ClipVertex, 3> corners;
            bool finite = true, snapped = true;
            for (ClipVertex& c : corners) {
                float p[3];
                std::uint8_t bgra[4];
                std::memcpy(p, vertex, sizeof p);
                std::memcpy(bgra, vertex + 12, sizeof bgra);
                vertex += kVertexStride;
                // In double, where OpenGL's vertex shader works in float: a
                // triangle whose corners differ in size by more than float's
                // 24 bits keeps its shape, and no product overflows.
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
            const std::uint32_t order = m_nextOrder++;
            if (!finite)
                continue; // a matrix that overflows: nothing sensible to draw
            const auto add = [&](auto triangle) {
                if (triangle)
                    m_queue.push_back({ *triangle, order, depthLevel(triangle->nearest()) });
            };
            if (snapped)
                add(SnappedTriangle::make(
                    corners[0], corners[1], corners[2], m_size, state.cullMode));
            else
                add(HomogeneousTriangle::make(
                    corners[0], corners[1], corners[2], m_size, state.cullMode));
        }
    }

    // The draw through the depth test, block by block: each block takes the
    // triangles that reach it nearest first there, and passes over those
    // that lie wholly behind what it holds, then tile by tile the same. The
    // order of drawing still settles ties, so the pixels are those of the
    // triangles drawn one after another.
    void drawTested()
    {
        std::sort(m_queue.begin(), m_queue.end(), [](const Queued& p, const Queued& q) {
            return p.nearestLevel != q.nearestLevel ? p.nearestLevel < q.nearestLevel
                                                    : p.order > q.order;
        });
        for (int top = 0; top < m_size.height; top += kBlock) {
            m_strip.clear();
            for (std::size_t i = 0; i < m_queue.size(); ++i) {
                const PixelRect& b = bounds(m_queue[i]);
                if (b.top < top + kBlock && b.bottom >= top)
                    m_strip.push_back(i);
            }
            for (int left = 0; left < m_size.width; left += kBlock)
                drawBlock(left, top);
        }
    }

    void drawBlock(int left, int top)
    {
        const std::size_t blockAt
            = std::size_t(top / kBlock) * std::size_t(m_blocksX) + std::size_t(left / kBlock);
        m_block.clear();
        for (const std::size_t i : m_strip) {
            const Queued& queued = m_queue[i];
            const PixelRect& b = bounds(queued);
            if (b.right < left || b.left >= left + kBlock)
                continue;
            const PixelRect rect = within(b, left, top, kBlock);
            std::visit(
                [&](const auto& t) {
                    if (t.overlaps(rect))
                        m_block.push_back({ t.nearestLevelIn(rect), queued.order, i });
                },
                queued.triangle);
        }
        // Mostly in order already, from the whole draw's.
        if (!std::is_sorted(m_block.begin(), m_block.end()))
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
            refreshBlock(blockAt);
            if (hidden(entry.level, entry.order, m_blockFarthest[blockAt], m_blockOrder[blockAt]))
                continue;
            const Queued& queued = m_queue[entry.queued];
            std::visit(
                [&](const auto& t) {
                    fillBlock(t, queued.order, within(bounds(queued), left, top, kBlock), true);
                },
                queued.triangle);
        }
        if (m_deadline)
            m_deadline->check();
    }

    // Fills the triangle's pixels in rect, which lies in one block, tile by
    // tile, passing over tiles where it covers nothing or, through the
    // depth test, lies wholly behind.
    template <typename Triangle>
    void fillBlock(const Triangle& t, std::uint32_t order, const PixelRect& rect, bool depthTest)
    {
        for (int ty = rect.top / kTile; ty <= rect.bottom / kTile; ++ty) {
            for (int tx = rect.left / kTile; tx <= rect.right / kTile; ++tx) {
                const PixelRect tile = within(rect, tx * kTile, ty * kTile, kTile);
                const std::size_t tileAt
                    = std::size_t(ty) * std::size_t(m_tilesX) + std::size_t(tx);
                if (!t.overlaps(tile)
                    || (depthTest
                        && hidden(t.nearestLevelIn(tile), order, m_tileFarthest[tileAt],
                            m_tileOrder[tileAt])))
                    continue;
                const int drew = fillTile(t, tile, order, depthTest);
                m_drawnInBlock += drew;
                if (drew > 0 && depthTest) {
                    refreshTile(tx, ty);
                    m_blockStale[std::size_t(ty / kBlockTiles) * std::size_t(m_blocksX)
                        + std::size_t(tx / kBlockTiles)]
                        = 1;
                }
            }
        }
    }

    // Whether a triangle no nearer than level, drawn at order, can show no
    // pixel where the farthest depth held is farthest, and the earliest
    // order at that depth is earliest.
    static bool hidden(int level, std::uint32_t order, int farthest, std::uint32_t earliest)
    {
        return level > farthest || (level == farthest && order < earliest);
    }

    static const PixelRect& bounds(const Queued& queued)
    {
        return std::visit(
            [](const auto& t) -> const PixelRect& { return t.bounds(); }, queued.triangle);
    }

    // Answers how many pixels were drawn.
    template <typename Triangle>
    int fillTile(const Triangle& t, const PixelRect& tile, std::uint32_t order, bool depthTest)
    {
        int drew = 0;
        t.fill(
            tile, m_size.width,
            [&](const Fragment& f) {
                if (!depthTest)
                    return true;
                if (f.depth > m_depth[f.at] || (f.depth == m_depth[f.at] && order < m_order[f.at]))
                    return false;
                m_depth[f.at] = f.depth;
                m_order[f.at] = order;
                return true;
            },
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

    // The part of rect in the square of side pixels from (left, top).
    static PixelRect within(const PixelRect& rect, int left, int top, int side)
    {
        return { std::max(rect.left, left), std::max(rect.top, top),
            std::min(rect.right, left + side - 1), std::min(rect.bottom, top + side - 1) };
    }

    // A tile's farthest depth and the earliest order at it, from its pixels.
    void refreshTile(int tx, int ty)
    {
        std::uint16_t farthest = 0;
        std::uint32_t earliest = ~std::uint32_t { 0 };
        const int right = std::min(m_size.width, (tx + 1) * kTile);
        for (int y = ty * kTile; y < std::min(m_size.height, (ty + 1) * kTile); ++y) {
            const std::size_t row = std::size_t(y) * std::size_t(m_size.width);
            for (std::size_t at = row + std::size_t(tx * kTile); at < row + std::size_t(right);
                 ++at) {
                if (m_depth[at] > farthest)
                    earliest = ~std::uint32_t { 0 };
                if (m_depth[at] >= farthest) {
                    farthest = m_depth[at];
                    earliest = std::min(earliest, m_order[at]);
                }
            }
        }
        const std::size_t tileAt = std::size_t(ty) * std::size_t(m_tilesX) + std::size_t(tx);
        m_tileFarthest[tileAt] = farthest;
        m_tileOrder[tileAt] = earliest;
    }

    // A block's, from its tiles, when one of them drew since: until then its
    // old one is no nearer, so still safe to pass triangles over by.
    void refreshBlock(std::size_t block)
    {
        if (!m_blockStale[block])
            return;
        const int bx = int(block % std::size_t(m_blocksX)) * kBlockTiles;
        const int by = int(block / std::size_t(m_blocksX)) * kBlockTiles;
        std::uint16_t farthest = 0;
        std::uint32_t earliest = ~std::uint32_t { 0 };
        for (int ty = by; ty < std::min(m_tilesY, by + kBlockTiles); ++ty) {
            for (int tx = bx; tx < std::min(m_tilesX, bx + kBlockTiles); ++tx) {
                const std::size_t tile = std::size_t(ty) * std::size_t(m_tilesX) + std::size_t(tx);
                if (m_tileFarthest[tile] > farthest)
                    earliest = ~std::uint32_t { 0 };
                if (m_tileFarthest[tile] >= farthest) {
                    farthest = m_tileFarthest[tile];
                    earliest = std::min(earliest, m_tileOrder[tile]);
                }
            }
        }
        m_blockFarthest[block] = farthest;
        m_blockOrder[block] = earliest;
        m_blockStale[block] = 0;
    }

    bool m_hasDepth;
    PixelSize m_size;
    std::vector<std::uint8_t> m_colour; // rows from the top, R, G, B, A
    std::vector<std::uint16_t> m_depth;
    std::vector<std::uint32_t> m_order; // the drawing order of each pixel's triangle
    std::uint32_t m_nextOrder = 1;
    int m_tilesX = 0, m_tilesY = 0, m_blocksX = 0;
    // Each tile's and block's farthest depth level, and the earliest order
    // among its pixels at that level.
    std::vector<std::uint16_t> m_tileFarthest, m_blockFarthest;
    std::vector<std::uint32_t> m_tileOrder, m_blockOrder;
    std::vector<char> m_blockStale; // a tile of it drew since it was worked out
    // One draw's triangles, those reaching the row of blocks drawn and those
    // reaching the block drawn; the room stays for the next.
    std::vector<Queued> m_queue;
    std::vector<std::size_t> m_strip;
    std::vector<InBlock> m_block;
    std::int64_t m_drawnInBlock = 0;
    std::minstd_rand m_chance; // the same order every time: the pixels are the same anyway
    std::optional<Deadline> m_deadline;
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
