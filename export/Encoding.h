// What the format writers share: numbers as text that reads back as the same
// float, little-endian binary numbers, and the model's name.
#pragma once

#include "model/Model.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace triview {

// The shortest text that reads back as value.
inline void appendNumber(std::string& out, float value)
{
    char text[32];
    out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

inline void appendNumber(std::string& out, double value)
{
    char text[32];
    out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

inline void appendNumber(std::string& out, std::uint64_t value)
{
    char text[24];
    out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// value's bytes, least significant first.
template <typename T> void appendLittleEndian(std::string& out, T value)
{
    static_assert(std::is_arithmetic_v<T>);
    static_assert(std::endian::native == std::endian::little, "formats are little-endian");
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

// The model's name in the file: its file's name without folder or
// extension, safe to show (valid UTF-8, no control character), or
// "demonstration".
std::string modelName(const Model& model);

} // namespace triview
