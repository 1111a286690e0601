/* The floor of any OpenGL picture writer: the surfaceless OpenGL 3.3 core
 * context triview draws in, a 256x256 framebuffer cleared and read back,
 * nothing else. No toolkit, no file, no encoder: what a process must pay
 * just to get a picture out of Mesa. Exits 0 when the pixels came back. */
#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glcorearb.h>
#include <stdio.h>
#include <stdlib.h>

enum { kSide = 256 };

int main(void)
{
    PFNEGLGETPLATFORMDISPLAYEXTPROC platformDisplay
        = (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    EGLDisplay display = platformDisplay
        ? platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, NULL)
        : EGL_NO_DISPLAY;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, NULL, NULL)
        || !eglBindAPI(EGL_OPENGL_API))
        return 1;
    const EGLint attributes[] = { EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE };
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT
        || !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
        return 1;

#define GL(type, name) type name = (type)eglGetProcAddress(#name)
    GL(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers);
    GL(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer);
    GL(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers);
    GL(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer);
    GL(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage);
    GL(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer);
    GL(PFNGLVIEWPORTPROC, glViewport);
    GL(PFNGLCLEARCOLORPROC, glClearColor);
    GL(PFNGLCLEARPROC, glClear);
    GL(PFNGLREADPIXELSPROC, glReadPixels);
#undef GL
    GLuint framebuffer = 0, colour = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kSide, kSide);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glViewport(0, 0, kSide, kSide);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    unsigned char* pixels = malloc(4 * kSide * kSide);
    if (pixels == NULL)
        return 1;
    pixels[0] = 0xFF;
    glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    const int cleared = pixels[0] == 0;
    free(pixels);
    eglTerminate(display);
    return cleared ? 0 : 1;
}
