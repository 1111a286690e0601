// The window's own texts, shared by its parts.
#pragma once

#include "runtime/Values.h"

#include <cstdint>
#include <string>

namespace triview {

inline constexpr const char* kPrompt = "請輸入3D模組檔名(tri檔):";
inline constexpr const char* kPromptTitle = "檔名輸入";
inline constexpr const char* kNoFileName = "沒輸入檔名,程式將跑DEMO!";
inline constexpr const char* kNoFileNameTitle = "警告";
inline constexpr const char* kCountTitle = "三角形數";
inline constexpr const char* kTitle = "天才Tovan3D模型秀圖";

inline std::string countMessage(std::int16_t count)
{
    return "您的3D模組總共由" + numberText(count) + "個三角形組成的!";
}

} // namespace triview
