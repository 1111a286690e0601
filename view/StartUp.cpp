#include "view/StartUp.h"

#include "runtime/RuntimeServices.h"
#include "model/TriReader.h"
#include "view/VertexStore.h"

namespace triview {

LoadedModel loadModel(
    Direct3DObjects& d3d, const std::string* modelFile, std::int16_t TriangleCount)
{
    LoadedModel model;
    model.TriangleCount = TriangleCount;
    const VertexSlot slot { d3d.D3DDevice.get(), model.VertexBuffer };
    if (modelFile == nullptr) {
        Sample(slot);
    } else {
        model.file = *modelFile;
        VertexStore store(slot, TriangleCount);
        if (loadtri(*modelFile, TriangleCount, model.VertexCursor, store) == vbFalse)
            model.VertexBuffer.reset();
    }
    return model;
}

LoadedModel makeDeviceAndModel(Direct3DObjects& d3d, PresentTarget* target,
    const RootFactory& newRoot, const std::string* modelFile, std::int16_t TriangleCount,
    std::int16_t& VertexCursor, RuntimeServices& runtime, std::uint32_t backBufferFormat,
    std::uint32_t deviceType)
{
    if (InitD3D(d3d, target, newRoot, backBufferFormat, deviceType) == vbFalse) {
        runtime.messageBox(kNoDevice);
        endProgram(1);
    }
    LoadedModel model = loadModel(d3d, modelFile, TriangleCount);
    VertexCursor = model.VertexCursor;
    if (!model.VertexBuffer) {
        runtime.messageBox(kNoVertexBuffer);
        endProgram(1);
    }
    return model;
}

} // namespace triview
