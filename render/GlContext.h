// An OpenGL 3.3 core context on an offscreen surface, and move-only owners
// for the GL objects that live in it. A GL object is deleted with its
// context made current, so it may go in any order relative to others, but
// it must not outlive the context: whoever owns GL objects holds the context
// (a shared_ptr) declared before them.
#pragma once

#include <QOpenGLFunctions_3_3_Core>
#include <memory>
#include <type_traits>
#include <utility>

class QOffscreenSurface;
class QOpenGLContext;

namespace triview {

class GlContext
{
public:
    // Null when no OpenGL 3.3 core context can be had.
    static std::shared_ptr<GlContext> create();
    ~GlContext();

    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    void makeCurrent();
    QOpenGLFunctions_3_3_Core& gl() { return *m_functions; }

private:
    GlContext() = default;

    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLContext> m_context; // after the surface: goes first
    QOpenGLFunctions_3_3_Core* m_functions = nullptr; // owned by the context
};

// Owns one GL object name; Delete removes it from the context.
template <void (*Delete)(QOpenGLFunctions_3_3_Core&, GLuint)> class GlObject
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
inline void buffer(QOpenGLFunctions_3_3_Core& gl, GLuint name)
{
    gl.glDeleteBuffers(1, &name);
}
inline void vertexArray(QOpenGLFunctions_3_3_Core& gl, GLuint name)
{
    gl.glDeleteVertexArrays(1, &name);
}
inline void renderbuffer(QOpenGLFunctions_3_3_Core& gl, GLuint name)
{
    gl.glDeleteRenderbuffers(1, &name);
}
inline void framebuffer(QOpenGLFunctions_3_3_Core& gl, GLuint name)
{
    gl.glDeleteFramebuffers(1, &name);
}
inline void program(QOpenGLFunctions_3_3_Core& gl, GLuint name)
{
    gl.glDeleteProgram(name);
}
inline void shader(QOpenGLFunctions_3_3_Core& gl, GLuint name)
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
