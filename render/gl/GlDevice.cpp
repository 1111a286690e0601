#include "render/gl/GlDevice.h"

#include "render/DeviceSeam.h"
#include "render/Direct3DVertexBuffer8.h"
#include "render/gl/GlContext.h"
#include "render/software/SoftwareBackend.h"

#include <cstdio>
#include <string>

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

// A vertex buffer's bytes in a GL buffer object.
class GlBufferCopy final : public BufferCopy
{
public:
    GlBufferCopy(std::shared_ptr<GlContext> context, GlBuffer buffer)
        : m_context(std::move(context))
        , m_buffer(std::move(buffer))
    { }
    GLuint name() const { return m_buffer.name(); }

    void update(std::span<const std::byte> bytes, std::size_t begin, std::size_t end) override
    {
        m_context->makeCurrent();
        auto& gl = m_context->gl();
        gl.glBindBuffer(GL_ARRAY_BUFFER, m_buffer.name());
        gl.glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(begin),
            static_cast<GLsizeiptr>(end - begin), bytes.data() + begin);
    }

    std::vector<std::byte> read(std::size_t length) override
    {
        std::vector<std::byte> bytes(length);
        m_context->makeCurrent();
        auto& gl = m_context->gl();
        gl.glBindBuffer(GL_ARRAY_BUFFER, m_buffer.name());
        gl.glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(length), bytes.data());
        return bytes;
    }

private:
    std::shared_ptr<GlContext> m_context; // declared first: outlives the buffer
    GlBuffer m_buffer;
};

class GlBackend final : public DeviceBackend
{
public:
    static HRESULT create(
        const BackBuffer& backBuffer, const DeviceSeam* seam, std::unique_ptr<DeviceBackend>& out);

    bool resize(PixelSize size) override;
    void clear(std::optional<D3DCOLOR> colour, std::optional<float> depth) override;
    void draw(const DrawState& state, Direct3DVertexBuffer8& buffer, int firstVertex,
        int vertexCount) override;
    void read(Frame& frame) override;
    HRESULT makeBufferCopy(std::int32_t length, std::unique_ptr<BufferCopy>& out) override;

private:
    explicit GlBackend(std::shared_ptr<GlContext> context)
        : m_context(std::move(context))
    { }
    bool allocateBuffers(PixelSize size);

    std::shared_ptr<GlContext> m_context; // declared first: outlives the GL objects below
    GlFramebuffer m_framebuffer;
    GlRenderbuffer m_colour;
    GlRenderbuffer m_depth;
    GlProgram m_program;
    GlVertexArray m_vertexArray;
    GLint m_matrixLocation = -1;
    GLint m_lightingLocation = -1;
    PixelSize m_size;
};

HRESULT GlBackend::create(
    const BackBuffer& backBuffer, const DeviceSeam* seam, std::unique_ptr<DeviceBackend>& out)
{
    std::shared_ptr<GlContext> context = GlContext::create();
    if (!context)
        return D3DERR_NOTAVAILABLE;

    std::unique_ptr<GlBackend> backend(new GlBackend(context));
    auto& gl = context->gl();
    backend->m_program = linkProgram(*context, seam);
    if (!backend->m_program)
        return D3DERR_NOTAVAILABLE;
    backend->m_matrixLocation
        = gl.glGetUniformLocation(backend->m_program.name(), "worldViewProjection");
    backend->m_lightingLocation = gl.glGetUniformLocation(backend->m_program.name(), "lighting");

    GLuint name = 0;
    gl.glGenVertexArrays(1, &name);
    backend->m_vertexArray = GlVertexArray(*context, name);
    gl.glGenFramebuffers(1, &name);
    backend->m_framebuffer = GlFramebuffer(*context, name);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, name);
    backend->m_colour = makeRenderbuffer(*context);
    gl.glFramebufferRenderbuffer(
        GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, backend->m_colour.name());
    if (backBuffer.depth) {
        backend->m_depth = makeRenderbuffer(*context);
        gl.glFramebufferRenderbuffer(
            GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, backend->m_depth.name());
    }
    while (gl.glGetError() != GL_NO_ERROR) { }
    if (!backend->allocateBuffers(backBuffer.size))
        return gl.glGetError() == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_NOTAVAILABLE;
    gl.glDepthRange(0.0, 1.0);
    gl.glDepthFunc(GL_LEQUAL);
    gl.glDisable(GL_BLEND);

    out = std::move(backend);
    return D3D_OK;
}

// Gives the bound framebuffer's colour and depth buffers size pixels; false
// when the driver cannot (the error stays for the caller to read).
bool GlBackend::allocateBuffers(PixelSize size)
{
    auto& gl = m_context->gl();
    gl.glBindRenderbuffer(GL_RENDERBUFFER, m_colour.name());
    gl.glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size.width, size.height);
    if (m_depth) {
        gl.glBindRenderbuffer(GL_RENDERBUFFER, m_depth.name());
        gl.glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, size.width, size.height);
    }
    if (gl.glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return false;
    gl.glViewport(0, 0, size.width, size.height);
    m_size = size;
    return true;
}

bool GlBackend::resize(PixelSize size)
{
    m_context->makeCurrent();
    auto& gl = m_context->gl();
    gl.glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer.name());
    while (gl.glGetError() != GL_NO_ERROR) { }
    if (allocateBuffers(size))
        return true;
    allocateBuffers(m_size); // a failed allocation may have dropped the old storage
    return false;
}

void GlBackend::clear(std::optional<D3DCOLOR> colour, std::optional<float> depth)
{
    m_context->makeCurrent();
    auto& gl = m_context->gl();
    gl.glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer.name());
    GLbitfield mask = 0;
    if (colour) {
        const D3DCOLOR c = *colour;
        gl.glClearColor(((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f,
            (c & 0xFF) / 255.0f, (c >> 24) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (depth) {
        gl.glClearDepth(*depth);
        gl.glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    gl.glClear(mask);
}

void GlBackend::draw(
    const DrawState& state, Direct3DVertexBuffer8& buffer, int firstVertex, int vertexCount)
{
    m_context->makeCurrent();
    auto& gl = m_context->gl();
    gl.glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer.name());
    gl.glUseProgram(m_program.name());
    gl.glUniformMatrix4fv(m_matrixLocation, 1, GL_FALSE, &state.transform.m[0][0]);
    gl.glUniform1i(m_lightingLocation, state.lighting ? 1 : 0);

    if (state.depthTest) {
        gl.glEnable(GL_DEPTH_TEST);
    } else {
        gl.glDisable(GL_DEPTH_TEST);
    }
    // Front faces are the ones clockwise on screen; drawn upside down, they
    // are counter-clockwise for GL.
    if (state.cullMode == D3DCULL_NONE) {
        gl.glDisable(GL_CULL_FACE);
    } else {
        gl.glEnable(GL_CULL_FACE);
        gl.glFrontFace(GL_CCW);
        gl.glCullFace(state.cullMode == D3DCULL_CCW ? GL_BACK : GL_FRONT);
    }

    auto* copy = static_cast<GlBufferCopy*>(
        buffer.upload()); // made by makeBufferCopy: the device refuses another device's buffer
    gl.glBindVertexArray(m_vertexArray.name());
    gl.glBindBuffer(GL_ARRAY_BUFFER, copy->name());
    gl.glEnableVertexAttribArray(0);
    gl.glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kVertexStride, nullptr);
    // D3DCOLOR is stored as the bytes B, G, R, A.
    gl.glEnableVertexAttribArray(1);
    gl.glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, kVertexStride,
        reinterpret_cast<const void*>(std::uintptr_t { 12 }));
    gl.glDrawArrays(GL_TRIANGLES, firstVertex, vertexCount);
    gl.glBindVertexArray(0);
}

void GlBackend::read(Frame& frame)
{
    m_context->makeCurrent();
    auto& gl = m_context->gl();
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, m_framebuffer.name());
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    frame.pixels.resize(std::size_t(frame.size.height) * frame.rowBytes());
    gl.glReadPixels(
        0, 0, frame.size.width, frame.size.height, GL_RGBA, GL_UNSIGNED_BYTE, frame.pixels.data());
}

HRESULT GlBackend::makeBufferCopy(std::int32_t length, std::unique_ptr<BufferCopy>& out)
{
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
    out = std::make_unique<GlBufferCopy>(m_context, std::move(buffer));
    return D3D_OK;
}

} // namespace

HRESULT makeGlBackend(
    const BackBuffer& backBuffer, const DeviceSeam* seam, std::unique_ptr<DeviceBackend>& out)
{
    return GlBackend::create(backBuffer, seam, out);
}

std::unique_ptr<DirectX8> newDirectX8()
{
    return std::make_unique<DirectX8>(nullptr, Backends { makeGlBackend, makeSoftwareBackend });
}

} // namespace triview
