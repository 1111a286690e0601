#include "export/ExportMesh.h"

#include <algorithm>
#include <bit>

namespace triview {

namespace {

// A vertex's identity: its position's bits (a zero is always +0 by now) and,
// where it counts, its colour.
struct VertexKey
{
    std::uint32_t x, y, z, colour;
    friend bool operator==(const VertexKey&, const VertexKey&) = default;
};

struct VertexKeyHash
{
    std::size_t operator()(const VertexKey& key) const
    {
        std::uint64_t h = key.x * 0x9E3779B97F4A7C15ull;
        h = (h ^ key.y) * 0xC2B2AE3D27D4EB4Full;
        h = (h ^ key.z) * 0x165667B19E3779F9ull;
        return static_cast<std::size_t>(h ^ key.colour);
    }
};

VertexKey keyOf(const Position& position, std::uint32_t colour)
{
    return { std::bit_cast<std::uint32_t>(position[0]), std::bit_cast<std::uint32_t>(position[1]),
        std::bit_cast<std::uint32_t>(position[2]), colour };
}

std::uint32_t colourBits(Rgb colour)
{
    return std::uint32_t { colour.red } << 16 | std::uint32_t { colour.green } << 8 | colour.blue;
}

// Numbers each distinct key in the order first met: an open-addressed table
// of numbers into the keys, at most half full. (A node-based map would
// allocate once a vertex.)
template <typename Key, typename Hash> class Numbering
{
public:
    // expected: at least the number of distinct keys there will be.
    explicit Numbering(std::size_t expected)
        : m_slots(std::bit_ceil(std::max<std::size_t>(16, 2 * expected)), kEmpty)
        , m_shift(64 - std::countr_zero(m_slots.size()))
    {
        m_keys.reserve(expected);
    }
    // The key's number, and whether it is new.
    std::pair<std::uint32_t, bool> number(const Key& key)
    {
        // Fibonacci hashing: the product's top bits pick the slot.
        std::uint64_t h = Hash {}(key);
        h = (h ^ (h >> 32)) * 0x9E3779B97F4A7C15ull;
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = static_cast<std::size_t>(h >> m_shift);; i = (i + 1) & mask) {
            std::uint32_t& slot = m_slots[i];
            if (slot == kEmpty) {
                slot = static_cast<std::uint32_t>(m_keys.size());
                m_keys.push_back(key);
                return { slot, true };
            }
            if (m_keys[slot] == key)
                return { slot, false };
        }
    }

private:
    static constexpr std::uint32_t kEmpty = ~std::uint32_t { 0 };
    std::vector<std::uint32_t> m_slots;
    int m_shift;
    std::vector<Key> m_keys;
};

struct ColourHash
{
    std::size_t operator()(std::uint32_t colour) const { return colour; }
};

} // namespace

Position rightHanded(const TriVertex& vertex, UpAxis up)
{
    // Adding +0 turns a -0 into +0, so that equal positions have equal bits.
    if (up == UpAxis::Y)
        return { vertex.x + 0.0f, vertex.y + 0.0f, -vertex.z + 0.0f };
    return { vertex.x + 0.0f, vertex.z + 0.0f, vertex.y + 0.0f };
}

IndexedMesh sharedByPositionAndColour(const Model& model, UpAxis up)
{
    IndexedMesh mesh;
    const std::size_t triangles = model.vertices.size() / 3;
    Numbering<VertexKey, VertexKeyHash> vertices(model.vertices.size());
    mesh.triangles.reserve(triangles);
    for (std::size_t t = 0; t < triangles; ++t) {
        std::array<std::uint32_t, 3> indices {};
        for (std::size_t c = 0; c < 3; ++c) {
            const TriVertex& vertex = model.vertices[3 * t + std::size_t(kCornerOrder[c])];
            const Position position = rightHanded(vertex, up);
            const Rgb colour = drawnColour(vertex.colour);
            const auto [index, added] = vertices.number(keyOf(position, colourBits(colour)));
            if (added) {
                mesh.positions.push_back(position);
                mesh.colours.push_back(colour);
            }
            indices[c] = index;
        }
        mesh.triangles.push_back(indices);
    }
    return mesh;
}

IndexedMesh sharedByPosition(const Model& model, UpAxis up)
{
    IndexedMesh mesh;
    const std::size_t triangles = model.vertices.size() / 3;
    Numbering<VertexKey, VertexKeyHash> vertices(model.vertices.size());
    // As many colours as corners at most: the demonstration model's differ.
    Numbering<std::uint32_t, ColourHash> colours(model.vertices.size());
    mesh.triangles.reserve(triangles);
    mesh.cornerColours.reserve(triangles);
    for (std::size_t t = 0; t < triangles; ++t) {
        std::array<std::uint32_t, 3> indices {}, cornerColours {};
        for (std::size_t c = 0; c < 3; ++c) {
            const TriVertex& vertex = model.vertices[3 * t + std::size_t(kCornerOrder[c])];
            const Position position = rightHanded(vertex, up);
            const auto [index, added] = vertices.number(keyOf(position, 0));
            if (added)
                mesh.positions.push_back(position);
            indices[c] = index;
            const Rgb colour = drawnColour(vertex.colour);
            const auto [colourIndex, newColour] = colours.number(colourBits(colour));
            if (newColour)
                mesh.colours.push_back(colour);
            cornerColours[c] = colourIndex;
        }
        if (indices[0] == indices[1] || indices[1] == indices[2] || indices[0] == indices[2])
            continue;
        mesh.triangles.push_back(indices);
        mesh.cornerColours.push_back(cornerColours);
    }
    return mesh;
}

} // namespace triview
