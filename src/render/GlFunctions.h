// The OpenGL calls of the renderer. Linux's libGL exports every core
// function; Windows' opengl32 exports those of OpenGL 1.1 alone and hands
// out the rest through wglGetProcAddress, once a context is current. So on
// Windows the later ones are pointers of the same names in this namespace,
// which the renderer's unqualified calls find first.
#pragma once
#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
// windows.h must come first: gl.h needs its calling conventions.
#include <GL/gl.h>
#include <GL/glext.h>
#else
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#endif

namespace quarvel::render {

// Everything the renderer calls beyond OpenGL 1.1.
#define QUARVEL_GL_FUNCTIONS(X)                                  \
  X(PFNGLACTIVETEXTUREPROC, glActiveTexture)                     \
  X(PFNGLATTACHSHADERPROC, glAttachShader)                       \
  X(PFNGLBINDBUFFERPROC, glBindBuffer)                           \
  X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                 \
  X(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)               \
  X(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray)                 \
  X(PFNGLBUFFERDATAPROC, glBufferData)                           \
  X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)   \
  X(PFNGLCLEARBUFFERUIVPROC, glClearBufferuiv)                   \
  X(PFNGLCOMPILESHADERPROC, glCompileShader)                     \
  X(PFNGLCREATEPROGRAMPROC, glCreateProgram)                     \
  X(PFNGLCREATESHADERPROC, glCreateShader)                       \
  X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers)                     \
  X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)           \
  X(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                     \
  X(PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)         \
  X(PFNGLDELETESHADERPROC, glDeleteShader)                       \
  X(PFNGLDELETEVERTEXARRAYSPROC, glDeleteVertexArrays)           \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray) \
  X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer) \
  X(PFNGLGENBUFFERSPROC, glGenBuffers)                           \
  X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                 \
  X(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)               \
  X(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays)                 \
  X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                       \
  X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)               \
  X(PFNGLGETSHADERIVPROC, glGetShaderiv)                         \
  X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)           \
  X(PFNGLLINKPROGRAMPROC, glLinkProgram)                         \
  X(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)         \
  X(PFNGLSHADERSOURCEPROC, glShaderSource)                       \
  X(PFNGLUNIFORM1IPROC, glUniform1i)                             \
  X(PFNGLUNIFORM3FPROC, glUniform3f)                             \
  X(PFNGLUNIFORMMATRIX4FVPROC, glUniformMatrix4fv)               \
  X(PFNGLUSEPROGRAMPROC, glUseProgram)                           \
  X(PFNGLVERTEXATTRIBIPOINTERPROC, glVertexAttribIPointer)       \
  X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)

#if defined(_WIN32)
#define QUARVEL_GL_POINTER(type, name) inline type name = nullptr;
QUARVEL_GL_FUNCTIONS(QUARVEL_GL_POINTER)
#undef QUARVEL_GL_POINTER
#endif

// Makes sure the functions above can be called in the context current now;
// false when the driver lacks one of them.
inline bool LoadGlFunctions() {
#if defined(_WIN32)
  bool all = true;
  const auto resolve = [&all](const char* name) {
    const PROC found = ::wglGetProcAddress(name);
    // Some drivers answer a failure with a small number instead of null.
    const auto value = reinterpret_cast<std::intptr_t>(found);
    if (value >= -1 && value <= 3) all = false;
    // Through the type of no arguments, which may be cast to any function.
    return reinterpret_cast<void (*)()>(found);
  };
#define QUARVEL_GL_LOAD(type, name) name = reinterpret_cast<type>(resolve(#name));
  QUARVEL_GL_FUNCTIONS(QUARVEL_GL_LOAD)
#undef QUARVEL_GL_LOAD
  return all;
#else
  return true;
#endif
}

}  // namespace quarvel::render
