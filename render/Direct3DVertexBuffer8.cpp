#include "render/Direct3DVertexBuffer8.h"

#include "render/DeviceSeam.h"

namespace triview {

Direct3DVertexBuffer8::Direct3DVertexBuffer8(std::shared_ptr<GlContext> context, GlBuffer buffer,
                                             std::int32_t length, std::shared_ptr<DeviceSeam> seam)
    : m_context(std::move(context))
    , m_buffer(std::move(buffer))
    , m_length(length)
    , m_seam(std::move(seam))
{
}

Direct3DVertexBuffer8::~Direct3DVertexBuffer8()
{
    if (m_seam)
        m_seam->enter("Release:VertexBuffer");
}

void Direct3DVertexBuffer8::write(std::int32_t offset, const void* data, std::int32_t size)
{
    m_context->makeCurrent();
    auto& gl = m_context->gl();
    gl.glBindBuffer(GL_ARRAY_BUFFER, m_buffer.name());
    gl.glBufferSubData(GL_ARRAY_BUFFER, offset, size, data);
}

std::vector<std::byte> Direct3DVertexBuffer8::contents()
{
    std::vector<std::byte> bytes(static_cast<std::size_t>(m_length));
    m_context->makeCurrent();
    auto& gl = m_context->gl();
    gl.glBindBuffer(GL_ARRAY_BUFFER, m_buffer.name());
    gl.glGetBufferSubData(GL_ARRAY_BUFFER, 0, m_length, bytes.data());
    return bytes;
}

HRESULT D3DVertexBuffer8SetData(Direct3DVertexBuffer8* buffer, std::int32_t offset,
                                std::int32_t size, std::uint32_t flags, const void* source)
{
    if (buffer == nullptr || source == nullptr || flags != 0 || offset < 0 || size < 0
        || std::int64_t { offset } + size > buffer->length())
        return D3DERR_INVALIDCALL;
    if (size > 0)
        buffer->write(offset, source, size);
    return D3D_OK;
}

} // namespace triview
