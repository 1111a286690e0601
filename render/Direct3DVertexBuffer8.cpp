#include "render/Direct3DVertexBuffer8.h"

#include "render/DeviceSeam.h"

#include <algorithm>
#include <cstring>

namespace triview {

Direct3DVertexBuffer8::Direct3DVertexBuffer8(std::int32_t length, std::unique_ptr<BufferCopy> copy,
    std::shared_ptr<DeviceSeam> seam, std::weak_ptr<const void> maker)
    : m_length(length)
    , m_bytes(static_cast<std::size_t>(length))
    , m_copy(std::move(copy))
    , m_seam(std::move(seam))
    , m_maker(std::move(maker))
    , m_dirtyEnd(m_bytes.size()) // a copy starts undefined: send the zeros too
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

BufferCopy* Direct3DVertexBuffer8::upload()
{
    if (m_copy && m_dirtyBegin != m_dirtyEnd)
        m_copy->update(m_bytes, m_dirtyBegin, m_dirtyEnd);
    m_dirtyBegin = m_dirtyEnd = 0;
    return m_copy.get();
}

std::vector<std::byte> Direct3DVertexBuffer8::contents()
{
    if (BufferCopy* copy = upload())
        return copy->read(m_bytes.size());
    return m_bytes;
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
