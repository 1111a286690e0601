// Where a frame sees the model from.
#pragma once

#include "render/D3DTypes.h"

#include <cstdint>

namespace triview {

// Where a frame sees the model from: turned by the clock about (1, 2, 1),
// or about axis by angle; and the camera's distance factor (the window's
// scroll bar). Every caller gives all five.
struct Pose
{
    bool byClock;
    float clock; // seconds since midnight, when byClock
    D3DVECTOR axis;
    float angle;
    std::int16_t distance;

    friend bool operator==(const Pose&, const Pose&) = default;
};

} // namespace triview
