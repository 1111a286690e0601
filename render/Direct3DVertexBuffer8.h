// A vertex buffer of the device: a fixed number of bytes, filled by
// D3DVertexBuffer8SetData and drawn by the device. A backend that draws from
// a copy of its own (OpenGL's buffer object) gets the fills together before
// the next draw: a model is stored one triangle per fill, and a driver call
// per triangle would cost more than reading the file.
#pragma once

#include "render/D3DTypes.h"
#include "render/DeviceBackend.h"

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
    // maker marks the device that made it.
    Direct3DVertexBuffer8(std::int32_t length, std::unique_ptr<BufferCopy> copy,
        std::shared_ptr<DeviceSeam> seam, std::weak_ptr<const void> maker);
    ~Direct3DVertexBuffer8();

    std::int32_t length() const { return m_length; }
    // Whether the device marked maker made it.
    bool madeBy(const std::shared_ptr<const char>& maker) const
    {
        return !m_maker.owner_before(maker) && !maker.owner_before(m_maker);
    }

    // Copies bytes in; the range must lie inside the buffer.
    void write(std::int32_t offset, const void* data, std::int32_t size);
    // Brings the backend's copy up to date with every write so far, and
    // answers it (null for a backend that keeps none).
    BufferCopy* upload();
    // The buffer's bytes as the backend draws them: its copy's, where it
    // keeps one.
    std::vector<std::byte> contents();
    // The buffer's bytes as the next draw will find them, read in memory.
    std::span<const std::byte> bytes() const { return m_bytes; }

private:
    std::int32_t m_length;
    std::vector<std::byte> m_bytes;
    std::unique_ptr<BufferCopy> m_copy;
    std::shared_ptr<DeviceSeam> m_seam;
    std::weak_ptr<const void> m_maker;
    std::size_t m_dirtyBegin = 0, m_dirtyEnd = 0;
};

// The buffer fill: copies size bytes from source into buffer at offset.
// Refuses, writing nothing, with D3DERR_INVALIDCALL when there is no buffer,
// the range does not lie inside it, or flags is not 0.
HRESULT D3DVertexBuffer8SetData(Direct3DVertexBuffer8* buffer, std::int32_t offset,
    std::int32_t size, std::uint32_t flags, const void* source);

} // namespace triview
