// Figures of the window that reach beyond it: the picture area's size, at
// which --render draws by default, and the distance scroll bar's range and
// start, which --distance takes.
#pragma once

#include "render/PresentTarget.h"

#include <cstdint>

namespace triview {

// Picture1's client area in pixels (9495 by 9015 twips).
inline constexpr PixelSize kPictureArea { 633, 601 };

// HScroll1's values, nearest to farthest, and where it starts.
inline constexpr std::int16_t kNearestDistance = 1;
inline constexpr std::int16_t kFarthestDistance = 15;
inline constexpr std::int16_t kStartDistance = 8;

} // namespace triview
