// An OpenGL context without any display: Mesa's EGL platform without
// surfaces, drawing into framebuffers only (on a machine without a GPU, with
// the software renderer).
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
  void* display_ = nullptr;
  void* context_ = nullptr;
};

}  // namespace quarvel::render
