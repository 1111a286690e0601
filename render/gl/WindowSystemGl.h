// An OpenGL 3.3 core context from the window system, through Qt: what the
// device falls back on where EGL gives no context. Needs a
// QGuiApplication on a platform with OpenGL.
#pragma once

#include <memory>

class QOffscreenSurface;
class QOpenGLContext;

namespace triview {

class WindowSystemGl
{
public:
    // Null without a QGuiApplication, or when no 3.3 core context can be had.
    static std::unique_ptr<WindowSystemGl> create();
    ~WindowSystemGl();

    void makeCurrent();
    // The address of an OpenGL function, or null.
    void* resolve(const char* name) const;

private:
    WindowSystemGl() = default;

    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLContext> m_context; // after the surface: goes first
};

} // namespace triview
