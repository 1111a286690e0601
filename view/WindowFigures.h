// Figures the window shares with its pictures: the picture's size, at which
// --render draws by default, and the camera's distances, which --distance
// takes.
#pragma once

#include "render/PresentTarget.h"

#include <cstdint>

namespace triview {

// The picture's size in pixels, the window's picture area (9495 by 9015
// twips).
inline constexpr PixelSize kPictureArea { 633, 601 };

// The camera's distances, nearest to farthest, and where it starts: the
// window's distance scroll bar has these values.
inline constexpr std::int16_t kNearestDistance = 1;
inline constexpr std::int16_t kFarthestDistance = 15;
inline constexpr std::int16_t kStartDistance = 8;

} // namespace triview
