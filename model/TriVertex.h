// One vertex as a model keeps it, and as the device's buffer holds it
// (vertex format 66: position, then colour), and the colour it keeps for a
// record's packed colour.
#pragma once

#include "runtime/CheckedMath.h"

#include <cstdint>

namespace triview {

struct TriVertex
{
    float x, y, z;
    std::uint32_t colour; // 0xAARRGGBB
};

// The colour a vertex stores for a packed colour 0x00RRGGBB: 0xFFRRGGBB
// (packed - 0x1000000 in checked 32-bit arithmetic; raises 6).
inline std::uint32_t storedColour(std::int32_t packedColour)
{
    return static_cast<std::uint32_t>(checked::sub32(packedColour, 0x1000000));
}

} // namespace triview
