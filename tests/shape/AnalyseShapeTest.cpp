#include <gtest/gtest.h>

#include <functional>

#include "support/ExportedShape.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

using Lines = std::vector<std::string>;

// Analyses `lines` as undo does, through the general error handler; returns
// the error shown, "" on success.
std::string Analyse(FormFixture& f, const Lines& lines) {
  f.form.session.text.Assign(lines);
  f.dialogs.shown.clear();
  if (f.form.Run([&f] { f.form.AnalyseShape(); })) return "";
  return f.dialogs.shown.back().text;
}

TEST(AnalyseShape, ElementsShowNameImageAndFacesAndMatricesSumTheirPrimitives) {
  FormFixture f;
  ExportedShape shape;
  shape.matrices = {"MAIN", "WHEEL"};
  shape.images = {"  Dach.ACE ", "T\xC4R.ace"};  // Latin-1 capital A umlaut
  shape.textures = {0, 1};
  shape.vtxStateMatrices = {1, 1, 0};
  shape.setVertices = {10, 10, 10};
  shape.elements = {{"a", 0, 0}, {"b", 1, 1}, {"c", 2, 0}, {"unused", 2, 0}, {"late", 2, 0}};
  // b is drawn twice: its cell shows the last count, WHEEL sums all; the
  // count of 9 entries means 4 primitives, so "late" is never read.
  shape.primitives = {{0, 4}, {1, 6}, {2, 12}, {1, 3}, {4, 5}};
  Lines lines = BuildExportedShape(shape);
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
  const ShapeIndex& index = f.form.session.index;
  EXPECT_EQ(index.VtxStateMatrices[index.ElementVtxStates[1]], 1);
  EXPECT_EQ(index.VertexSetCount, 3);
  EXPECT_EQ(index.VertexSets[2].firstVertex, 20);
}

TEST(AnalyseShape, WarnsAboutSeveralLevelsOrSubobjectsAndGoesOn) {
  FormFixture f;
  ExportedShape shape = GradedElements(2);
  shape.distanceLevels = 2;
  shape.subObjects = 3;
  f.LoadShape(BuildExportedShape(shape));
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
  Lines lines = BuildExportedShape(GradedElements(1));
  lines[LineWith(lines, "distance_levels_header")] = "\t\t\tdistance_levels_header ( 5 )";
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(LineWith(lines, "distance_levels (")),
               "\t\t\tdistance_levelsX ( 4");
  f.dialogs.shown.clear();
  f.LoadShape(lines);
  EXPECT_EQ(f.dialogs.Count(), 0u);
}

TEST(AnalyseShape, RenewedAnalysisKeepsThePlanButNothingOfAnEarlierShape) {
  FormFixture f;
  ExportedShape first = GradedElements(3);
  first.images = {"a.ace", "b.ace", "c.ace"};
  first.textures = {0, 1, 2};
  first.elements[2].texture = 2;
  f.LoadShape(BuildExportedShape(first));
  f.form.StringGrid1SetEditText(3, 1, "2");
  f.form.AnalyseShape();  // as after undo
  EXPECT_EQ(f.form.StringGrid1.Cell(3, 1), "2");
  EXPECT_EQ(f.form.StringGrid1.Cell(1, 3), "c.ace");

  // A texture index beyond the new shape's textures reads an empty entry,
  // and an element no primitive draws shows no faces of its predecessor.
  ExportedShape second = GradedElements(3);
  second.elements[0].texture = 2;
  second.primitives = {{0, 2}, {2, 2}};
  f.LoadShape(BuildExportedShape(second));
  EXPECT_EQ(f.form.StringGrid1.Cell(1, 1), "tex.ace");
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 2), "0");

  // So does a primitive's element index beyond the elements.
  Lines lines = BuildExportedShape(GradedElements(2));
  lines[LineWith(lines, "prim_state_idx ( 1")] = "\t\tprim_state_idx ( 800 )";
  EXPECT_EQ(Analyse(f, lines), "");
  EXPECT_EQ(f.form.StringGrid3.Cell(1, 1), "5");  // both through vtx_state 0
}

TEST(AnalyseShapeFailure, NoElementFailsBeforeTheWarningsWithTheMatricesRead) {
  FormFixture f;
  ExportedShape shape = ElementsWithOwnSets(0);
  shape.matrices = {"MAIN", "SECOND"};
  shape.distanceLevels = 2;
  EXPECT_EQ(Analyse(f, BuildExportedShape(shape)),
            "Die Datei enthält keine Elemente: keine Zeile \"prim_state\" zwischen \"prim_states\" "
            "und \"lod_controls\".");
  EXPECT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.form.StringGrid1.RowCount(), 1);
  EXPECT_EQ(f.form.StringGrid3.Cell(0, 2), "SECOND");
}

TEST(AnalyseShapeFailure, BadLinesNameTheirLineNumber) {
  const Lines plain = BuildExportedShape(GradedElements(2));
  const std::string range = " liegt außerhalb des zulässigen Bereichs 0...800";
  const std::pair<std::string, std::string> cases[] = {
      {"tex_idxs ( 1 1.5 ) 0 0", "'1.5' ist kein gültiger Integerwert"},
      {"texture 0 0 0", "'' ist kein gültiger Integerwert"},
      {"tex_idxs ( 1 0 0.0", "'' ist kein gültiger Integerwert"},
      {"vertex_set ( 0 0", "'' ist kein gültiger Integerwert"},
      {"texture ( 801 0 )", "Der Image-Index 801" + range},
      {"vtx_state ( 0 -1 )", "Der Matrixindex -1" + range},
      {"tex_idxs ( 1 900 ) 0 0", "Der Texturindex 900" + range},
      {"tex_idxs ( 1 0 ) 0 -2", "Der vtx_state-Index -2" + range},
      {"prim_state_idx ( -2 )", "Der prim_state-Index -2" + range},
  };
  for (const auto& [line, error] : cases) {
    // The line replaces the first of its kind, named by its first word.
    Lines lines = plain;
    const std::size_t at = LineWith(lines, line.substr(0, line.find(' ')) + " ");
    lines[at] = line;
    FormFixture f;
    EXPECT_EQ(Analyse(f, lines),
              error + " (Zeile " + std::to_string(at + 1) + ")" + (error[0] == '\'' ? "" : "."));
  }

  // A primitive whose matrix is beyond the table fails after writing its faces.
  FormFixture f;
  ExportedShape shape = GradedElements(2);
  shape.vtxStateMatrices = {0, 3};
  Lines lines = BuildExportedShape(shape);
  const std::size_t indices = LineWith(lines, "prim_state_idx ( 1") + 2;
  EXPECT_EQ(
      Analyse(f, lines),
      "Das Primitiv verweist auf die Matrix 3, die Datei enthält aber nur 1 Matrizen (Zeile " +
          std::to_string(indices + 1) + ").");
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 2), "3");
  EXPECT_EQ(f.form.StringGrid3.Cell(1, 1), "2");

  // A name without a blank behind it runs to the end of its line.
  lines = plain;
  lines[LineWith(lines, "matrix MAIN")] = "matrix MAIN";
  EXPECT_EQ(Analyse(f, lines), "");
  EXPECT_EQ(f.form.StringGrid3.Cell(0, 1), "MAIN");
}

TEST(AnalyseShapeFailure, MoreEntriesThanTheIndexHoldsAreRefused) {
  const std::pair<const char*, std::function<void(ExportedShape&)>> cases[] = {
      {"Matrizen", [](ExportedShape& s) { s.matrices.resize(802, "M"); }},
      {"Images", [](ExportedShape& s) { s.images.resize(802, "i.ace"); }},
      {"Texturen", [](ExportedShape& s) { s.textures.resize(802, 0); }},
      {"Vertex-States", [](ExportedShape& s) { s.vtxStateMatrices.resize(802, 0); }},
      {"Elemente (prim_states)",
       [](ExportedShape& s) {
         s.elements.resize(802, {"e"});
         s.primitives = {{0, 1}};
       }},
      {"Vertex-Sets", [](ExportedShape& s) { s.setVertices.resize(802, 1); }},
  };
  for (const auto& [what, grow] : cases) {
    FormFixture f;
    ExportedShape shape;
    grow(shape);
    const std::string error = Analyse(f, BuildExportedShape(shape));
    EXPECT_EQ(error.rfind("Die Datei enthält mehr als 801 " + std::string(what) + " (Zeile ", 0),
              0u)
        << error;
  }
  // 801 of each is a shape the program works on.
  FormFixture f;
  ExportedShape shape = ElementsWithOwnSets(801, 1);
  shape.matrices.resize(801, "M");
  for (int k = 0; k < 801; ++k) shape.primitives.push_back({k, k == 800 ? 2 : 1});
  f.LoadShape(BuildExportedShape(shape));
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 801), "2");
}

}  // namespace
}  // namespace quarvel::testing
