#include "view/VertexStore.h"

#include "model/DemoModel.h"
#include "render/DeviceCall.h"
#include "runtime/CheckedMath.h"
#include "runtime/RuntimeError.h"

#include <array>
#include <cstddef>

namespace triview {

// The buffer's bytes are a model's vertices as they stand.
static_assert(sizeof(TriVertex) == kVertexStride);
static_assert(offsetof(TriVertex, colour) == 12);

namespace {

constexpr std::int32_t kTriangleBytes = 3 * kVertexStride;

// Creates a buffer of length bytes into slot.VertexBuffer, replacing any it
// held; raises when the device refuses.
void createBuffer(VertexSlot slot, std::int32_t length)
{
    if (!slot.D3DDevice)
        throw RuntimeError(err::ObjectNotSet, "D3DDevice");
    std::shared_ptr<Direct3DVertexBuffer8> buffer;
    checkDeviceCall(
        slot.D3DDevice->CreateVertexBuffer(length, 0, kVertexFormat, D3DPOOL_DEFAULT, buffer),
        "CreateVertexBuffer");
    slot.VertexBuffer = std::move(buffer);
}

} // namespace

VbBoolean InitGeometry(
    VertexSlot slot, std::int16_t TriangleCount, std::span<const TriVertex, 3> triangle)
{
    createBuffer(slot, checked::mul32(TriangleCount, kTriangleBytes));
    if (!slot.VertexBuffer)
        return vbFalse;
    D3DVertexBuffer8SetData(slot.VertexBuffer.get(), 0, kTriangleBytes, 0, triangle.data());
    return vbTrue;
}

VbBoolean InitGeometry2(
    VertexSlot slot, std::int16_t VertexCursor, std::span<const TriVertex, 3> triangle)
{
    const std::int32_t offset = checked::mul32(VertexCursor, kVertexStride);
    // The fill refuses a range outside the buffer, so nothing lands past it.
    D3DVertexBuffer8SetData(slot.VertexBuffer.get(), offset, kTriangleBytes, 0, triangle.data());
    return vbTrue;
}

void storeTheRest(VertexSlot slot, const Model& model)
{
    const std::span<const TriVertex> vertices = model.vertices;
    for (std::size_t at = 3; at + 3 <= vertices.size(); at += 3)
        InitGeometry2(slot, static_cast<std::int16_t>(at), vertices.subspan(at).first<3>());
}

VbBoolean Sample(VertexSlot slot)
{
    const std::array<TriVertex, 9> vertices = demonstrationModel;
    constexpr std::int32_t length = sizeof(vertices);
    createBuffer(slot, length);
    if (!slot.VertexBuffer)
        return vbFalse;
    D3DVertexBuffer8SetData(slot.VertexBuffer.get(), 0, length, 0, vertices.data());
    return vbTrue;
}

} // namespace triview
