#include <gtest/gtest.h>

#include <functional>

#include "support/FormFixture.h"
#include "support/ShapeBuilder.h"

namespace quarvel::testing {
namespace {

// Analyses `lines` as undo does, through the general error handler; returns
// the error shown, "" on success.
std::string Analyse(FormFixture& f, const std::vector<std::string>& lines) {
  f.form.shapeText.Assign(lines);
  f.dialogs.ClearShown();
  if (f.form.Run([&f] { f.form.AnalyseShape(); })) return "";
  return f.dialogs.shown().back().text;
}

std::string At(const std::vector<std::string>& lines, const std::string& text) {
  return " (Zeile " + std::to_string(LineWith(lines, text) + 1) + ")";
}

TEST(AnalyseShape, ElementsShowNameImageAndFacesAndMatricesSumTheirPrimitives) {
  FormFixture f;
  ShapeParts parts;
  parts.matrices = {"MAIN", "WHEEL"};
  parts.images = {"  Dach.ACE ", "T\xC4R.ace"};  // Latin-1 capital A umlaut
  parts.textures = {0, 1};
  parts.vtxStates = {1, 1, 0};
  parts.elements = {{"a", 0, 0}, {"b", 1, 1}, {"c", 0, 2}, {"unused", 0, 2}, {"late", 0, 2}};
  // b is drawn twice: its cell shows the last count, WHEEL sums all; the
  // count of 9 entries means 4 primitives, so "late" is never read.
  parts.primitives = {{0, 4}, {1, 6}, {2, 12}, {1, 3}, {4, 5}};
  std::vector<std::string> lines = BuildShape(parts);
  lines[LineWith(lines, "primitives (")] = "\tprimitives ( 9";
  f.LoadShape(lines);

  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);
  const StringGrid& elements = f.form.StringGrid1;
  ASSERT_EQ(elements.RowCount(), 6);
  const char* expected[][3] = {{"a", "dach.ace", "4"},
                               {"b", "t\xC3\xA4r.ace", "3"},
                               {"c", "dach.ace", "12"},
                               {"unused", "dach.ace", "0"},
                               {"late", "dach.ace", "0"}};
  for (int row = 1; row <= 5; ++row)
    for (int col = 0; col < 3; ++col) EXPECT_EQ(elements.Cell(col, row), expected[row - 1][col]);
  EXPECT_EQ(f.form.StringGrid3.Cell(0, 2), "WHEEL");
  EXPECT_EQ(f.form.StringGrid3.Cell(1, 1), "12");
  EXPECT_EQ(f.form.StringGrid3.Cell(1, 2), "13");
  const ShapeIndex& index = f.form.shapeIndex;
  EXPECT_EQ(index.ImageNames[0], "dach.ace");
  EXPECT_EQ(index.ElementCount, 5);
  EXPECT_EQ(index.VtxStateMatrices[index.ElementVtxStates[1]], 1);
  EXPECT_EQ(index.VertexSetCount, 3);
  EXPECT_EQ(index.VertexSets[2].firstVertex, 20);
}

TEST(AnalyseShape, WarnsAboutSeveralLevelsOrSubobjectsAndGoesOn) {
  FormFixture f;
  ShapeParts parts = SimpleParts(2);
  parts.distanceLevels = 2;
  parts.subObjects = 3;
  f.LoadShape(BuildShape(parts));
  ASSERT_EQ(f.dialogs.Count(), 2u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "Die Datei enthält 2 LOD's, es werden keine weiteren LOD's und Subobjekte "
            "hergestellt.");
  EXPECT_EQ(f.dialogs.Shown(1).text,
            "Das erste LOD enthält 3 Subobjekte, es werden keine weiteren LOD's oder Subobjekte "
            "hergestellt. Es handelt sich NICHT um eine originale TSM-Datei!");
  EXPECT_FALSE(f.form.Sub_ObjectsButton.enabled);
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 2), "3");

  // Only the keyword followed by a blank counts.
  FormFixture g;
  std::vector<std::string> lines = BuildShape(SimpleParts(1));
  lines[LineWith(lines, "distance_levels_header")] = "\t\t\tdistance_levels_header ( 5 )";
  lines.insert(lines.begin() + static_cast<long>(LineWith(lines, "distance_levels (")),
               "\t\t\tdistance_levelsX ( 4");
  g.LoadShape(lines);
  EXPECT_EQ(g.dialogs.Count(), 0u);
}

TEST(AnalyseShape, RenewedAnalysisKeepsThePlanButNothingOfAnEarlierShape) {
  FormFixture f;
  ShapeParts first = SimpleParts(3);
  first.images = {"a.ace", "b.ace", "c.ace"};
  first.textures = {0, 1, 2};
  first.elements[2].texture = 2;
  f.LoadShape(BuildShape(first));
  f.form.StringGrid1SetEditText(3, 1, "2");
  f.form.AnalyseShape();  // as after undo
  EXPECT_EQ(f.form.StringGrid1.Cell(3, 1), "2");
  EXPECT_EQ(f.form.StringGrid1.Cell(1, 3), "c.ace");

  // A texture index beyond the new shape's textures reads an empty entry,
  // and an element no primitive draws shows no faces of its predecessor.
  ShapeParts second = SimpleParts(3);
  second.elements[0].texture = 2;
  second.primitives = {{0, 2}, {2, 2}};
  f.LoadShape(BuildShape(second));
  EXPECT_EQ(f.form.StringGrid1.Cell(1, 1), "tex.ace");
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 2), "0");

  // So does a primitive's element index beyond the elements.
  std::vector<std::string> lines = BuildShape(SimpleParts(2));
  lines[LineWith(lines, "prim_state_idx ( 1")] = "\t\tprim_state_idx ( 800 )";
  EXPECT_EQ(Analyse(f, lines), "");
  EXPECT_EQ(f.form.StringGrid3.Cell(1, 1), "5");  // both through vtx_state 0
}

TEST(AnalyseShapeFailure, NoElementFailsBeforeTheWarningsWithTheMatricesRead) {
  FormFixture f;
  ShapeParts parts = SimpleParts(0);
  parts.matrices = {"MAIN", "SECOND"};
  parts.distanceLevels = 2;
  EXPECT_EQ(Analyse(f, BuildShape(parts)),
            "Die Datei enthält keine Elemente: keine Zeile \"prim_state\" zwischen \"prim_states\" "
            "und \"lod_controls\".");
  EXPECT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.form.StringGrid1.RowCount(), 1);
  EXPECT_EQ(f.form.StringGrid3.Cell(0, 2), "SECOND");
}

TEST(AnalyseShapeFailure, BadLinesNameTheirLineNumber) {
  const auto with = [](const std::string& find, const std::string& line) {
    std::vector<std::string> lines = BuildShape(SimpleParts(2));
    lines[LineWith(lines, find)] = line;
    return lines;
  };
  struct Case {
    std::vector<std::string> lines;
    std::string find;
    std::string error;
  };
  const std::string range = " liegt außerhalb des zulässigen Bereichs 0...800";
  const Case cases[] = {
      {with("tex_idxs", "tex_idxs ( 1 1.5 ) 0 0"), "tex_idxs",
       "'1.5' ist kein gültiger Integerwert"},
      {with("texture (", "texture 0 0 0"), "texture 0", "'' ist kein gültiger Integerwert"},
      {with("tex_idxs", "tex_idxs ( 1 0 0.0"), "tex_idxs", "'' ist kein gültiger Integerwert"},
      {with("vertex_set (", "vertex_set ( 0 0"), "vertex_set (",
       "'' ist kein gültiger Integerwert"},
      {with("texture (", "texture ( 801 0 )"), "texture (", "Der Image-Index 801" + range},
      {with("vtx_state (", "vtx_state ( 0 -1 )"), "vtx_state (", "Der Matrixindex -1" + range},
      {with("tex_idxs", "tex_idxs ( 1 900 ) 0 0"), "tex_idxs", "Der Texturindex 900" + range},
      {with("tex_idxs", "tex_idxs ( 1 0 ) 0 -2"), "tex_idxs", "Der vtx_state-Index -2" + range},
      {with("prim_state_idx", "prim_state_idx ( -2 )"), "prim_state_idx",
       "Der prim_state-Index -2" + range},
  };
  for (const Case& c : cases) {
    FormFixture f;
    EXPECT_EQ(Analyse(f, c.lines), c.error + At(c.lines, c.find) + (c.error[0] == '\'' ? "" : "."));
  }

  // A primitive whose matrix is beyond the table fails after writing its faces.
  FormFixture f;
  ShapeParts parts = SimpleParts(2);
  parts.vtxStates = {0, 3};
  std::vector<std::string> lines = BuildShape(parts);
  lines[LineWith(lines, "prim_state_idx ( 1") + 2] += " matrix3";
  EXPECT_EQ(Analyse(f, lines),
            "Das Primitiv verweist auf die Matrix 3, die Datei enthält aber nur "
            "1 Matrizen" +
                At(lines, "matrix3") + ".");
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 2), "3");
  EXPECT_EQ(f.form.StringGrid3.Cell(1, 1), "2");

  // A name without a blank behind it runs to the end of its line.
  lines = with("matrix MAIN", "matrix MAIN");
  EXPECT_EQ(Analyse(f, lines), "");
  EXPECT_EQ(f.form.StringGrid3.Cell(0, 1), "MAIN");
}

TEST(AnalyseShapeFailure, MoreEntriesThanTheIndexHoldsAreRefused) {
  const std::pair<const char*, std::function<void(ShapeParts&)>> cases[] = {
      {"Matrizen", [](ShapeParts& p) { p.matrices.resize(802, "M"); }},
      {"Images", [](ShapeParts& p) { p.images.resize(802, "i.ace"); }},
      {"Texturen", [](ShapeParts& p) { p.textures.resize(802, 0); }},
      {"Vertex-States", [](ShapeParts& p) { p.vtxStates.resize(802, 0); }},
      {"Elemente (prim_states)",
       [](ShapeParts& p) {
         p.elements.resize(802, {"e", 0, 0});
       }},
      {"Vertex-Sets",
       [](ShapeParts& p) {
         p.vertexSets.resize(802, {0, 0, 1});
       }},
  };
  for (const auto& [what, grow] : cases) {
    FormFixture f;
    ShapeParts parts = SimpleParts(1);
    grow(parts);
    const std::string error = Analyse(f, BuildShape(parts));
    EXPECT_EQ(error.rfind("Die Datei enthält mehr als 801 " + std::string(what) + " (Zeile ", 0),
              0u)
        << error;
  }
  // 801 of each is a shape the program works on.
  FormFixture f;
  ShapeParts parts = SimpleParts(801);
  parts.matrices.resize(801, "M");
  f.LoadShape(BuildShape(parts));
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 801), "802");
}

}  // namespace
}  // namespace quarvel::testing
