// The 3D view's drawing, read back as pixels from a context without a
// display: the colours of the legend and nothing else, hidden elements
// gone, a highlight where its triangles are, and picking by element.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include <GL/gl.h>
#include <GL/glext.h>
#include "SyntheticShape.h"

#include "render/GlRenderer.h"
#include "render/OffscreenContext.h"
#include "view/Camera.h"

namespace quarvel::testing {
namespace {

using Rgb = std::array<std::uint8_t, 3>;
constexpr int kWidth = 320, kHeight = 240;

class Render : public ::testing::Test {
 protected:
  Render() {
    bench::SyntheticShapeOptions options;
    options.elements = 6;
    geometry = view::GeometryOfShape(bench::MakeSyntheticShape(options));
    box = geometry.Bounds();
    camera = view::Camera::Fit(box, view::ViewDirection::Iso, float{kWidth} / kHeight);
    renderer.SetGeometry(geometry.levels.at(0));
  }

  // Element k (from 0) in sub-object `subobjects[k]` of a one-LOD plan.
  Plan PlanOf(const std::vector<std::string>& subobjects) const {
    Plan plan;
    for (std::size_t k = 0; k < subobjects.size(); ++k)
      plan.SetChoice(static_cast<int>(k) + 1, 1, SubobjectChoice::FromText(subobjects[k]));
    return plan;
  }

  std::vector<Rgb> Draw(const view::LookTable& looks, bool flat = true,
                        render::GlRenderer::Detail detail = render::GlRenderer::Detail::Full) {
    renderer.SetLooks(looks);
    const render::PictureTarget target(kWidth, kHeight);
    target.Bind();
    renderer.Draw(camera, box, kWidth, kHeight, flat, detail);
    const std::vector<std::uint8_t> bytes = target.ReadRgb();
    std::vector<Rgb> pixels(bytes.size() / 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
      pixels[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
    return pixels;
  }

  // The element drawn at every pixel, + 1 (0: none), top row first.
  std::vector<std::uint32_t> Ids(const view::LookTable& looks) {
    renderer.SetLooks(looks);
    return renderer.IdPicture(camera, box, kWidth, kHeight);
  }

  render::OffscreenContext context;
  render::GlRenderer renderer;
  view::ShapeGeometry geometry;
  std::array<view::Vec3, 2> box{};
  view::Camera camera;
};

TEST_F(Render, FlatPicturesHoldTheLegendsColoursAndTheBackgroundAlone) {
  const view::LookTable looks =
      view::PlanLooks(PlanOf({"1", "2", "3", "1", "2", "3"}), 1, 6, view::ColourBy::Subobject, {});
  const std::vector<Rgb> pixels = Draw(looks);
  const std::set<Rgb> colours(pixels.begin(), pixels.end());
  EXPECT_EQ(colours, (std::set<Rgb>{view::kBackground, view::PaletteColour(1),
                                    view::PaletteColour(2), view::PaletteColour(3)}));
  // With light, the same picture shades them.
  const std::vector<Rgb> lit = Draw(looks, false);
  EXPECT_GT(std::set<Rgb>(lit.begin(), lit.end()).size(), 4u);
  // The coarser drawing while the camera moves differs from it in a seam of
  // pixels at most.
  const std::vector<Rgb> coarse = Draw(looks, true, render::GlRenderer::Detail::Preview);
  EXPECT_LE(renderer.Triangles(render::GlRenderer::Detail::Preview),
            renderer.Triangles(render::GlRenderer::Detail::Full));
  std::size_t differ = 0;
  for (std::size_t i = 0; i < pixels.size(); ++i) differ += pixels[i] != coarse[i];
  EXPECT_LT(differ, pixels.size() / 50);
}

TEST_F(Render, AnElementPlannedNotForTheLodLeavesNoPixel) {
  const Plan plan = PlanOf({"1", "999", "1", "1", "1", "1"});
  const std::vector<Rgb> pixels = Draw(view::PlanLooks(plan, 1, 6, view::ColourBy::Element, {}));
  const std::set<Rgb> colours(pixels.begin(), pixels.end());
  EXPECT_EQ(colours.count(view::PaletteColour(2)), 0u);
  EXPECT_EQ(colours.count(view::PaletteColour(1)), 1u);
  // And it cannot be picked.
  const std::vector<std::uint32_t> ids =
      Ids(view::PlanLooks(plan, 1, 6, view::ColourBy::Element, {}));
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 2u), 0);
}

TEST_F(Render, AHighlightLiesExactlyWhereItsElementIsPicked) {
  const Plan plan = PlanOf({"1", "1", "1", "1", "1", "1"});
  const view::LookTable looks = view::PlanLooks(plan, 1, 6, view::ColourBy::Element, {}, {3});
  const std::vector<Rgb> pixels = Draw(looks);
  const std::vector<std::uint32_t> ids = Ids(looks);
  std::size_t highlighted = 0;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const bool bright = pixels[i] == view::PaletteColour(4);
    highlighted += bright;
    EXPECT_EQ(bright, ids[i] == 4u) << i;
    if (bright != (ids[i] == 4u)) break;
  }
  EXPECT_GT(highlighted, 50u);
}

TEST_F(Render, PickingAtATrianglesCentreFindsItsElement) {
  // Element 5 alone, so that nothing lies in front of its triangles.
  const Plan plan = PlanOf({"999", "999", "999", "999", "1", "999"});
  const std::vector<std::uint32_t> ids =
      Ids(view::PlanLooks(plan, 1, 6, view::ColourBy::Element, {}));
  const view::GeometryLevel& level = geometry.levels[0];
  const std::array<float, 16> m = camera.ViewProjection(float{kWidth} / kHeight, box);
  const auto onScreen = [&](const float* p) {
    float clip[4];
    for (int r = 0; r < 4; ++r)
      clip[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
    return std::array<float, 2>{(clip[0] / clip[3] + 1) / 2 * kWidth,
                                (1 - clip[1] / clip[3]) / 2 * kHeight};
  };
  int picked = 0;
  for (std::size_t t = 0; t < level.Triangles(); ++t) {
    if (level.elements[t] != 4) continue;
    const auto a = onScreen(&level.positions[9 * t]), b = onScreen(&level.positions[9 * t + 3]),
               c = onScreen(&level.positions[9 * t + 6]);
    // Slivers may cover no pixel centre at all.
    const float area = std::fabs((b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1])) / 2;
    if (area < 40) continue;
    const int x = static_cast<int>((a[0] + b[0] + c[0]) / 3);
    const int y = static_cast<int>((a[1] + b[1] + c[1]) / 3);
    EXPECT_EQ(ids[static_cast<std::size_t>(y * kWidth + x)], 5u) << t;
    ++picked;
  }
  EXPECT_GT(picked, 0);
}

}  // namespace
}  // namespace quarvel::testing
