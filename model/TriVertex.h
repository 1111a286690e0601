// One vertex as the device's buffer holds it (vertex format 66), and the
// colour it keeps for a record's packed colour.
#pragma once

#include "render/D3DTypes.h"
#include "runtime/CheckedMath.h"

#include <cstddef>

namespace triview {

struct TriVertex
{
    float x, y, z;
    D3DCOLOR colour; // 0xAARRGGBB
};

static_assert(sizeof(TriVertex) == kVertexStride);
static_assert(offsetof(TriVertex, colour) == 12);

// The colour a vertex stores for a packed colour 0x00RRGGBB: 0xFFRRGGBB
// (packed - 0x1000000 in checked 32-bit arithmetic; raises 6).
inline D3DCOLOR storedColour(std::int32_t packedColour)
{
    return static_cast<D3DCOLOR>(checked::sub32(packedColour, 0x1000000));
}

} // namespace triview
