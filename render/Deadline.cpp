#include "render/Deadline.h"

#include "runtime/RuntimeError.h"

#include <string>

namespace triview {

void Deadline::check() const
{
    if (passed())
        throw RuntimeError(
            err::UserInterrupt, "圖片沒能在 " + std::to_string(m_seconds) + " 秒的時間上限內畫完");
}

} // namespace triview
