// A picture's size as both programs take it: N for N by N pixels, or WxH,
// 1 to the largest back buffer's side each.
#pragma once

#include "render/PresentTarget.h"

#include <optional>
#include <string>
#include <string_view>

namespace triview {

// The size text gives; none when it gives none.
std::optional<PixelSize> readPictureSize(std::string_view text);

// What a size that cannot be read is told: "takes N or WxH, 1 to 16384 a
// side", after the option's name.
std::string pictureSizeExpected();

} // namespace triview
