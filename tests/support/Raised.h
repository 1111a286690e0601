// What an operation raised: the runtime error, or nothing.
#pragma once

#include "runtime/RuntimeError.h"

#include <optional>

namespace triview::test {

template <typename Operation> std::optional<RuntimeError> raised(Operation&& operation)
{
    try {
        operation();
    } catch (const RuntimeError& error) {
        return error;
    }
    return std::nullopt;
}

// The number raised, 0 when nothing was.
template <typename Operation> std::int32_t raisedNumber(Operation&& operation)
{
    return raised(operation).value_or(RuntimeError(0)).number();
}

} // namespace triview::test
