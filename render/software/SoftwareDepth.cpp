#include "render/software/SoftwareDepth.h"

#include <algorithm>
#include <new>

namespace triview {

bool DepthBuffer::resize(PixelSize size)
{
    try {
        const std::size_t pixels = std::size_t(size.width) * std::size_t(size.height);
        const int tilesX = (size.width + kTile - 1) / kTile;
        const int tilesY = (size.height + kTile - 1) / kTile;
        const int blocksX = (tilesX + kBlockTiles - 1) / kBlockTiles;
        const int blocksY = (tilesY + kBlockTiles - 1) / kBlockTiles;
        const std::size_t tiles = std::size_t(tilesX) * std::size_t(tilesY);
        const std::size_t blocks = std::size_t(blocksX) * std::size_t(blocksY);
        std::vector<std::uint16_t> depth(pixels), tileFarthest(tiles), blockFarthest(blocks);
        std::vector<Order> order(pixels), tileOrder(tiles), blockOrder(blocks);
        std::vector<char> tileStale(tiles), blockStale(blocks);
        m_depth.swap(depth);
        m_order.swap(order);
        m_tileFarthest.swap(tileFarthest);
        m_tileOrder.swap(tileOrder);
        m_blockFarthest.swap(blockFarthest);
        m_blockOrder.swap(blockOrder);
        m_tileStale.swap(tileStale);
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

void DepthBuffer::clear(std::uint16_t level)
{
    std::fill(m_depth.begin(), m_depth.end(), level);
    std::fill(m_tileFarthest.begin(), m_tileFarthest.end(), level);
    std::fill(m_blockFarthest.begin(), m_blockFarthest.end(), level);
    std::fill(m_tileStale.begin(), m_tileStale.end(), 0);
    std::fill(m_blockStale.begin(), m_blockStale.end(), 0);
    renumber();
}

void DepthBuffer::renumber()
{
    std::fill(m_order.begin(), m_order.end(), 0);
    std::fill(m_tileOrder.begin(), m_tileOrder.end(), 0);
    std::fill(m_blockOrder.begin(), m_blockOrder.end(), 0);
}

void DepthBuffer::takenIn(const PixelRect& rect)
{
    for (int ty = rect.top / kTile; ty <= rect.bottom / kTile; ++ty)
        for (int tx = rect.left / kTile; tx <= rect.right / kTile; ++tx) {
            m_tileStale[tileAt(tx, ty)] = 1;
            m_blockStale[blockAt(tx / kBlockTiles, ty / kBlockTiles)] = 1;
        }
}

bool DepthBuffer::hiddenInTile(int x, int y, int level, Order order)
{
    refreshTile(x / kTile, y / kTile);
    const std::size_t tile = tileAt(x / kTile, y / kTile);
    return hidden(level, order, m_tileFarthest[tile], m_tileOrder[tile]);
}

bool DepthBuffer::hiddenInBlock(int x, int y, int level, Order order)
{
    refreshBlock(x / kBlock, y / kBlock);
    const std::size_t block = blockAt(x / kBlock, y / kBlock);
    return hidden(level, order, m_blockFarthest[block], m_blockOrder[block]);
}

namespace {

// The farthest of a run of depths and the earliest order at it, carried
// over several runs.
struct Farthest
{
    std::uint16_t depth = 0;
    DepthBuffer::Order earliest = DepthBuffer::kLastOrder;

    void take(std::uint16_t other, DepthBuffer::Order order)
    {
        if (other > depth) {
            depth = other;
            earliest = order;
        } else if (other == depth) {
            earliest = std::min(earliest, order);
        }
    }
};

} // namespace

void DepthBuffer::refreshTile(int tx, int ty)
{
    const std::size_t tile = tileAt(tx, ty);
    if (!m_tileStale[tile])
        return;
    m_tileStale[tile] = 0;
    Farthest farthest;
    const int right = std::min(m_size.width, (tx + 1) * kTile);
    for (int y = ty * kTile; y < std::min(m_size.height, (ty + 1) * kTile); ++y) {
        const std::size_t row = std::size_t(y) * std::size_t(m_size.width);
        for (std::size_t at = row + std::size_t(tx * kTile); at < row + std::size_t(right); ++at)
            farthest.take(m_depth[at], m_order[at]);
    }
    m_tileFarthest[tile] = farthest.depth;
    m_tileOrder[tile] = farthest.earliest;
}

void DepthBuffer::refreshBlock(int bx, int by)
{
    const std::size_t block = blockAt(bx, by);
    if (!m_blockStale[block])
        return;
    m_blockStale[block] = 0;
    Farthest farthest;
    for (int ty = by * kBlockTiles; ty < std::min(m_tilesY, (by + 1) * kBlockTiles); ++ty)
        for (int tx = bx * kBlockTiles; tx < std::min(m_tilesX, (bx + 1) * kBlockTiles); ++tx) {
            refreshTile(tx, ty);
            farthest.take(m_tileFarthest[tileAt(tx, ty)], m_tileOrder[tileAt(tx, ty)]);
        }
    m_blockFarthest[block] = farthest.depth;
    m_blockOrder[block] = farthest.earliest;
}

} // namespace triview
