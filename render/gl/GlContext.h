// An OpenGL 3.3 core context with no surface of its own (the device draws
// into framebuffer objects and reads the picture back), and move-only owners
// for the GL objects that live in it. The context comes from EGL, which
// needs no display: a GPU's render node when EGL finds one, else Mesa's
// surfaceless platform; where EGL gives none, from the window system. A GL
// object is deleted with its context made current, so it may go in any
// order relative to others, but it must not outlive the context: whoever
// owns GL objects holds the context (a shared_ptr) declared before them.
#pragma once

#include "render/gl/GlFunctions.h"

#include <memory>
#include <type_traits>
#include <utility>

namespace triview {

class WindowSystemGl;

class GlContext
{
public:
    // Null when no OpenGL 3.3 core context can be had.
    static std::shared_ptr<GlContext> create();
    // Whether EGL has a display to draw with (a cheap look, no context).
    static bool eglAvailable();
    ~GlContext();

    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    void makeCurrent();
    const GlFunctions& gl() const { return m_functions; }

private:
    GlContext() = default;
    bool loadFunctions();

    void* m_eglDisplay = nullptr; // EGLDisplay and EGLContext, or:
    void* m_eglContext = nullptr;
    std::unique_ptr<WindowSystemGl> m_windowSystem;
    GlFunctions m_functions;
};

// Owns one GL object name; Delete removes it from the context.
template <void (*Delete)(const GlFunctions&, GLuint)> class GlObject
{
public:
    GlObject() = default;
    GlObject(GlContext& context, GLuint name)
        : m_context(&context)
        , m_name(name)
    { }
    ~GlObject() { reset(); }

    GlObject(GlObject&& other) noexcept
        : m_context(std::exchange(other.m_context, nullptr))
        , m_name(std::exchange(other.m_name, 0))
    { }
    GlObject& operator=(GlObject&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_context = std::exchange(other.m_context, nullptr);
            m_name = std::exchange(other.m_name, 0);
        }
        return *this;
    }

    GLuint name() const { return m_name; }
    explicit operator bool() const { return m_name != 0; }

    void reset()
    {
        if (m_name != 0) {
            m_context->makeCurrent();
            Delete(m_context->gl(), m_name);
            m_name = 0;
        }
    }

private:
    GlContext* m_context = nullptr;
    GLuint m_name = 0;
};

namespace gldelete {
inline void buffer(const GlFunctions& gl, GLuint name)
{
    gl.glDeleteBuffers(1, &name);
}
inline void vertexArray(const GlFunctions& gl, GLuint name)
{
    gl.glDeleteVertexArrays(1, &name);
}
inline void renderbuffer(const GlFunctions& gl, GLuint name)
{
    gl.glDeleteRenderbuffers(1, &name);
}
inline void framebuffer(const GlFunctions& gl, GLuint name)
{
    gl.glDeleteFramebuffers(1, &name);
}
inline void program(const GlFunctions& gl, GLuint name)
{
    gl.glDeleteProgram(name);
}
inline void shader(const GlFunctions& gl, GLuint name)
{
    gl.glDeleteShader(name);
}
} // namespace gldelete

using GlBuffer = GlObject<gldelete::buffer>;
using GlVertexArray = GlObject<gldelete::vertexArray>;
using GlRenderbuffer = GlObject<gldelete::renderbuffer>;
using GlFramebuffer = GlObject<gldelete::framebuffer>;
using GlProgram = GlObject<gldelete::program>;
using GlShader = GlObject<gldelete::shader>;

static_assert(!std::is_copy_constructible_v<GlBuffer> && !std::is_copy_assignable_v<GlBuffer>);
static_assert(std::is_nothrow_move_constructible_v<GlBuffer>);

} // namespace triview
