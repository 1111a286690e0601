#include "render/Direct3DDevice8.h"

#include "render/D3DXMath.h"
#include "render/DeviceSeam.h"
#include "render/Direct3D8.h"
#include "render/Direct3DVertexBuffer8.h"
#include "render/PresentTarget.h"

#include <QImage>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace triview {

namespace {

// Row-vector matrices go up as they are: GLSL reads them column by column,
// so the shader's M * p is the row vector product p * M. Clip z runs from 0
// to w here and from -w to w in OpenGL, hence the remap. The picture is
// drawn upside down, so that its top row is the first that glReadPixels
// gives and a frame needs no flipping.
constexpr const char* vertexShaderSource = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 colour;
uniform mat4 worldViewProjection;
uniform bool lighting;
out vec3 vertexColour;
void main()
{
    vec4 clip = worldViewProjection * vec4(position, 1.0);
    gl_Position = vec4(clip.x, -clip.y, 2.0 * clip.z - clip.w, clip.w);
    vertexColour = lighting ? vec3(0.0) : colour.rgb;
}
)";

constexpr const char* fragmentShaderSource = R"(#version 330 core
in vec3 vertexColour;
out vec4 fragmentColour;
void main()
{
    // A vertex's alpha never shows: drawn pixels are opaque.
    fragmentColour = vec4(vertexColour, 1.0);
}
)";

// A driver that refuses a shader says why in its log: written to stderr,
// so that a device that cannot be made can be diagnosed.
template <typename GetLog> void writeLog(const char* what, GLuint name, GetLog getLog)
{
    char log[4096] = {};
    GLsizei length = 0;
    getLog(name, sizeof log - 1, &length, log);
    while (length > 0 && (log[length - 1] == '\n' || log[length - 1] == ' '))
        log[--length] = '\0';
    std::fprintf(stderr, "triview: the OpenGL driver refused the %s: %s\n", what, log);
}

GlShader compileShader(GlContext& context, GLenum type, const char* source)
{
    auto& gl = context.gl();
    GlShader shader(context, gl.glCreateShader(type));
    gl.glShaderSource(shader.name(), 1, &source, nullptr);
    gl.glCompileShader(shader.name());
    GLint compiled = GL_FALSE;
    gl.glGetShaderiv(shader.name(), GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE)
        return shader;
    writeLog(type == GL_VERTEX_SHADER ? "vertex shader" : "fragment shader", shader.name(),
        gl.glGetShaderInfoLog);
    return {};
}

// The device's own shaders, or those a test set on its seam.
GlProgram linkProgram(GlContext& context, const DeviceSeam* seam)
{
    auto& gl = context.gl();
    const auto source = [](const char* own, const std::string* replaced) {
        return replaced && !replaced->empty() ? replaced->c_str() : own;
    };
    const GlShader vertex = compileShader(context, GL_VERTEX_SHADER,
        source(vertexShaderSource, seam ? &seam->vertexShader() : nullptr));
    const GlShader fragment = compileShader(context, GL_FRAGMENT_SHADER,
        source(fragmentShaderSource, seam ? &seam->fragmentShader() : nullptr));
    if (!vertex || !fragment)
        return {};
    GlProgram program(context, gl.glCreateProgram());
    gl.glAttachShader(program.name(), vertex.name());
    gl.glAttachShader(program.name(), fragment.name());
    gl.glLinkProgram(program.name());
    GLint linked = GL_FALSE;
    gl.glGetProgramiv(program.name(), GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE)
        return program;
    writeLog("shader program", program.name(), gl.glGetProgramInfoLog);
    return {};
}

// Storage comes later; binding it once makes it a renderbuffer to attach.
GlRenderbuffer makeRenderbuffer(GlContext& context)
{
    GLuint name = 0;
    context.gl().glGenRenderbuffers(1, &name);
    context.gl().glBindRenderbuffer(GL_RENDERBUFFER, name);
    return GlRenderbuffer(context, name);
}

} // namespace

HRESULT Direct3DDevice8::create(PresentTarget& target, const BackBuffer& backBuffer,
    std::shared_ptr<DeviceSeam> seam, std::unique_ptr<Direct3DDevice8>& out)
{
    if (backBuffer.size.isEmpty())
        return D3DERR_INVALIDCALL;
    std::shared_ptr<GlContext> context = GlContext::create();
    if (!context)
        return D3DERR_NOTAVAILABLE;

    std::unique_ptr<Direct3DDevice8> device(
        new Direct3DDevice8(context, target, backBuffer.size, std::move(seam)));
    device->m_alpha = backBuffer.alpha;
    device->m_followsTarget = backBuffer.followsTarget;
    auto& gl = context->gl();
    device->m_program = linkProgram(*context, device->m_seam.get());
    if (!device->m_program)
        return D3DERR_NOTAVAILABLE;
    device->m_matrixLocation
        = gl.glGetUniformLocation(device->m_program.name(), "worldViewProjection");
    device->m_lightingLocation = gl.glGetUniformLocation(device->m_program.name(), "lighting");

    GLuint name = 0;
    gl.glGenVertexArrays(1, &name);
    device->m_vertexArray = GlVertexArray(*context, name);
    gl.glGenFramebuffers(1, &name);
    device->m_framebuffer = GlFramebuffer(*context, name);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, name);
    device->m_colour = makeRenderbuffer(*context);
    gl.glFramebufferRenderbuffer(
        GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, device->m_colour.name());
    if (backBuffer.depth) {
        device->m_depth = makeRenderbuffer(*context);
        gl.glFramebufferRenderbuffer(
            GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, device->m_depth.name());
        // A device with a depth buffer starts with the depth test on.
        device->m_hasDepthBuffer = true;
        device->m_zEnable = D3DZB_TRUE;
    }
    while (gl.glGetError() != GL_NO_ERROR) { }
    if (!device->allocateBuffers(backBuffer.size))
        return gl.glGetError() == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_NOTAVAILABLE;
    gl.glDepthRange(0.0, 1.0);
    gl.glDepthFunc(GL_LEQUAL);
    gl.glDisable(GL_BLEND);

    out = std::move(device);
    return D3D_OK;
}

// Gives the bound framebuffer's colour and depth buffers size pixels; false
// when the driver cannot (the error stays for the caller to read).
bool Direct3DDevice8::allocateBuffers(QSize size)
{
    auto& gl = m_context->gl();
    gl.glBindRenderbuffer(GL_RENDERBUFFER, m_colour.name());
    gl.glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size.width(), size.height());
    if (m_depth) {
        gl.glBindRenderbuffer(GL_RENDERBUFFER, m_depth.name());
        gl.glRenderbufferStorage(
            GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, size.width(), size.height());
    }
    if (gl.glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return false;
    gl.glViewport(0, 0, size.width(), size.height());
    m_size = size;
    return true;
}

// A window moved to a screen of another scale has another pixel size: the
// frame is drawn at it, sharp, rather than stretched. A size the device
// cannot have keeps the one it has, and the window stretches the frame.
void Direct3DDevice8::followTarget()
{
    const QSize wanted = m_target->pixelSize();
    if (!m_followsTarget || m_inScene || wanted == m_size || wanted.isEmpty()
        || std::max(wanted.width(), wanted.height()) > int(kMaxBackBufferSide))
        return;
    auto& gl = m_context->gl();
    while (gl.glGetError() != GL_NO_ERROR) { }
    if (!allocateBuffers(wanted))
        allocateBuffers(m_size);
}

Direct3DDevice8::Direct3DDevice8(std::shared_ptr<GlContext> context, PresentTarget& target,
    QSize size, std::shared_ptr<DeviceSeam> seam)
    : m_context(std::move(context))
    , m_target(&target)
    , m_size(size)
    , m_seam(std::move(seam))
    , m_world(identityMatrix())
    , m_view(identityMatrix())
    , m_projection(identityMatrix())
{ }

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

    m_context->makeCurrent();
    auto& gl = m_context->gl();
    while (gl.glGetError() != GL_NO_ERROR) { }
    GLuint name = 0;
    gl.glGenBuffers(1, &name);
    GlBuffer buffer(*m_context, name);
    gl.glBindBuffer(GL_ARRAY_BUFFER, name);
    gl.glBufferData(GL_ARRAY_BUFFER, length, nullptr, GL_STATIC_DRAW);
    if (gl.glGetError() == GL_OUT_OF_MEMORY)
        return D3DERR_OUTOFVIDEOMEMORY;
    try {
        // Bytes no fill reaches stay zero: degenerate black triangles.
        out = std::make_shared<Direct3DVertexBuffer8>(m_context, std::move(buffer), length, m_seam);
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

    m_context->makeCurrent();
    auto& gl = m_context->gl();
    gl.glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer.name());
    followTarget();
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        gl.glClearColor(((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f,
            (colour & 0xFF) / 255.0f, m_alpha ? (colour >> 24) / 255.0f : 1.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        gl.glClearDepth(z);
        gl.glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    gl.glClear(mask);
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
    if (stream != 0 || (buffer && stride != kVertexStride))
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
        const double stretch = double(m_pictureHeight) / m_size.height();
        const double middle = 1.0 - (2.0 * m_bandTop + m_size.height()) / m_pictureHeight;
        for (auto& row : transform.m)
            row[1] = static_cast<float>((row[1] - middle * row[3]) * stretch);
    }

    m_context->makeCurrent();
    auto& gl = m_context->gl();
    gl.glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer.name());
    gl.glUseProgram(m_program.name());
    gl.glUniformMatrix4fv(m_matrixLocation, 1, GL_FALSE, &transform.m[0][0]);
    gl.glUniform1i(m_lightingLocation, m_lighting ? 1 : 0);

    if (m_zEnable == D3DZB_TRUE && m_hasDepthBuffer) {
        gl.glEnable(GL_DEPTH_TEST);
    } else {
        gl.glDisable(GL_DEPTH_TEST);
    }
    // Front faces are the ones clockwise on screen; drawn upside down, they
    // are counter-clockwise for GL.
    if (m_cullMode == D3DCULL_NONE) {
        gl.glDisable(GL_CULL_FACE);
    } else {
        gl.glEnable(GL_CULL_FACE);
        gl.glFrontFace(GL_CCW);
        gl.glCullFace(m_cullMode == D3DCULL_CCW ? GL_BACK : GL_FRONT);
    }

    stream->upload();
    gl.glBindVertexArray(m_vertexArray.name());
    gl.glBindBuffer(GL_ARRAY_BUFFER, stream->glName());
    gl.glEnableVertexAttribArray(0);
    gl.glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kVertexStride, nullptr);
    // D3DCOLOR is stored as the bytes B, G, R, A.
    gl.glEnableVertexAttribArray(1);
    gl.glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, kVertexStride,
        reinterpret_cast<const void*>(std::uintptr_t { 12 }));
    gl.glDrawArrays(GL_TRIANGLES, startVertex, 3 * primitiveCount);
    gl.glBindVertexArray(0);
    return D3D_OK;
}

void Direct3DDevice8::setBand(int pictureHeight, int top)
{
    m_pictureHeight = pictureHeight;
    m_bandTop = top;
}

HRESULT Direct3DDevice8::Present(const D3DRECT* source, const D3DRECT* destination,
    PresentTarget* overrideWindow, const void* dirtyRegion)
{
    if (const HRESULT hr = enter("Present"); failed(hr))
        return hr;
    if (source != nullptr || destination != nullptr || overrideWindow != nullptr
        || dirtyRegion != nullptr)
        return D3DERR_INVALIDCALL;

    m_context->makeCurrent();
    auto& gl = m_context->gl();
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, m_framebuffer.name());
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // Drawn pixels are opaque, so alpha needs no premultiplying.
    QImage frame(m_size, m_alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    gl.glReadPixels(0, 0, m_size.width(), m_size.height(), GL_RGBA, GL_UNSIGNED_BYTE, frame.bits());
    m_target->present(std::move(frame));
    return D3D_OK;
}

} // namespace triview
