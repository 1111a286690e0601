// A vertex buffer of the device: a fixed number of bytes in a GL buffer
// object, filled by D3DVertexBuffer8SetData and drawn by the device. Fills
// land in a copy in memory and reach the GL buffer together before the
// next draw: a model is stored one triangle per fill, and a GL call per
// triangle would cost more than reading the file.
#pragma once

#include "render/D3DTypes.h"
#include "render/GlContext.h"

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace triview {

class DeviceSeam;

class Direct3DVertexBuffer8
{
public:
    // Made by Direct3DDevice8::CreateVertexBuffer; starts all zero bytes.
    Direct3DVertexBuffer8(std::shared_ptr<GlContext> context, GlBuffer buffer, std::int32_t length,
        std::shared_ptr<DeviceSeam> seam);
    ~Direct3DVertexBuffer8();

    std::int32_t length() const { return m_length; }
    GLuint glName() const { return m_buffer.name(); }

    // Copies bytes in; the range must lie inside the buffer.
    void write(std::int32_t offset, const void* data, std::int32_t size);
    // Brings the GL buffer up to date with every write so far.
    void upload();
    // The buffer's bytes as the GL buffer holds them.
    std::vector<std::byte> contents();
    // The buffer's bytes as the next draw will find them, read in memory.
    std::span<const std::byte> bytes() const { return m_bytes; }

private:
    std::shared_ptr<GlContext> m_context; // declared first: outlives the buffer
    GlBuffer m_buffer;
    std::int32_t m_length;
    std::shared_ptr<DeviceSeam> m_seam;
    std::vector<std::byte> m_bytes; // what the GL buffer holds after upload()
    std::size_t m_dirtyBegin = 0, m_dirtyEnd = 0;
};

// The buffer fill: copies size bytes from source into buffer at offset.
// Refuses, writing nothing, with D3DERR_INVALIDCALL when there is no buffer,
// the range does not lie inside it, or flags is not 0.
HRESULT D3DVertexBuffer8SetData(Direct3DVertexBuffer8* buffer, std::int32_t offset,
    std::int32_t size, std::uint32_t flags, const void* source);

} // namespace triview
