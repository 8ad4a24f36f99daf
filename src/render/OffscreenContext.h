// An OpenGL context that draws into framebuffers only. On Linux it needs no
// display at all: Mesa's EGL platform without surfaces (on a machine without
// a GPU, with the software renderer). On Windows it hangs on a hidden window.
#pragma once

namespace quarvel::render {

class OffscreenContext {
 public:
  // Made current in the calling thread; throws quarvel::Error naming why
  // there is none.
  OffscreenContext();
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

 private:
  // Windows: frees what the constructor made.
  void Release();

  void* display_ = nullptr;
  void* context_ = nullptr;
  // Windows: the hidden window and its device context.
  void* window_ = nullptr;
  void* deviceContext_ = nullptr;
};

}  // namespace quarvel::render
