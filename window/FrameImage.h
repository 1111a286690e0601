// A presented frame as a QImage, sharing its pixels rather than copying
// them.
#pragma once

#include "render/PresentTarget.h"

#include <QImage>

namespace triview {

inline QImage frameImage(Frame frame)
{
    if (frame.isNull())
        return {};
    auto* owned = new Frame(std::move(frame));
    return QImage(
        owned->pixels.data(), owned->size.width, owned->size.height, qsizetype(owned->rowBytes()),
        owned->alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888,
        [](void* kept) { delete static_cast<Frame*>(kept); }, owned);
}

} // namespace triview
