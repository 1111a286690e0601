/* The floor of any OpenGL picture writer: the surfaceless OpenGL 3.3 core
 * context triview draws in, a 256x256 framebuffer cleared and read back,
 * nothing else. No toolkit, no file, no encoder: what a process must pay
 * just to get a picture out of Mesa. With --draw, also the least any
 * drawing costs: a vertex and a fragment shader compiled and linked, and
 * one triangle drawn with the depth test on, as triview draws.
 * Exits 0 when the pixels came back. */
#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glcorearb.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kSide = 256 };

static const char* vertexSource = "#version 330 core\n"
                                  "layout(location = 0) in vec3 position;\n"
                                  "void main() { gl_Position = vec4(position, 1.0); }\n";
static const char* fragmentSource = "#version 330 core\n"
                                    "out vec4 colour;\n"
                                    "void main() { colour = vec4(1.0); }\n";

int main(int argc, char** argv)
{
    const int draw = argc > 1 && strcmp(argv[1], "--draw") == 0;
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
    GL(PFNGLCREATESHADERPROC, glCreateShader);
    GL(PFNGLSHADERSOURCEPROC, glShaderSource);
    GL(PFNGLCOMPILESHADERPROC, glCompileShader);
    GL(PFNGLCREATEPROGRAMPROC, glCreateProgram);
    GL(PFNGLATTACHSHADERPROC, glAttachShader);
    GL(PFNGLLINKPROGRAMPROC, glLinkProgram);
    GL(PFNGLUSEPROGRAMPROC, glUseProgram);
    GL(PFNGLGENBUFFERSPROC, glGenBuffers);
    GL(PFNGLBINDBUFFERPROC, glBindBuffer);
    GL(PFNGLBUFFERDATAPROC, glBufferData);
    GL(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays);
    GL(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray);
    GL(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray);
    GL(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer);
    GL(PFNGLDRAWARRAYSPROC, glDrawArrays);
    GL(PFNGLENABLEPROC, glEnable);
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
    if (draw) {
        GLuint depth = 0, program = glCreateProgram(), buffer = 0, array = 0;
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kSide, kSide);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        const GLenum types[] = { GL_VERTEX_SHADER, GL_FRAGMENT_SHADER };
        const char* sources[] = { vertexSource, fragmentSource };
        for (int i = 0; i < 2; ++i) {
            const GLuint shader = glCreateShader(types[i]);
            glShaderSource(shader, 1, &sources[i], NULL);
            glCompileShader(shader);
            glAttachShader(program, shader);
        }
        glLinkProgram(program);
        glUseProgram(program);
        const float triangle[] = { -0.5f, -0.5f, 0.5f, 0.5f, -0.5f, 0.5f, 0.0f, 0.5f, 0.5f };
        glGenVertexArrays(1, &array);
        glBindVertexArray(array);
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof triangle, triangle, GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, NULL);
        glEnable(GL_DEPTH_TEST);
        glClear(GL_DEPTH_BUFFER_BIT);
        glDrawArrays(GL_TRIANGLES, 0, 3);
    }

    unsigned char* pixels = malloc(4 * kSide * kSide);
    if (pixels == NULL)
        return 1;
    pixels[0] = 0xFF;
    glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    const int cleared = pixels[0] == 0; /* a corner, outside the triangle */
    free(pixels);
    eglTerminate(display);
    return cleared ? 0 : 1;
}
