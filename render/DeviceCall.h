// A failing device call (negative result code) raises a runtime error that
// carries the code and names the operation.
#pragma once

#include "render/D3DTypes.h"
#include "runtime/RuntimeError.h"

namespace triview {

inline void checkDeviceCall(HRESULT hr, const char* operation)
{
    if (failed(hr))
        throw deviceError(hr, operation);
}

} // namespace triview
