#include "app/StartUp.h"

#include "model/TriReader.h"
#include "model/VertexStore.h"
#include "runtime/RuntimeServices.h"

namespace triview {

void makeDeviceAndModel(Direct3DObjects& d3d, PresentTarget* target, const RootFactory& newRoot,
    const std::string* modelFile, std::int16_t TriangleCount, std::int16_t& VertexCursor,
    RuntimeServices& runtime, std::uint32_t backBufferFormat)
{
    if (InitD3D(d3d, target, newRoot, backBufferFormat) == vbFalse) {
        runtime.messageBox(kNoDevice);
        endProgram(1);
    }

    if (modelFile == nullptr) {
        if (Sample(d3d) == vbFalse) {
            runtime.messageBox(kNoVertexBuffer);
            endProgram(1);
        }
    } else {
        VertexStore store(d3d, TriangleCount);
        loadtri(*modelFile, TriangleCount, VertexCursor, store, runtime);
    }
}

} // namespace triview
