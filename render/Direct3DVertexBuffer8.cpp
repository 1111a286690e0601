#include "render/Direct3DVertexBuffer8.h"

#include "render/DeviceSeam.h"

#include <algorithm>
#include <cstring>

namespace triview {

Direct3DVertexBuffer8::Direct3DVertexBuffer8(std::shared_ptr<GlContext> context, GlBuffer buffer,
    std::int32_t length, std::shared_ptr<DeviceSeam> seam)
    : m_context(std::move(context))
    , m_buffer(std::move(buffer))
    , m_length(length)
    , m_seam(std::move(seam))
    , m_bytes(static_cast<std::size_t>(length))
    , m_dirtyEnd(m_bytes.size()) // the GL buffer starts undefined: send the zeros too
{ }

Direct3DVertexBuffer8::~Direct3DVertexBuffer8()
{
    if (m_seam)
        m_seam->enter("Release:VertexBuffer");
}

void Direct3DVertexBuffer8::write(std::int32_t offset, const void* data, std::int32_t size)
{
    const auto begin = static_cast<std::size_t>(offset);
    const auto end = begin + static_cast<std::size_t>(size);
    std::memcpy(m_bytes.data() + begin, data, static_cast<std::size_t>(size));
    if (m_dirtyBegin == m_dirtyEnd) {
        m_dirtyBegin = begin;
        m_dirtyEnd = end;
    } else {
        m_dirtyBegin = std::min(m_dirtyBegin, begin);
        m_dirtyEnd = std::max(m_dirtyEnd, end);
    }
}

void Direct3DVertexBuffer8::upload()
{
    if (m_dirtyBegin == m_dirtyEnd)
        return;
    m_context->makeCurrent();
    auto& gl = m_context->gl();
    gl.glBindBuffer(GL_ARRAY_BUFFER, m_buffer.name());
    gl.glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(m_dirtyBegin),
        static_cast<GLsizeiptr>(m_dirtyEnd - m_dirtyBegin), m_bytes.data() + m_dirtyBegin);
    m_dirtyBegin = m_dirtyEnd = 0;
}

std::vector<std::byte> Direct3DVertexBuffer8::contents()
{
    upload();
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
