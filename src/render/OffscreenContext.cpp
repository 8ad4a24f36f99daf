#include "render/OffscreenContext.h"

#ifndef _WIN32
#include <EGL/egl.h>
#include <EGL/eglext.h>
#endif

#include "common/Error.h"

namespace quarvel::render {

namespace {

[[noreturn]] void Fail(const char* what) {
  throw Error(Text::NoOpenGl, {{"reason", what}});
}

}  // namespace

#ifdef _WIN32

// Windows has no EGL without a display; a context there needs a (hidden)
// window of its own, which only the window's view has.
OffscreenContext::OffscreenContext() {
  Fail("no OpenGL context without a window on Windows");
}

OffscreenContext::~OffscreenContext() = default;

#else

OffscreenContext::OffscreenContext() {
  const auto platformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (platformDisplay == nullptr) Fail("EGL has no platform displays");
  EGLDisplay display = platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  EGLint major = 0, minor = 0;
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor))
    Fail("EGL without a display cannot be started");
  display_ = display;
  if (!eglBindAPI(EGL_OPENGL_API)) Fail("EGL offers no desktop OpenGL");
  const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                               3,
                               EGL_CONTEXT_MINOR_VERSION,
                               3,
                               EGL_CONTEXT_OPENGL_PROFILE_MASK,
                               EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                               EGL_NONE};
  EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
  if (context == EGL_NO_CONTEXT) Fail("no OpenGL 3.3 context");
  context_ = context;
  if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
    Fail("the context cannot be made current");
}

OffscreenContext::~OffscreenContext() {
  if (display_ == nullptr) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_ != nullptr) eglDestroyContext(display_, context_);
  // The display is Mesa's one per process: terminating it would end every
  // other thread's context too.
}

#endif

}  // namespace quarvel::render
