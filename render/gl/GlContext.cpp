#include "render/gl/GlContext.h"

#include "render/gl/WindowSystemGl.h"

// EGL without X11's headers, whose macros clash with everyone's names.
#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <cstring>
#include <string_view>
#include <vector>

namespace triview {

namespace {

bool hasExtension(const char* extensions, std::string_view name)
{
    for (std::string_view rest = extensions ? extensions : ""; !rest.empty();) {
        const std::size_t end = std::min(rest.find(' '), rest.size());
        if (rest.substr(0, end) == name)
            return true;
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return false;
}

template <typename Function> Function eglFunction(const char* name)
{
    return reinterpret_cast<Function>(eglGetProcAddress(name));
}

// The displays worth trying, best first: each GPU with a render node, then
// Mesa's surfaceless platform, which draws in software and needs nothing.
std::vector<EGLDisplay> candidateDisplays()
{
    std::vector<EGLDisplay> displays;
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    const auto platformDisplay
        = eglFunction<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    if (platformDisplay == nullptr)
        return displays;
    if (hasExtension(client, "EGL_EXT_device_enumeration")
        && hasExtension(client, "EGL_EXT_platform_device")) {
        const auto queryDevices = eglFunction<PFNEGLQUERYDEVICESEXTPROC>("eglQueryDevicesEXT");
        const auto deviceString
            = eglFunction<PFNEGLQUERYDEVICESTRINGEXTPROC>("eglQueryDeviceStringEXT");
        EGLDeviceEXT devices[16];
        EGLint count = 0;
        if (queryDevices && deviceString && queryDevices(16, devices, &count)) {
            for (EGLint i = 0; i < count; ++i)
                if (deviceString(devices[i], EGL_DRM_RENDER_NODE_FILE_EXT) != nullptr)
                    displays.push_back(
                        platformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr));
        }
    }
    if (hasExtension(client, "EGL_MESA_platform_surfaceless"))
        displays.push_back(
            platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr));
    return displays;
}

// A 3.3 core context on display, made current with no surface; or none.
// The display stays initialised: other contexts may share it.
EGLContext createContext(EGLDisplay display)
{
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        return EGL_NO_CONTEXT;
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!hasExtension(extensions, "EGL_KHR_surfaceless_context")
        || !hasExtension(extensions, "EGL_KHR_no_config_context") || !eglBindAPI(EGL_OPENGL_API))
        return EGL_NO_CONTEXT;
    const EGLint attributes[] = { EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE };
    const EGLContext context
        = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context != EGL_NO_CONTEXT
        && !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        eglDestroyContext(display, context);
        return EGL_NO_CONTEXT;
    }
    return context;
}

} // namespace

std::shared_ptr<GlContext> GlContext::create()
{
    std::shared_ptr<GlContext> context(new GlContext);
    for (const EGLDisplay display : candidateDisplays()) {
        context->m_eglContext = createContext(display);
        if (context->m_eglContext == EGL_NO_CONTEXT)
            continue;
        context->m_eglDisplay = display;
        if (context->loadFunctions())
            return context;
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context->m_eglContext);
        context->m_eglContext = context->m_eglDisplay = nullptr;
    }
    context->m_windowSystem = WindowSystemGl::create();
    return context->m_windowSystem && context->loadFunctions() ? context : nullptr;
}

bool GlContext::eglAvailable()
{
    for (const EGLDisplay display : candidateDisplays())
        if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr))
            return true;
    return false;
}

bool GlContext::loadFunctions()
{
    const bool loaded = m_functions.load([this](const char* name) {
        return m_windowSystem ? m_windowSystem->resolve(name)
                              : reinterpret_cast<void*>(eglGetProcAddress(name));
    });
    GLint major = 0, minor = 0;
    if (loaded) {
        m_functions.glGetIntegerv(GL_MAJOR_VERSION, &major);
        m_functions.glGetIntegerv(GL_MINOR_VERSION, &minor);
    }
    return major > 3 || (major == 3 && minor >= 3);
}

GlContext::~GlContext()
{
    if (m_eglContext != nullptr) {
        if (eglGetCurrentContext() == m_eglContext)
            eglMakeCurrent(m_eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(m_eglDisplay, m_eglContext);
    }
}

void GlContext::makeCurrent()
{
    if (m_windowSystem)
        m_windowSystem->makeCurrent();
    else if (eglGetCurrentContext() != m_eglContext)
        eglMakeCurrent(m_eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, m_eglContext);
}

} // namespace triview
