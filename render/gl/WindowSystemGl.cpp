#include "render/gl/WindowSystemGl.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>

namespace triview {

std::unique_ptr<WindowSystemGl> WindowSystemGl::create()
{
    if (qGuiApp == nullptr)
        return nullptr;
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);

    std::unique_ptr<WindowSystemGl> gl(new WindowSystemGl);
    gl->m_surface = std::make_unique<QOffscreenSurface>();
    gl->m_surface->setFormat(format);
    gl->m_surface->create();
    gl->m_context = std::make_unique<QOpenGLContext>();
    gl->m_context->setFormat(format);
    if (!gl->m_surface->isValid() || !gl->m_context->create())
        return nullptr;
    const QSurfaceFormat actual = gl->m_context->format();
    if (actual.version() < qMakePair(3, 3) || actual.profile() != QSurfaceFormat::CoreProfile
        || !gl->m_context->makeCurrent(gl->m_surface.get()))
        return nullptr;
    return gl;
}

WindowSystemGl::~WindowSystemGl()
{
    if (m_context && QOpenGLContext::currentContext() == m_context.get())
        m_context->doneCurrent();
}

void WindowSystemGl::makeCurrent()
{
    if (QOpenGLContext::currentContext() != m_context.get())
        m_context->makeCurrent(m_surface.get());
}

void* WindowSystemGl::resolve(const char* name) const
{
    return reinterpret_cast<void*>(m_context->getProcAddress(name));
}

} // namespace triview
