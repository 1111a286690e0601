#include "picture/PictureSize.h"

#include "render/Direct3D8.h"
#include "runtime/Arguments.h"

#include <string>

namespace triview {

std::optional<PixelSize> readPictureSize(std::string_view text)
{
    constexpr int largest = int(kMaxBackBufferSide);
    const std::size_t x = text.find('x');
    const auto width = wholeNumber(text.substr(0, x), 1, largest);
    const auto height
        = x == std::string_view::npos ? width : wholeNumber(text.substr(x + 1), 1, largest);
    if (!width || !height)
        return std::nullopt;
    return PixelSize { *width, *height };
}

std::string pictureSizeExpected()
{
    return "takes N or WxH, 1 to " + std::to_string(kMaxBackBufferSide) + " a side";
}

} // namespace triview
