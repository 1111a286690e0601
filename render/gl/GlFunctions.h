// The OpenGL functions the device calls, resolved from the context that
// made them: EGL's or the window system's.
#pragma once

#include <GL/glcorearb.h>

namespace triview {

#define TRIVIEW_GL_FUNCTIONS(F)                                                                    \
    F(PFNGLATTACHSHADERPROC, glAttachShader)                                                       \
    F(PFNGLBINDBUFFERPROC, glBindBuffer)                                                           \
    F(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                                                 \
    F(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)                                               \
    F(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray)                                                 \
    F(PFNGLBUFFERDATAPROC, glBufferData)                                                           \
    F(PFNGLBUFFERSUBDATAPROC, glBufferSubData)                                                     \
    F(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)                                   \
    F(PFNGLCLEARPROC, glClear)                                                                     \
    F(PFNGLCLEARCOLORPROC, glClearColor)                                                           \
    F(PFNGLCLEARDEPTHPROC, glClearDepth)                                                           \
    F(PFNGLCOMPILESHADERPROC, glCompileShader)                                                     \
    F(PFNGLCREATEPROGRAMPROC, glCreateProgram)                                                     \
    F(PFNGLCREATESHADERPROC, glCreateShader)                                                       \
    F(PFNGLCULLFACEPROC, glCullFace)                                                               \
    F(PFNGLDELETEBUFFERSPROC, glDeleteBuffers)                                                     \
    F(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                                           \
    F(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                                                     \
    F(PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)                                         \
    F(PFNGLDELETESHADERPROC, glDeleteShader)                                                       \
    F(PFNGLDELETEVERTEXARRAYSPROC, glDeleteVertexArrays)                                           \
    F(PFNGLDEPTHFUNCPROC, glDepthFunc)                                                             \
    F(PFNGLDEPTHMASKPROC, glDepthMask)                                                             \
    F(PFNGLDEPTHRANGEPROC, glDepthRange)                                                           \
    F(PFNGLDISABLEPROC, glDisable)                                                                 \
    F(PFNGLDRAWARRAYSPROC, glDrawArrays)                                                           \
    F(PFNGLENABLEPROC, glEnable)                                                                   \
    F(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray)                                 \
    F(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer)                                 \
    F(PFNGLFRONTFACEPROC, glFrontFace)                                                             \
    F(PFNGLGENBUFFERSPROC, glGenBuffers)                                                           \
    F(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                                                 \
    F(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)                                               \
    F(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays)                                                 \
    F(PFNGLGETBUFFERSUBDATAPROC, glGetBufferSubData)                                               \
    F(PFNGLGETERRORPROC, glGetError)                                                               \
    F(PFNGLGETINTEGERVPROC, glGetIntegerv)                                                         \
    F(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)                                             \
    F(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                                                       \
    F(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)                                               \
    F(PFNGLGETSHADERIVPROC, glGetShaderiv)                                                         \
    F(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)                                           \
    F(PFNGLLINKPROGRAMPROC, glLinkProgram)                                                         \
    F(PFNGLPIXELSTOREIPROC, glPixelStorei)                                                         \
    F(PFNGLREADPIXELSPROC, glReadPixels)                                                           \
    F(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)                                         \
    F(PFNGLSHADERSOURCEPROC, glShaderSource)                                                       \
    F(PFNGLUNIFORM1IPROC, glUniform1i)                                                             \
    F(PFNGLUNIFORMMATRIX4FVPROC, glUniformMatrix4fv)                                               \
    F(PFNGLUSEPROGRAMPROC, glUseProgram)                                                           \
    F(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)                                         \
    F(PFNGLVIEWPORTPROC, glViewport)

struct GlFunctions
{
#define TRIVIEW_GL_MEMBER(type, name) type name = nullptr;
    TRIVIEW_GL_FUNCTIONS(TRIVIEW_GL_MEMBER)
#undef TRIVIEW_GL_MEMBER

    // Resolves every function by name; false when one is missing.
    template <typename Resolve> bool load(Resolve&& resolve)
    {
        bool all = true;
#define TRIVIEW_GL_LOAD(type, name)                                                                \
    all &= (name = reinterpret_cast<type>(resolve(#name))) != nullptr;
        TRIVIEW_GL_FUNCTIONS(TRIVIEW_GL_LOAD)
#undef TRIVIEW_GL_LOAD
        return all;
    }
};

} // namespace triview
