// One vertex as the device's buffer holds it (vertex format 66).
#pragma once

#include "render/D3DTypes.h"

#include <cstddef>

namespace triview {

struct TriVertex
{
    float x, y, z;
    D3DCOLOR colour; // 0xAARRGGBB
};

static_assert(sizeof(TriVertex) == kVertexStride);
static_assert(offsetof(TriVertex, colour) == 12);

} // namespace triview
