// The 3D view on the software renderer without a display: the first frame
// of a 30 MB shape (its triangles read from the text, uploaded and drawn),
// a frame while orbiting, and a recolour after a change of the plan. The
// window asks for 1 s, 20 frames a second and 100 ms.
#include <benchmark/benchmark.h>

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>

#include "SyntheticShape.h"
#include "render/GlRenderer.h"
#include "render/OffscreenContext.h"

namespace {

using namespace quarvel;

constexpr int kWidth = 1280, kHeight = 800;

const std::vector<std::string>& Shape30() {
  static const std::vector<std::string> lines =
      bench::MakeSyntheticShape(bench::OptionsForSize(30, 400, 8));
  return lines;
}

Plan EveryElementIn(int subobjects, int elements) {
  Plan plan;
  for (int row = 1; row <= elements; ++row)
    plan.SetChoice(row, 1, SubobjectChoice(1 + row % subobjects));
  return plan;
}

void BM_ViewFirstFrame30MB(benchmark::State& state) {
  const render::OffscreenContext context;
  const render::PictureTarget target(kWidth, kHeight);
  std::size_t triangles = 0;
  for (auto _ : state) {
    const view::ShapeGeometry geometry = view::GeometryOfShape(Shape30());
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
    triangles = geometry.levels[0].Triangles();
  }
  state.counters["triangles"] = static_cast<double>(triangles);
}
BENCHMARK(BM_ViewFirstFrame30MB)->Unit(benchmark::kMillisecond)->Iterations(2);

// Frames and recolours over the same uploaded triangles.
class UploadedShape {
 public:
  UploadedShape() : target_(kWidth, kHeight) {
    geometry_ = view::GeometryOfShape(Shape30());
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
    renderer_.Draw(camera_, box_, kWidth, kHeight, false);
    glFinish();
  }
  std::size_t Triangles() const { return geometry_.levels[0].Triangles(); }

 private:
  render::OffscreenContext context_;
  render::GlRenderer renderer_;
  render::PictureTarget target_;
  view::ShapeGeometry geometry_;
  int elements_ = 0;
  std::array<view::Vec3, 2> box_{};
  view::Camera camera_;
};

void BM_ViewOrbitFrame30MB(benchmark::State& state) {
  UploadedShape shape;
  for (auto _ : state) shape.Frame();
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["triangles"] = static_cast<double>(shape.Triangles());
}
BENCHMARK(BM_ViewOrbitFrame30MB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_ViewRecolour30MB(benchmark::State& state) {
  UploadedShape shape;
  int subobjects = 2;
  for (auto _ : state) {
    shape.Recolour(2 + subobjects++ % 7);
    shape.Frame();
  }
}
BENCHMARK(BM_ViewRecolour30MB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);

}  // namespace
