#include "shape/AnalyseShape.h"

#include <gtest/gtest.h>

#include <functional>

#include "SyntheticShape.h"
#include "common/Convert.h"
#include "support/FormFixture.h"
#include "support/ShapeBuilder.h"

namespace quarvel::testing {
namespace {

std::string LineNo(const std::vector<std::string>& lines, const std::string& text) {
  return std::to_string(LineWith(lines, text) + 1);
}

// Runs the analysis on `lines` the way undo does: through the window's
// general error handler. Returns the error text, "" when it succeeded.
std::string Analyse(FormFixture& f, const std::vector<std::string>& lines) {
  f.form.shapeText.Assign(lines);
  f.dialogs.ClearShown();
  if (f.form.Run([&f] { f.form.AnalyseShape(); })) return "";
  EXPECT_GE(f.dialogs.Count(), 1u);
  return f.dialogs.Count() > 0 ? f.dialogs.Shown(f.dialogs.Count() - 1).text : "";
}

TEST(AnalyseShape, ExportedShapeGivesOneRowPerElementAndNoWarning) {
  FormFixture f;
  bench::SyntheticShapeOptions options;
  options.elements = 5;
  options.matrices = 2;
  options.images = 3;
  options.facesPerElement = 7;
  f.LoadShape(bench::MakeSyntheticShape(options));

  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);
  const StringGrid& elements = f.form.StringGrid1;
  ASSERT_EQ(elements.RowCount(), 6);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(elements.Cell(0, k + 1), "Element_" + std::to_string(k));
    EXPECT_EQ(elements.Cell(1, k + 1), "texture" + std::to_string(k % 3) + ".ace");
    EXPECT_EQ(elements.Cell(2, k + 1), "7");
  }
  // Elements 0, 2, 4 hang on MAIN, 1 and 3 on PART1.
  const StringGrid& matrices = f.form.StringGrid3;
  ASSERT_EQ(matrices.RowCount(), 3);
  EXPECT_EQ(matrices.Cell(0, 1), "MAIN");
  EXPECT_EQ(matrices.Cell(1, 1), "21");
  EXPECT_EQ(matrices.Cell(0, 2), "PART1");
  EXPECT_EQ(matrices.Cell(1, 2), "14");

  const ShapeIndex& index = f.form.shapeIndex;
  EXPECT_EQ(index.MatrixCount, 2);
  EXPECT_EQ(index.ImageCount, 3);
  EXPECT_EQ(index.TextureCount, 3);
  EXPECT_EQ(index.VtxStateCount, 5);
  EXPECT_EQ(index.ElementCount, 5);
  EXPECT_EQ(index.VertexSetCount, 5);
  EXPECT_EQ(index.ElementVtxStates[3], 3);
  EXPECT_EQ(index.VtxStateMatrices[3], 1);
  EXPECT_EQ(index.VertexSets[4].vtxState, 4);
  EXPECT_EQ(index.VertexSets[4].firstVertex, 48);
  EXPECT_EQ(index.VertexSets[4].vertexCount, 12);
}

TEST(AnalyseShape, ImageNamesAreTrimmedAndLowerCasedWithTheirAccents) {
  FormFixture f;
  ShapeParts parts = SimpleParts(2);
  parts.images = {"  Dach.ACE ", "T\xC4R.ace"};  // Latin-1 capital A with diaeresis
  parts.textures = {0, 1};
  parts.elements[1].texture = 1;
  f.LoadShape(BuildShape(parts));
  EXPECT_EQ(f.form.shapeIndex.ImageNames[0], "dach.ace");
  EXPECT_EQ(f.form.StringGrid1.Cell(1, 1), "dach.ace");
  EXPECT_EQ(f.form.StringGrid1.Cell(1, 2), "t\xC3\xA4r.ace");  // shown as UTF-8
}

TEST(AnalyseShape, FacesComeFromTheIndexCountAndMatricesSumAllTheirPrimitives) {
  FormFixture f;
  ShapeParts parts;
  parts.matrices = {"MAIN", "WHEEL"};
  parts.vtxStates = {1, 1, 0};  // states 0 and 1 both on WHEEL
  parts.elements = {{"a", 0, 0}, {"b", 0, 1}, {"c", 0, 2}, {"unused", 0, 2}};
  // Element b is drawn twice: its cell shows the last count, WHEEL sums all.
  parts.primitives = {{0, 4}, {1, 6}, {2, 12}, {1, 3}};
  f.LoadShape(BuildShape(parts));

  const StringGrid& elements = f.form.StringGrid1;
  EXPECT_EQ(elements.Cell(2, 1), "4");
  EXPECT_EQ(elements.Cell(2, 2), "3");
  EXPECT_EQ(elements.Cell(2, 3), "12");
  EXPECT_EQ(elements.Cell(2, 4), "0");
  EXPECT_EQ(f.form.StringGrid3.Cell(1, 1), "12");
  EXPECT_EQ(f.form.StringGrid3.Cell(1, 2), "13");
}

TEST(AnalyseShape, PrimitiveCountIsHalvedAndVertexIndexCountDividedByThree) {
  FormFixture f;
  ShapeParts parts = SimpleParts(4);
  parts.primitives = {{0, 12}, {1, 5}, {2, 5}, {3, 5}};
  std::vector<std::string> lines = BuildShape(parts);
  lines[LineWith(lines, "primitives ( 8")] = "\t\t\t\t\t\t\tprimitives ( 7";
  f.LoadShape(lines);
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 1), "12");
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 3), "5");
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 4), "0");  // the fourth primitive is not read
}

TEST(AnalyseShape, WarnsAboutSeveralLevelsOrSubobjectsAndStillFillsTheTables) {
  FormFixture f;
  ShapeParts parts = SimpleParts(2);
  parts.distanceLevels = 2;
  parts.subObjects = 3;
  f.LoadShape(BuildShape(parts));

  ASSERT_EQ(f.dialogs.Count(), 2u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(0).buttons, Buttons::Ok);
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "Die Datei enthält 2 LOD's, es werden keine weiteren LOD's und Subobjekte "
            "hergestellt.");
  EXPECT_EQ(f.dialogs.Shown(1).text,
            "Das erste LOD enthält 3 Subobjekte, es werden keine weiteren LOD's oder Subobjekte "
            "hergestellt. Es handelt sich NICHT um eine originale TSM-Datei!");
  EXPECT_FALSE(f.form.Sub_ObjectsButton.enabled);
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 2), "3");
  EXPECT_EQ(f.form.shapeIndex.VertexSetCount, 2);
}

TEST(AnalyseShape, OnlyTheKeywordWithItsBlankCountsAsDistanceLevels) {
  FormFixture f;
  std::vector<std::string> lines = BuildShape(SimpleParts(1));
  lines[LineWith(lines, "distance_levels_header")] = "\t\t\tdistance_levels_header ( 5 )";
  lines.insert(lines.begin() + static_cast<long>(LineWith(lines, "distance_levels (")),
               "\t\t\tdistance_levelsX ( 4");
  f.LoadShape(lines);
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);
}

TEST(AnalyseShape, RenewedAnalysisKeepsThePlanAndNothingOfTheShapeBefore) {
  FormFixture f;
  ShapeParts first = SimpleParts(3);
  first.images = {"a.ace", "b.ace", "c.ace"};
  first.textures = {0, 1, 2};
  first.elements[2].texture = 2;
  f.LoadShape(BuildShape(first));
  f.form.StringGrid1SetEditText(3, 1, "2");
  f.form.StringGrid1SetEditText(3, 3, "999");

  // As after undo: the same rows again, and the user's plan with them.
  f.form.AnalyseShape();
  EXPECT_EQ(f.form.StringGrid1.Cell(3, 1), "2");
  EXPECT_EQ(f.form.StringGrid1.Cell(3, 3), "999");
  EXPECT_EQ(f.form.StringGrid1.Cell(1, 3), "c.ace");

  // A second shape whose element refers to a texture it does not define
  // reads an empty entry, not the third texture of the shape before; its
  // unused element shows no faces of the element that stood in its row.
  ShapeParts second = SimpleParts(3);
  second.elements[0].texture = 2;
  second.primitives = {{0, 2}, {2, 2}};
  f.LoadShape(BuildShape(second));
  EXPECT_EQ(f.form.StringGrid1.Cell(1, 1), "tex.ace");  // texture 2 -> image 0
  EXPECT_EQ(f.form.shapeIndex.TextureImages[2], 0);
  EXPECT_EQ(f.form.shapeIndex.TextureCount, 1);
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 2), "0");
}

TEST(AnalyseShape, EmptyTextChangesNothing) {
  FormFixture f;
  f.LoadShape(BuildShape(SimpleParts(2)));
  f.form.shapeText.Clear();
  f.form.AnalyseShape();
  EXPECT_EQ(f.form.StringGrid1.RowCount(), 3);
  EXPECT_EQ(f.form.shapeIndex.ElementCount, 2);
}

TEST(AnalyseShapeFailure, NoElementFailsAfterTheMatricesAndBeforeTheWarnings) {
  FormFixture f;
  ShapeParts parts = SimpleParts(0);
  parts.matrices = {"MAIN", "SECOND"};
  parts.distanceLevels = 2;
  const std::string error = Analyse(f, BuildShape(parts));
  EXPECT_EQ(error,
            "Die Datei enthält keine Elemente: keine Zeile \"prim_state\" zwischen \"prim_states\" "
            "und \"lod_controls\".");
  EXPECT_EQ(f.dialogs.Count(), 1u);  // no warning about the levels
  EXPECT_EQ(f.form.StringGrid1.RowCount(), 1);
  EXPECT_EQ(f.form.StringGrid3.RowCount(), 3);
  EXPECT_EQ(f.form.StringGrid3.Cell(0, 2), "SECOND");
}

TEST(AnalyseShapeFailure, NumbersThatAreNoIntegersNameTheirLine) {
  FormFixture f;
  std::vector<std::string> lines = BuildShape(SimpleParts(2));
  lines[LineWith(lines, "tex_idxs")] = "\t\t\ttex_idxs ( 1 1.5 ) 0.0 0 0 0 1";
  EXPECT_EQ(Analyse(f, lines),
            "'1.5' ist kein gültiger Integerwert (Zeile " + LineNo(lines, "tex_idxs") + ")");

  // Lines that lack the parenthesis or the number read to their end.
  lines = BuildShape(SimpleParts(2));
  lines[LineWith(lines, "texture (")] = "\t\ttexture 0 0 0 ff000000";
  EXPECT_EQ(Analyse(f, lines),
            "'' ist kein gültiger Integerwert (Zeile " + LineNo(lines, "texture 0") + ")");
  lines = BuildShape(SimpleParts(2));
  lines[LineWith(lines, "tex_idxs")] = "\t\t\ttex_idxs ( 1 0 0.0";
  EXPECT_EQ(Analyse(f, lines),
            "'' ist kein gültiger Integerwert (Zeile " + LineNo(lines, "tex_idxs") + ")");
  lines = BuildShape(SimpleParts(2));
  lines[LineWith(lines, "vertex_set (")] = "\t\t\t\t\t\t\t\tvertex_set ( 0 0";
  EXPECT_EQ(Analyse(f, lines),
            "'' ist kein gültiger Integerwert (Zeile " + LineNo(lines, "vertex_set (") + ")");
  EXPECT_EQ(f.form.shapeIndex.VertexSetCount, 2);

  // A name without a blank behind it runs to the end of its line.
  lines = BuildShape(SimpleParts(1));
  lines[LineWith(lines, "matrix MAIN")] = "\t\tmatrix MAIN";
  lines[LineWith(lines, "prim_state Element0")] = "\t\tprim_state Element0";
  EXPECT_EQ(Analyse(f, lines), "");
  EXPECT_EQ(f.form.StringGrid3.Cell(0, 1), "MAIN");
  EXPECT_EQ(f.form.StringGrid1.Cell(0, 1), "Element0");
}

TEST(AnalyseShapeFailure, PrimitiveOnAMatrixBeyondTheTableKeepsWhatWasRead) {
  FormFixture f;
  ShapeParts parts = SimpleParts(2);
  parts.vtxStates = {0, 3};  // the shape has one matrix only
  const std::vector<std::string> lines = BuildShape(parts);
  const std::size_t second = LineWith(lines, "prim_state_idx ( 1") + 2;
  EXPECT_EQ(Analyse(f, lines),
            "Das Primitiv verweist auf die Matrix 3, die Datei enthält aber "
            "nur 1 Matrizen (Zeile " +
                std::to_string(second + 1) + ").");
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 2), "3");  // written before the failure
  EXPECT_EQ(f.form.StringGrid3.Cell(1, 1), "2");
}

TEST(AnalyseShapeFailure, IndicesOutsideTheIndexAreRefusedWithTheirLine) {
  struct Case {
    const char* line;  // the line to replace
    std::string replacement;
    std::string message;
  };
  const Case cases[] = {
      {"texture (", "\t\ttexture ( 801 0 0 ff000000 )", "Der Image-Index 801"},
      {"vtx_state (", "\t\tvtx_state ( 00000000 -1 -5 0 00000002 )", "Der Matrixindex -1"},
      {"tex_idxs", "\t\t\ttex_idxs ( 1 900 ) 0.0 0 0 0 1", "Der Texturindex 900"},
      {"tex_idxs", "\t\t\ttex_idxs ( 1 0 ) 0.0 -2 0 0 1", "Der vtx_state-Index -2"},
      {"prim_state_idx", "\t\tprim_state_idx ( 801 )", "Der prim_state-Index 801"},
      {"prim_state_idx", "\t\tprim_state_idx ( -2 )", "Der prim_state-Index -2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.replacement);
    FormFixture f;
    std::vector<std::string> lines = BuildShape(SimpleParts(2));
    const std::size_t at = LineWith(lines, c.line);
    lines[at] = c.replacement;
    EXPECT_EQ(Analyse(f, lines), c.message +
                                     " liegt außerhalb des zulässigen Bereichs 0...800 (Zeile " +
                                     std::to_string(at + 1) + ").");
  }
}

TEST(AnalyseShapeFailure, IndexBeyondWhatTheShapeDefinesReadsAnEmptyEntry) {
  FormFixture f;
  std::vector<std::string> lines = BuildShape(SimpleParts(2));
  lines[LineWith(lines, "prim_state_idx ( 1")] = "\t\tprim_state_idx ( 800 )";
  EXPECT_EQ(Analyse(f, lines), "");
  EXPECT_EQ(f.form.StringGrid1.RowCount(), 3);
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 2), "0");
  EXPECT_EQ(f.form.StringGrid3.Cell(1, 1), "5");  // 2 + 3 faces, both through vtx_state 0
}

TEST(AnalyseShapeFailure, MoreEntriesThanTheIndexHoldsAreRefused) {
  struct Case {
    const char* what;
    std::function<void(ShapeParts&)> grow;
    std::function<int(const ShapeIndex&)> filled;
  };
  const Case cases[] = {
      {"Matrizen", [](ShapeParts& p) { p.matrices.resize(802, "M"); },
       [](const ShapeIndex& i) { return i.MatrixCount; }},
      {"Images", [](ShapeParts& p) { p.images.resize(802, "i.ace"); },
       [](const ShapeIndex& i) { return i.ImageCount; }},
      {"Texturen", [](ShapeParts& p) { p.textures.resize(802, 0); },
       [](const ShapeIndex& i) { return i.TextureCount; }},
      {"Vertex-States", [](ShapeParts& p) { p.vtxStates.resize(802, 0); },
       [](const ShapeIndex& i) { return i.VtxStateCount; }},
      {"Elemente (prim_states)",
       [](ShapeParts& p) {
         p.elements.resize(802, {"e", 0, 0});
       },
       [](const ShapeIndex& i) { return i.ElementCount; }},
      {"Vertex-Sets",
       [](ShapeParts& p) {
         p.vertexSets.resize(802, {0, 0, 1});
       },
       [](const ShapeIndex& i) { return i.VertexSetCount; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FormFixture f;
    ShapeParts parts = SimpleParts(1);
    c.grow(parts);
    const std::string error = Analyse(f, BuildShape(parts));
    EXPECT_EQ(error.rfind("Die Datei enthält mehr als 801 " + std::string(c.what) + " (Zeile ", 0),
              0u)
        << error;
    EXPECT_NE(error.find("Solche Dateien können nicht bearbeitet werden."), std::string::npos);
    EXPECT_LE(c.filled(f.form.shapeIndex), 801);
  }
  // 801 of each is still a shape the program works on.
  FormFixture f;
  ShapeParts parts = SimpleParts(801);
  parts.matrices.resize(801, "M");
  f.LoadShape(BuildShape(parts));
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(f.form.shapeIndex.ElementCount, 801);
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 801), "802");
}

}  // namespace
}  // namespace quarvel::testing
