// What the 3D view draws, without drawing: the triangles placed by their
// matrix chains, the colours the plan gives them, and a camera that holds the
// whole shape.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "SyntheticShape.h"
#include "shape/ShapeFile.h"
#include "support/ExportedShape.h"
#include "support/FormFixture.h"
#include "view/Camera.h"
#include "view/PreviewMesh.h"
#include "view/ShapeGeometry.h"
#include "view/ViewLook.h"

namespace quarvel::testing {
namespace {

using view::Vec3;

TEST(ShapeGeometry, CornersArePlacedByTheirMatrixChain) {
  ExportedShape shape = ElementsWithOwnSets(2, 3);
  shape.matrices = {"MAIN", "PART1"};
  shape.vtxStateMatrices = {0, 1};
  std::vector<std::string> lines = BuildExportedShape(shape);
  // MAIN shifts by 10 along x; PART1 hangs below it and shifts by (1 2 3).
  lines[LineWith(lines, "matrix MAIN")] = "\t\tmatrix MAIN ( 1 0 0 0 1 0 0 0 1 10 0 0 )";
  lines[LineWith(lines, "matrix PART1")] = "\t\tmatrix PART1 ( 0 1 0 -1 0 0 0 0 1 1 2 3 )";
  const view::ShapeGeometry geometry = view::GeometryOfShape(lines);
  ASSERT_EQ(geometry.levels.size(), 1u);
  const view::GeometryLevel& level = geometry.levels[0];
  ASSERT_EQ(level.Triangles(), 3u);  // element k has k + 1 faces
  EXPECT_EQ(level.elements, (std::vector<std::uint32_t>{0, 1, 1}));
  EXPECT_EQ(geometry.elementVtxStates, (std::vector<int>{0, 1}));
  EXPECT_EQ(level.subobjectVertices, (std::vector<int>{6}));
  // Element 0's first corner is point 0 (0 0.5 0) under MAIN alone.
  EXPECT_EQ(std::vector<float>(level.positions.begin(), level.positions.begin() + 3),
            (std::vector<float>{10, 0.5f, 0}));
  // Element 1's first corner is point 3 (3 0.5 -3): turned a quarter about z
  // and shifted by PART1, then shifted by MAIN.
  EXPECT_EQ(std::vector<float>(level.positions.begin() + 9, level.positions.begin() + 12),
            (std::vector<float>{-0.5f + 1 + 10, 3 + 2, -3 + 3}));
  // Its normal (1 0 0) turns with it.
  EXPECT_EQ(std::vector<float>(level.normals.begin() + 9, level.normals.begin() + 12),
            (std::vector<float>{0, 1, 0}));
}

// A shape split already: every distance level of the converter's text with
// all its triangles (the counts of its "vertex_idxs", read here the plain
// way), and the legend of its own sub-objects with their vertices.
TEST(ShapeGeometry, ASplitShapeGivesEveryLevelWithItsSubobjects) {
  if (CorpusDir().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set";
  ShapeText text;
  std::string bom;
  ReadShapeText(CorpusDir() + "/compressed/DK10f_A1tPnt5dLft_text.s", text, bom);
  std::vector<std::size_t> triangles;
  for (const std::string& line : text.All()) {
    if (line.find("distance_level (") != std::string::npos) triangles.push_back(0);
    const auto at = line.find("vertex_idxs ( ");
    if (at != std::string::npos && !triangles.empty())
      triangles.back() += std::stoul(line.substr(at + 14)) / 3;
  }
  const view::ShapeGeometry geometry = view::GeometryOfShape(text.All());
  ASSERT_EQ(geometry.levels.size(), triangles.size());
  for (std::size_t l = 0; l < triangles.size(); ++l)
    EXPECT_EQ(geometry.levels[l].Triangles(), triangles[l]) << l;
  const view::GeometryLevel& first = geometry.levels[0];
  const view::LookTable looks = view::FileLooks(first, 0, view::ColourBy::Subobject, {});
  EXPECT_TRUE(looks.bySubobjectOfFile);
  ASSERT_EQ(looks.legend.size(), first.subobjectVertices.size());
  EXPECT_EQ(looks.legend[0].vertices, first.subobjectVertices[0]);
  EXPECT_GT(first.subobjectVertices[0], 0);
}

TEST(ViewLooks, ThePlanDecidesColourVisibilityAndStripes) {
  Plan plan;
  plan.lodCount = 2;
  const char* entries[] = {"1", "2", "999", "0", "05"};
  for (int row = 1; row <= 5; ++row) {
    plan.SetChoice(row, 1, SubobjectChoice::FromText(entries[row - 1]));
    plan.SetChoice(row, 2, SubobjectChoice(1));
  }
  const view::LookTable lod1 = view::PlanLooks(plan, 1, 5, view::ColourBy::Subobject, {});
  EXPECT_EQ(lod1.looks[0].rgb, view::PaletteColour(1));
  EXPECT_EQ(lod1.looks[1].rgb, view::PaletteColour(2));
  EXPECT_TRUE(lod1.looks[2].hidden);
  EXPECT_TRUE(lod1.looks[3].everySubobject);
  EXPECT_NE(lod1.looks[3].rgb, view::PaletteColour(1));
  // "05" belongs to no sub-object, as for the splitter.
  EXPECT_NE(lod1.looks[4].rgb, view::PaletteColour(5));
  ASSERT_EQ(lod1.legend.size(), 2u);
  EXPECT_EQ(lod1.legend[1].number, 2);
  EXPECT_EQ(view::PlanLooks(plan, 2, 5, view::ColourBy::Subobject, {}).legend.size(), 1u);
  // A selection dims every other element.
  const view::LookTable selected = view::PlanLooks(plan, 1, 5, view::ColourBy::Element, {}, {1});
  EXPECT_TRUE(selected.looks[0].dimmed);
  EXPECT_FALSE(selected.looks[1].dimmed);
  // The palette's first colours are all different and none is the background.
  std::vector<std::array<std::uint8_t, 3>> colours = {view::kBackground};
  for (int n = 1; n <= 48; ++n) colours.push_back(view::PaletteColour(n));
  std::sort(colours.begin(), colours.end());
  EXPECT_EQ(std::adjacent_find(colours.begin(), colours.end()), colours.end());
}

TEST(ViewCamera, FitPutsEveryCornerInsideThePicture) {
  bench::SyntheticShapeOptions options;
  options.elements = 6;
  const view::ShapeGeometry geometry = view::GeometryOfShape(bench::MakeSyntheticShape(options));
  const auto box = geometry.Bounds();
  for (const auto direction : {view::ViewDirection::Iso, view::ViewDirection::Front,
                               view::ViewDirection::Side, view::ViewDirection::Top}) {
    for (const float aspect : {0.5f, 1.0f, 2.5f}) {
      const view::Camera camera = view::Camera::Fit(box, direction, aspect);
      const std::array<float, 16> m = camera.ViewProjection(aspect, box);
      float widest = 0;
      const std::vector<float>& p = geometry.levels[0].positions;
      for (std::size_t i = 0; i < p.size(); i += 3) {
        float clip[4];
        for (int r = 0; r < 4; ++r)
          clip[r] = m[r] * p[i] + m[4 + r] * p[i + 1] + m[8 + r] * p[i + 2] + m[12 + r];
        ASSERT_GT(clip[3], 0);
        for (int a = 0; a < 3; ++a) {
          EXPECT_LE(std::fabs(clip[a] / clip[3]), 1.0f);
          if (a < 2) widest = std::max(widest, std::fabs(clip[a] / clip[3]));
        }
      }
      // And fills a fair part of it.
      EXPECT_GT(widest, 0.4f);
    }
  }
}

// A fine plane of 160 x 160 squares, its halves two elements with corners of
// their own, drawn coarser by cells of 1/40 of its side, and by cells so
// small that no two corners share one.
TEST(PreviewMesh, JoinsCornersByCellWithinAnElementAndKeepsTheSurface) {
  constexpr int kSide = 160, kHalf = kSide / 2;
  std::vector<view::Vec3> positions;
  std::vector<std::uint32_t> indices;
  std::vector<std::uint64_t> keys;
  for (std::uint32_t element = 0; element < 2; ++element) {
    const auto first = static_cast<std::uint32_t>(positions.size());
    for (int y = 0; y <= kSide; ++y)
      for (int x = 0; x <= kHalf; ++x) {
        positions.push_back({static_cast<float>(element * kHalf + x), static_cast<float>(y), 0});
        keys.push_back(element);
      }
    const auto at = [&](int x, int y) {
      return first + static_cast<std::uint32_t>(y * (kHalf + 1) + x);
    };
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kHalf; ++x)
        indices.insert(indices.end(), {at(x, y), at(x + 1, y), at(x + 1, y + 1), at(x, y),
                                       at(x + 1, y + 1), at(x, y + 1)});
  }
  const std::array<view::Vec3, 2> box = {view::Vec3{0, 0, 0},
                                         view::Vec3{float{kSide}, float{kSide}, 0}};
  const auto area = [&](const std::vector<std::uint32_t>& triangles) {
    double sum = 0;
    for (std::size_t t = 0; t < triangles.size(); t += 3) {
      const view::Vec3 &a = positions[triangles[t]], &b = positions[triangles[t + 1]],
                       &c = positions[triangles[t + 2]];
      sum += std::fabs((b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1])) / 2;
    }
    return sum;
  };

  EXPECT_EQ(view::PreviewIndices(positions, keys, indices, box, 4 * kSide), indices);

  const std::vector<std::uint32_t> coarse = view::PreviewIndices(positions, keys, indices, box, 40);
  EXPECT_LT(coarse.size(), indices.size() / 10);
  std::set<std::uint64_t> keysDrawn;
  for (std::size_t t = 0; t < coarse.size(); t += 3) {
    const std::uint32_t a = coarse[t], b = coarse[t + 1], c = coarse[t + 2];
    ASSERT_TRUE(a != b && b != c && a != c);
    // No corner of one element is drawn as one of the other.
    ASSERT_TRUE(keys[a] == keys[b] && keys[b] == keys[c]) << t;
    keysDrawn.insert(keys[a]);
  }
  EXPECT_EQ(keysDrawn, (std::set<std::uint64_t>{0, 1}));
  // Without holes or folds over each other.
  EXPECT_NEAR(area(coarse), area(indices), 1e-3 * area(indices));
}

}  // namespace
}  // namespace quarvel::testing
