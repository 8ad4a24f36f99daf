#include "render/OffscreenContext.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, whose types they use.
#include <GL/gl.h>
#include <GL/wglext.h>

#include <mutex>
#else
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

// Windows makes OpenGL contexts only for a window's device context: a hidden
// one of the program's own carries it, and the pictures go into framebuffers
// as elsewhere. The first, old-style context is only there to ask the
// driver for a 3.3 core one.
OffscreenContext::OffscreenContext() {
  // What was made so far goes again with the reason there is no context.
  const auto fail = [this](const char* what) {
    Release();
    Fail(what);
  };
  constexpr const wchar_t* kClass = L"QuarvelOffscreenGl";
  // Shapes are drawn in several threads at once; the window class is the
  // process's, and making windows and pixel formats in parallel sometimes
  // fails (under Wine, at least), so that part takes turns.
  static std::mutex making;
  const std::lock_guard<std::mutex> turn(making);
  static const bool registered = [&] {
    WNDCLASSW windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClass;
    return ::RegisterClassW(&windowClass) != 0;
  }();
  if (!registered) fail("no window class for an OpenGL context");
  HWND window = ::CreateWindowExW(0, kClass, L"", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) fail("no window for an OpenGL context (no desktop?)");
  window_ = window;
  HDC deviceContext = ::GetDC(window);
  deviceContext_ = deviceContext;
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof format;
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 24;
  format.cDepthBits = 24;
  const int chosen = ::ChoosePixelFormat(deviceContext, &format);
  if (chosen == 0 || !::SetPixelFormat(deviceContext, chosen, &format))
    fail("no pixel format for OpenGL");
  HGLRC first = ::wglCreateContext(deviceContext);
  if (first == nullptr || !::wglMakeCurrent(deviceContext, first)) {
    if (first != nullptr) ::wglDeleteContext(first);
    fail("no OpenGL context");
  }
  const auto createContext = reinterpret_cast<PFNWGLCREATECONTEXTATTRIBSARBPROC>(
      reinterpret_cast<void (*)()>(::wglGetProcAddress("wglCreateContextAttribsARB")));
  const int attributes[] = {WGL_CONTEXT_MAJOR_VERSION_ARB,
                            3,
                            WGL_CONTEXT_MINOR_VERSION_ARB,
                            3,
                            WGL_CONTEXT_PROFILE_MASK_ARB,
                            WGL_CONTEXT_CORE_PROFILE_BIT_ARB,
                            0};
  HGLRC context =
      createContext != nullptr ? createContext(deviceContext, nullptr, attributes) : nullptr;
  ::wglMakeCurrent(nullptr, nullptr);
  ::wglDeleteContext(first);
  if (context == nullptr) fail("no OpenGL 3.3 context");
  context_ = context;
  if (!::wglMakeCurrent(deviceContext, context)) fail("the context cannot be made current");
}

OffscreenContext::~OffscreenContext() {
  Release();
}

void OffscreenContext::Release() {
  if (context_ != nullptr) {
    ::wglMakeCurrent(nullptr, nullptr);
    ::wglDeleteContext(static_cast<HGLRC>(context_));
  }
  if (deviceContext_ != nullptr)
    ::ReleaseDC(static_cast<HWND>(window_), static_cast<HDC>(deviceContext_));
  if (window_ != nullptr) ::DestroyWindow(static_cast<HWND>(window_));
  context_ = deviceContext_ = window_ = nullptr;
}

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
