#include "runtime/Values.h"

namespace triview {

std::string numberText(std::int16_t value)
{
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

} // namespace triview
