// The form runtime's value conventions: 16-bit booleans and the text form of
// a 16-bit count.
#pragma once

#include <cstdint>
#include <string>

namespace triview {

// Booleans are 16-bit values: true is -1, false is 0. Procedures that can
// fail answer one of these, and their caller decides what to show.
using VbBoolean = std::int16_t;
inline constexpr VbBoolean vbTrue = -1;
inline constexpr VbBoolean vbFalse = 0;

// The runtime's number-to-text: the decimal digits after one blank (the sign
// position) for 0 or more, after a minus sign otherwise. 12 gives " 12".
std::string numberText(std::int16_t value);

} // namespace triview
