// The 3D view on the software renderer without a display: the first frame
// of a 30 MB shape (its triangles read from the text, uploaded and drawn),
// a frame while orbiting, and a recolour after a change of the plan. The
// window asks for 1 s, 20 frames a second and 100 ms.
#include <benchmark/benchmark.h>

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "SyntheticShape.h"
#include "render/GlRenderer.h"
#include "render/OffscreenContext.h"
#include "shape/ShapeFile.h"

namespace {

using namespace quarvel;

// About the view's size in the window at 1280 x 1024.
constexpr int kWidth = 960, kHeight = 600;

const std::vector<std::string>& Shape30() {
  static const std::vector<std::string> lines =
      bench::MakeSyntheticShape(bench::OptionsForSize(30, 400, 8));
  return lines;
}

// The synthetic shape's triangles join random points across the whole model,
// each covering a good part of the picture, as no real model does. What is
// drawn is therefore a real model's geometry (the corpus's largest track
// piece) laid out in a square of copies until it has 300 000 triangles, as a
// 30 MB shape has; the synthetic text gives the time to read the triangles.
// A square, not a row: the coarser drawing while orbiting joins corners by
// cells of the whole box, and a long row would give each copy few of them.
const view::ShapeGeometry& RealGeometry() {
  static const view::ShapeGeometry geometry = [] {
    view::ShapeGeometry tiled;
    const char* corpus = std::getenv("QUARVEL_CORPUS");
    if (corpus == nullptr) return tiled;
    ShapeText text;
    std::string bom;
    ReadShapeText(std::string(corpus) + "/compressed/DK10f_A1tPnt5dLft_text.s", text, bom);
    const view::ShapeGeometry one = view::GeometryOfShape(text.All());
    if (one.levels.empty()) return tiled;
    tiled.elementVtxStates = one.elementVtxStates;
    view::GeometryLevel& level = tiled.levels.emplace_back();
    const auto box = one.Bounds();
    const float width = box[1][0] - box[0][0] + 1, depth = box[1][2] - box[0][2] + 1;
    const view::GeometryLevel& from = one.levels[0];
    const std::size_t copies = 300000 / std::max<std::size_t>(from.Triangles(), 1) + 1;
    const auto side = static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(copies))));
    for (std::size_t copy = 0; copy < copies; ++copy) {
      const float shift[3] = {static_cast<float>(copy % side) * width, 0,
                              static_cast<float>(copy / side) * depth};
      for (std::size_t i = 0; i < from.positions.size(); ++i)
        level.positions.push_back(from.positions[i] + shift[i % 3]);
      level.normals.insert(level.normals.end(), from.normals.begin(), from.normals.end());
      level.elements.insert(level.elements.end(), from.elements.begin(), from.elements.end());
      level.subobjects.insert(level.subobjects.end(), from.subobjects.begin(),
                              from.subobjects.end());
    }
    return tiled;
  }();
  return geometry;
}

Plan EveryElementIn(int subobjects, int elements) {
  Plan plan;
  for (int row = 1; row <= elements; ++row)
    plan.SetChoice(row, 1, SubobjectChoice(1 + row % subobjects));
  return plan;
}

void BM_ViewFirstFrame30MB(benchmark::State& state) {
  if (RealGeometry().Empty()) return state.SkipWithError("QUARVEL_CORPUS names no corpus");
  const render::OffscreenContext context;
  const render::PictureTarget target(kWidth, kHeight);
  std::size_t read = 0;
  for (auto _ : state) {
    read = view::GeometryOfShape(Shape30()).levels[0].Triangles();
    const view::ShapeGeometry& geometry = RealGeometry();
    const int elements = static_cast<int>(geometry.elementVtxStates.size());
    render::GlRenderer renderer;
    renderer.SetGeometry(geometry.levels[0]);
    renderer.SetLooks(view::PlanLooks(EveryElementIn(8, elements), 1, elements,
                                      view::ColourBy::Subobject, geometry.elementVtxStates));
    target.Bind();
    const auto box = geometry.Bounds();
    renderer.Draw(view::Camera::Fit(box, view::ViewDirection::Iso, 1.6f), box, kWidth, kHeight,
                  false);
    glFinish();
  }
  state.counters["read"] = static_cast<double>(read);
  state.counters["drawn"] = static_cast<double>(RealGeometry().levels[0].Triangles());
}
BENCHMARK(BM_ViewFirstFrame30MB)->Unit(benchmark::kMillisecond)->Iterations(2);

// Frames and recolours over the same uploaded triangles.
class UploadedShape {
 public:
  UploadedShape() : target_(kWidth, kHeight) {
    geometry_ = RealGeometry();
    elements_ = static_cast<int>(geometry_.elementVtxStates.size());
    renderer_.SetGeometry(geometry_.levels[0]);
    Recolour(8);
    box_ = geometry_.Bounds();
    camera_ = view::Camera::Fit(box_, view::ViewDirection::Iso, 1.6f);
    target_.Bind();
  }
  void Recolour(int subobjects) {
    renderer_.SetLooks(view::PlanLooks(EveryElementIn(subobjects, elements_), 1, elements_,
                                       view::ColourBy::Subobject, geometry_.elementVtxStates));
  }
  void Frame() {
    camera_.Orbit(3, 0);
    renderer_.Draw(camera_, box_, kWidth, kHeight, flat_, detail_);
    glFinish();
  }
  std::size_t Triangles() const { return renderer_.Triangles(detail_); }
  bool flat_ = false;
  render::GlRenderer::Detail detail_ = render::GlRenderer::Detail::Full;

 private:
  render::OffscreenContext context_;
  render::GlRenderer renderer_;
  render::PictureTarget target_;
  view::ShapeGeometry geometry_;
  int elements_ = 0;
  std::array<view::Vec3, 2> box_{};
  view::Camera camera_;
};

// Frames while orbiting, drawn with every triangle or with the coarser
// drawing the window uses while the camera moves where a full frame is slow.
void OrbitFrames(benchmark::State& state, render::GlRenderer::Detail detail) {
  if (RealGeometry().Empty()) return state.SkipWithError("QUARVEL_CORPUS names no corpus");
  UploadedShape shape;
  shape.detail_ = detail;
  for (auto _ : state) shape.Frame();
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["triangles"] = static_cast<double>(shape.Triangles());
}

void BM_ViewOrbitFrame30MB(benchmark::State& state) {
  OrbitFrames(state, render::GlRenderer::Detail::Full);
}
BENCHMARK(BM_ViewOrbitFrame30MB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_ViewOrbitPreviewFrame30MB(benchmark::State& state) {
  OrbitFrames(state, render::GlRenderer::Detail::Preview);
}
BENCHMARK(BM_ViewOrbitPreviewFrame30MB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_ViewOrbitFlatFrame30MB(benchmark::State& state) {
  if (RealGeometry().Empty()) return state.SkipWithError("QUARVEL_CORPUS names no corpus");
  UploadedShape shape;
  shape.flat_ = true;
  for (auto _ : state) shape.Frame();
}
BENCHMARK(BM_ViewOrbitFlatFrame30MB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);

void BM_ViewRecolour30MB(benchmark::State& state) {
  if (RealGeometry().Empty()) return state.SkipWithError("QUARVEL_CORPUS names no corpus");
  UploadedShape shape;
  int subobjects = 2;
  for (auto _ : state) {
    shape.Recolour(2 + subobjects++ % 7);
    shape.Frame();
  }
}
BENCHMARK(BM_ViewRecolour30MB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);

}  // namespace
