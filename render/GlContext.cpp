#include "render/GlContext.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLVersionFunctionsFactory>
#include <QSurfaceFormat>

namespace triview {

std::shared_ptr<GlContext> GlContext::create()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);

    std::shared_ptr<GlContext> context(new GlContext);
    context->m_surface = std::make_unique<QOffscreenSurface>();
    context->m_surface->setFormat(format);
    context->m_surface->create();
    context->m_context = std::make_unique<QOpenGLContext>();
    context->m_context->setFormat(format);
    if (!context->m_surface->isValid() || !context->m_context->create())
        return nullptr;
    const QSurfaceFormat actual = context->m_context->format();
    if (actual.version() < qMakePair(3, 3) || actual.profile() != QSurfaceFormat::CoreProfile)
        return nullptr;
    if (!context->m_context->makeCurrent(context->m_surface.get()))
        return nullptr;
    context->m_functions
        = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_3_3_Core>(context->m_context.get());
    if (context->m_functions == nullptr || !context->m_functions->initializeOpenGLFunctions())
        return nullptr;
    return context;
}

GlContext::~GlContext()
{
    if (m_context && QOpenGLContext::currentContext() == m_context.get())
        m_context->doneCurrent();
}

void GlContext::makeCurrent()
{
    if (QOpenGLContext::currentContext() != m_context.get())
        m_context->makeCurrent(m_surface.get());
}

} // namespace triview
