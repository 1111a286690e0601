#include "render/Direct3DDevice8.h"

#include "render/D3DXMath.h"
#include "render/DeviceSeam.h"
#include "render/Direct3D8.h"
#include "render/Direct3DVertexBuffer8.h"
#include "render/PresentTarget.h"

#include <algorithm>
#include <new>

namespace triview {

HRESULT Direct3DDevice8::create(PresentTarget& target, const BackBuffer& backBuffer,
    BackendFactory makeBackend, std::shared_ptr<DeviceSeam> seam,
    std::unique_ptr<Direct3DDevice8>& out)
{
    if (backBuffer.size.isEmpty())
        return D3DERR_INVALIDCALL;
    std::unique_ptr<DeviceBackend> backend;
    if (const HRESULT hr = makeBackend(backBuffer, seam.get(), backend); failed(hr))
        return hr;
    out.reset(new Direct3DDevice8(std::move(backend), target, backBuffer, std::move(seam)));
    return D3D_OK;
}

Direct3DDevice8::Direct3DDevice8(std::unique_ptr<DeviceBackend> backend, PresentTarget& target,
    const BackBuffer& backBuffer, std::shared_ptr<DeviceSeam> seam)
    : m_backend(std::move(backend))
    , m_target(&target)
    , m_size(backBuffer.size)
    , m_seam(std::move(seam))
    , m_followsTarget(backBuffer.followsTarget)
    , m_alpha(backBuffer.alpha)
    , m_hasDepthBuffer(backBuffer.depth)
    // A device with a depth buffer starts with the depth test on.
    , m_zEnable(backBuffer.depth ? D3DZB_TRUE : D3DZB_FALSE)
    , m_world(identityMatrix())
    , m_view(identityMatrix())
    , m_projection(identityMatrix())
{ }

// A window moved to a screen of another scale has another pixel size: the
// frame is drawn at it, sharp, rather than stretched. A size the device
// cannot have keeps the one it has, and the window stretches the frame.
void Direct3DDevice8::followTarget()
{
    const PixelSize wanted = m_target->pixelSize();
    if (!m_followsTarget || m_inScene || wanted == m_size || wanted.isEmpty()
        || std::max(wanted.width, wanted.height) > int(kMaxBackBufferSide))
        return;
    if (m_backend->resize(wanted))
        m_size = wanted;
}

Direct3DDevice8::~Direct3DDevice8()
{
    if (m_seam)
        m_seam->enter("Release:Device");
}

HRESULT Direct3DDevice8::enter(const char* operation) const
{
    return m_seam ? m_seam->enter(operation) : D3D_OK;
}

HRESULT Direct3DDevice8::SetRenderState(std::uint32_t state, std::uint32_t value)
{
    const std::string operation = "SetRenderState:" + std::to_string(state);
    if (const HRESULT hr = enter(operation.c_str()); failed(hr))
        return hr;
    switch (state) {
    case D3DRS_CULLMODE:
        if (value < D3DCULL_NONE || value > D3DCULL_CCW)
            return D3DERR_INVALIDCALL;
        m_cullMode = value;
        return D3D_OK;
    case D3DRS_ZENABLE:
        if (value != D3DZB_FALSE && value != D3DZB_TRUE)
            return D3DERR_INVALIDCALL;
        m_zEnable = value;
        return D3D_OK;
    case D3DRS_LIGHTING:
        if (value > 1)
            return D3DERR_INVALIDCALL;
        m_lighting = value != 0;
        return D3D_OK;
    case D3DRS_SHADEMODE:
        return value == D3DSHADE_GOURAUD ? D3D_OK : D3DERR_INVALIDCALL;
    default:
        return D3DERR_INVALIDCALL;
    }
}

HRESULT Direct3DDevice8::CreateVertexBuffer(std::int32_t length, std::uint32_t usage,
    std::uint32_t fvf, std::uint32_t pool, std::shared_ptr<Direct3DVertexBuffer8>& out)
{
    if (const HRESULT hr = enter("CreateVertexBuffer"); failed(hr))
        return hr;
    if (m_seam && m_seam->yieldsNothing("CreateVertexBuffer")) {
        out.reset();
        return D3D_OK;
    }
    if (length <= 0 || usage != 0 || fvf != kVertexFormat || pool != D3DPOOL_DEFAULT)
        return D3DERR_INVALIDCALL;

    std::unique_ptr<BufferCopy> copy;
    if (const HRESULT hr = m_backend->makeBufferCopy(length, copy); failed(hr))
        return hr;
    try {
        // Bytes no fill reaches stay zero: degenerate black triangles.
        out = std::make_shared<Direct3DVertexBuffer8>(length, std::move(copy), m_seam, m_maker);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT Direct3DDevice8::Clear(std::uint32_t count, const D3DRECT* rects, std::uint32_t flags,
    D3DCOLOR colour, float z, std::uint32_t stencil)
{
    if (const HRESULT hr = enter("Clear"); failed(hr))
        return hr;
    const std::uint32_t known = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER;
    if (count != 0 || rects != nullptr || stencil != 0 || (flags & ~known) != 0
        || ((flags & D3DCLEAR_ZBUFFER) && !m_hasDepthBuffer) || z < 0.0f || z > 1.0f)
        return D3DERR_INVALIDCALL;

    followTarget();
    std::optional<D3DCOLOR> target;
    if (flags & D3DCLEAR_TARGET)
        target = m_alpha ? colour : colour | 0xFF000000u;
    std::optional<float> depth;
    if (flags & D3DCLEAR_ZBUFFER)
        depth = z;
    m_backend->clear(target, depth);
    return D3D_OK;
}

HRESULT Direct3DDevice8::BeginScene()
{
    if (const HRESULT hr = enter("BeginScene"); failed(hr))
        return hr;
    if (m_inScene)
        return D3DERR_INVALIDCALL;
    m_inScene = true;
    return D3D_OK;
}

HRESULT Direct3DDevice8::EndScene()
{
    if (const HRESULT hr = enter("EndScene"); failed(hr))
        return hr;
    if (!m_inScene)
        return D3DERR_INVALIDCALL;
    m_inScene = false;
    return D3D_OK;
}

HRESULT Direct3DDevice8::SetTransform(std::uint32_t state, const D3DMATRIX& matrix)
{
    const std::string operation = "SetTransform:" + std::to_string(state);
    if (const HRESULT hr = enter(operation.c_str()); failed(hr))
        return hr;
    switch (state) {
    case D3DTS_WORLD:
        m_world = matrix;
        return D3D_OK;
    case D3DTS_VIEW:
        m_view = matrix;
        return D3D_OK;
    case D3DTS_PROJECTION:
        m_projection = matrix;
        return D3D_OK;
    default:
        return D3DERR_INVALIDCALL;
    }
}

HRESULT Direct3DDevice8::SetStreamSource(std::uint32_t stream,
    const std::shared_ptr<Direct3DVertexBuffer8>& buffer, std::uint32_t stride)
{
    if (const HRESULT hr = enter("SetStreamSource"); failed(hr))
        return hr;
    if (stream != 0 || (buffer && (stride != kVertexStride || !buffer->madeBy(m_maker))))
        return D3DERR_INVALIDCALL;
    m_stream = buffer;
    return D3D_OK;
}

HRESULT Direct3DDevice8::SetVertexShader(std::uint32_t handle)
{
    if (const HRESULT hr = enter("SetVertexShader"); failed(hr))
        return hr;
    if (handle != kVertexFormat)
        return D3DERR_INVALIDCALL;
    m_vertexShader = handle;
    return D3D_OK;
}

HRESULT Direct3DDevice8::DrawPrimitive(
    std::uint32_t type, std::int32_t startVertex, std::int32_t primitiveCount)
{
    if (const HRESULT hr = enter("DrawPrimitive"); failed(hr))
        return hr;
    const std::shared_ptr<Direct3DVertexBuffer8> stream = m_stream.lock();
    if (!m_inScene || type != D3DPT_TRIANGLELIST || !stream || m_vertexShader != kVertexFormat
        || startVertex < 0 || primitiveCount < 0)
        return D3DERR_INVALIDCALL;
    const std::int64_t endVertex
        = std::int64_t { startVertex } + 3 * std::int64_t { primitiveCount };
    if (endVertex * kVertexStride > stream->length())
        return D3DERR_INVALIDCALL;
    if (primitiveCount == 0)
        return D3D_OK;

    D3DMATRIX transform;
    D3DXMatrixMultiply(transform, m_world, m_view);
    D3DXMatrixMultiply(transform, transform, m_projection);
    if (m_pictureHeight > 0) {
        // The band's rows, from y = 1 - 2 top / H down to 1 - 2 (top + h) / H
        // in the picture, stretched over the back buffer's -1 to 1: y' = (y -
        // middle) H / h, in clip space (y - middle w) H / h.
        const double stretch = double(m_pictureHeight) / m_size.height;
        const double middle = 1.0 - (2.0 * m_bandTop + m_size.height) / m_pictureHeight;
        for (auto& row : transform.m)
            row[1] = static_cast<float>((row[1] - middle * row[3]) * stretch);
    }

    const DrawState state { transform, m_lighting, m_zEnable == D3DZB_TRUE && m_hasDepthBuffer,
        m_cullMode };
    m_backend->draw(state, *stream, startVertex, 3 * primitiveCount);
    return D3D_OK;
}

void Direct3DDevice8::setBand(int pictureHeight, int top)
{
    m_pictureHeight = pictureHeight;
    m_bandTop = top;
}

void Direct3DDevice8::setDeadline(const std::optional<Deadline>& deadline)
{
    m_backend->setDeadline(deadline);
}

HRESULT Direct3DDevice8::Present(const D3DRECT* source, const D3DRECT* destination,
    PresentTarget* overrideWindow, const void* dirtyRegion)
{
    if (const HRESULT hr = enter("Present"); failed(hr))
        return hr;
    if (source != nullptr || destination != nullptr || overrideWindow != nullptr
        || dirtyRegion != nullptr)
        return D3DERR_INVALIDCALL;

    Frame frame { m_size, m_alpha, {} };
    m_backend->read(frame);
    m_target->present(std::move(frame));
    return D3D_OK;
}

} // namespace triview
