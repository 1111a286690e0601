// The software rasteriser's depth buffer: a 16-bit depth and a drawing order
// for each pixel, tested less-or-equal; and, for each tile of 8 by 8 pixels
// and each block of 8 by 8 tiles, the farthest depth it holds and the
// earliest order at that depth, so that a triangle hidden in one costs one
// test there, not one a pixel.
#pragma once

#include "render/PresentTarget.h"
#include "render/software/SoftwareTriangle.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace triview {

class DepthBuffer
{
public:
    // A triangle's place in drawing order since the depth was cleared, or
    // since the orders ran out and every pixel's was taken back to 0,
    // earlier than any to come. Of two pixels at one depth level the later
    // one's stays, as the less-or-equal test in drawing order keeps it,
    // however the triangles are taken.
    using Order = std::uint16_t;
    static constexpr Order kLastOrder = 0xFFFF;

    static constexpr int kTile = 8; // pixels a side
    static constexpr int kBlockTiles = 8; // tiles a side
    static constexpr int kBlock = kTile * kBlockTiles;

    // For a back buffer of size, all at depth 0 and order 0; false, keeping
    // what it had, when memory runs out.
    bool resize(PixelSize size);
    // Every pixel at depth level, every order 0.
    void clear(std::uint16_t level);
    // Every order back to 0, the depths kept.
    void renumber();

    // The test of a pixel (y * width + x) at depth level of a triangle drawn
    // at order: true, with the pixel taken, when it shows.
    bool take(std::size_t at, std::uint16_t level, Order order)
    {
        if (level > m_depth[at] || (level == m_depth[at] && order < m_order[at]))
            return false;
        m_depth[at] = level;
        m_order[at] = order;
        return true;
    }
    // Pixels of rect were taken: what its tiles and blocks hold may be nearer.
    void takenIn(const PixelRect& rect);

    // Whether a triangle at order, no nearer than level anywhere in the tile
    // (or the block) holding pixel (x, y), shows in none of its pixels.
    bool hiddenInTile(int x, int y, int level, Order order);
    bool hiddenInBlock(int x, int y, int level, Order order);

private:
    static bool hidden(int level, Order order, int farthest, Order earliest)
    {
        return level > farthest || (level == farthest && order < earliest);
    }
    std::size_t tileAt(int tx, int ty) const
    {
        return std::size_t(ty) * std::size_t(m_tilesX) + std::size_t(tx);
    }
    std::size_t blockAt(int bx, int by) const
    {
        return std::size_t(by) * std::size_t(m_blocksX) + std::size_t(bx);
    }
    void refreshTile(int tx, int ty);
    void refreshBlock(int bx, int by);

    PixelSize m_size;
    std::vector<std::uint16_t> m_depth;
    std::vector<Order> m_order;
    int m_tilesX = 0, m_tilesY = 0, m_blocksX = 0;
    // Worked out again from the pixels, or the tiles, only when asked once
    // something was taken there: until then the old ones are no nearer and
    // no later, so still safe to pass triangles over by.
    std::vector<std::uint16_t> m_tileFarthest, m_blockFarthest;
    std::vector<Order> m_tileOrder, m_blockOrder;
    std::vector<char> m_tileStale, m_blockStale;
};

} // namespace triview
