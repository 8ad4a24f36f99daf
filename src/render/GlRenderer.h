// The drawing of the 3D view in plain OpenGL 3.3: one piece that the
// window's OpenGL widget and the command line's context without a display
// both call. The triangles are uploaded once per opened text; a new plan
// uploads only the small table of looks.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "view/Camera.h"
#include "view/ShapeGeometry.h"
#include "view/ViewLook.h"

namespace quarvel::render {

class GlRenderer {
 public:
  // Needs a current OpenGL 3.3 core context; so do all members, and the
  // destructor (which frees what it made in it).
  GlRenderer();
  ~GlRenderer();
  GlRenderer(const GlRenderer&) = delete;
  GlRenderer& operator=(const GlRenderer&) = delete;

  // Every triangle, or the coarser drawing of PreviewIndices for frames
  // while the camera moves.
  enum class Detail { Full, Preview };

  void SetGeometry(const view::GeometryLevel& level);
  void SetLooks(const view::LookTable& looks);
  // Draws into the framebuffer bound now, `width` x `height` pixels. `flat`:
  // every triangle in exactly the colour of its look, without light.
  void Draw(const view::Camera& camera, const std::array<view::Vec3, 2>& box, int width, int height,
            bool flat, Detail detail = Detail::Full);
  // The triangles drawn; for the Preview, once it was first drawn.
  std::size_t Triangles(Detail detail) const;
  // Draws every triangle's element number + 1 (0: nothing) into the bound
  // framebuffer, whose colour attachment is a one-channel unsigned integer.
  void DrawIds(const view::Camera& camera, const std::array<view::Vec3, 2>& box, int width,
               int height);
  // The same into a framebuffer of its own, read back: element + 1 (0:
  // none) at every pixel, the top row first. Leaves framebuffer `restore`
  // bound.
  std::vector<std::uint32_t> IdPicture(const view::Camera& camera,
                                       const std::array<view::Vec3, 2>& box, int width, int height,
                                       unsigned restore = 0);

 private:
  // The triangles with `program` and the uniforms both programs share.
  void DrawWith(unsigned program, const view::Camera& camera, const std::array<view::Vec3, 2>& box,
                int width, int height, Detail detail);

  // Makes the Preview's triangles, the first time a frame asks for them.
  void UploadPreview();

  unsigned program_ = 0, idProgram_ = 0, vertexArray_ = 0, buffer_ = 0, lookTexture_ = 0;
  // What the Preview is made from, until it is made: many models are never
  // moved slowly enough to need it, and the command line never does.
  struct PreviewSource;
  std::unique_ptr<PreviewSource> previewSource_;
  // The triangles' corners for each Detail.
  std::array<unsigned, 2> indexBuffers_{};
  std::array<std::size_t, 2> corners_{};
  bool bySubobject_ = false;
};

// A framebuffer of its own to draw a picture into and read it back: colours,
// or the element numbers of DrawIds.
class PictureTarget {
 public:
  enum class Content { Colours, Ids };
  PictureTarget(int width, int height, Content content = Content::Colours);
  ~PictureTarget();
  PictureTarget(const PictureTarget&) = delete;
  PictureTarget& operator=(const PictureTarget&) = delete;
  void Bind() const;
  // The picture, top row first, three bytes a pixel.
  std::vector<std::uint8_t> ReadRgb() const;
  std::vector<std::uint32_t> ReadIds() const;

 private:
  int width_, height_;
  unsigned framebuffer_ = 0, colour_ = 0, depth_ = 0;
};

}  // namespace quarvel::render
