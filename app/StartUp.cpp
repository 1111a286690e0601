#include "app/StartUp.h"

#include "app/RuntimeServices.h"
#include "model/TriReader.h"
#include "model/VertexStore.h"

namespace triview {

void makeDeviceAndModel(Direct3DObjects& d3d, PresentTarget* target, const RootFactory& newRoot,
    const std::string* modelFile, std::int16_t TriangleCount, std::int16_t& VertexCursor,
    RuntimeServices& runtime, std::uint32_t backBufferFormat, std::uint32_t deviceType)
{
    if (InitD3D(d3d, target, newRoot, backBufferFormat, deviceType) == vbFalse) {
        runtime.messageBox(kNoDevice);
        endProgram(1);
    }

    VertexStore store(d3d, TriangleCount);
    const VbBoolean stored = modelFile == nullptr
        ? Sample(d3d)
        : loadtri(*modelFile, TriangleCount, VertexCursor, store);
    if (stored == vbFalse) {
        runtime.messageBox(kNoVertexBuffer);
        endProgram(1);
    }
}

} // namespace triview
