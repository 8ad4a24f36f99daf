// Splitting a shape into LODs and sub-objects through the window's command,
// told as the user's stories: the plan typed into the tables, the result
// read back line by line and through an independent parser.
#include <gtest/gtest.h>

#include "generation/GenerationHelpers.h"

namespace quarvel::testing {
namespace {

using Lines = std::vector<std::string>;

// Three elements on two matrices; the second and third share a matrix.
ExportedShape ThreeElements() {
  ExportedShape shape = ElementsWithOwnSets(3, 6);
  shape.matrices = {"MAIN", "DOOR"};
  shape.vtxStateMatrices = {0, 1, 1};
  return shape;
}

using Generation = GenerationTest;

TEST_F(Generation, LeftOutSetsLeaveTheirVerticesAndNodesBehind) {
  ExportedShape shape = ElementsWithOwnSets(3);
  shape.matrices = {"A", "B", "C"};
  shape.vtxStateMatrices = {0, 1, 2};
  shape.setVertices = {100, 50, 80};
  Lines lines = BuildExportedShape(shape);
  // The third node's block differs from the first beyond its counts.
  lines[LineWith(lines, "geometry_nodes") + 7] = Tabs(10) + "geometry_node ( 1 9 9 9 9";
  Load(lines);
  Plan(1, {"1", "2", "1"});
  f.dialogs.processed = 0;
  GenerateCleanly();

  // Sets 0 and 2: set 2 and its indices move down by the 50 vertices of set 1.
  const Lines first = Subobject(0);
  const auto at = [&first](const std::string& text, std::size_t offset = 0) {
    return first[LineWith(first, text) + offset];
  };
  EXPECT_EQ(at("vertices"), Tabs(7) + "vertices ( 180");
  EXPECT_EQ(at("vertices", 1 + 3 * 100), Tabs(8) + "vertex ( 00000000 150 0 ffffffff ff808080");
  EXPECT_EQ(at("vertex_sets"), Tabs(7) + "vertex_sets ( 2");
  EXPECT_EQ(at("vertex_sets", 2), Tabs(8) + "vertex_set ( 2 100 80 )");
  EXPECT_EQ(at("primitives"), Tabs(7) + "primitives ( 4");
  EXPECT_EQ(at("prim_state_idx ( 2", 2),
            Tabs(9) + "vertex_idxs ( 9  100 101 102 103 104 105 106 107 108 ) ");
  // One node block per matrix in use, each from the first source block.
  EXPECT_EQ(Lines(first.begin() + 2, first.begin() + 12),
            (Lines{Tabs(8) + "geometry_info ( 4 2 0 12 0 0 2 0 0 0", Tabs(9) + "geometry_nodes ( 2",
                   Tabs(10) + "geometry_node ( 1 0 0 0 0", Tabs(11) + "cullable_prims ( 1 1 3 )",
                   Tabs(10) + ")", Tabs(10) + "geometry_node ( 1 0 0 0 0",
                   Tabs(11) + "cullable_prims ( 1 3 9 )", Tabs(10) + ")", Tabs(9) + ")",
                   Tabs(9) + "geometry_node_map ( 3 0 -1 1 )"}));

  const Lines second = Subobject(1);
  EXPECT_EQ(second[LineWith(second, "vertices")], Tabs(7) + "vertices ( 50");
  EXPECT_EQ(second[LineWith(second, "vertex_sets") + 1], Tabs(8) + "vertex_set ( 1 0 50 )");
  EXPECT_EQ(second[LineWith(second, "prim_state_idx ( 1") + 2],
            Tabs(9) + "vertex_idxs ( 6  0 1 2 3 4 5 ) ");
  EXPECT_EQ(second[LineWith(second, "geometry_node_map")],
            Tabs(9) + "geometry_node_map ( 3 -1 0 -1 )");

  // The command ran once, showed where it was and gave the window back.
  EXPECT_FALSE(f.form.Sub_ObjectsButton.enabled);
  EXPECT_TRUE(f.form.SMemo.visible);
  EXPECT_FALSE(f.form.SOAnzLabel.visible);
  EXPECT_FALSE(f.form.SOAnzLabel1.visible);
  EXPECT_EQ(f.form.SOAnzLabel.caption, "1. LOD 2. Subobjekt...");
  EXPECT_EQ(f.form.SOAnzLabel1.caption, "Faces...");
  // Nine rounds of window messages after each caption: header, vertices and
  // one per element row, for each of the two sub-objects.
  EXPECT_EQ(f.dialogs.processed, 2 * 9 * (2 + 3));
  EXPECT_EQ(f.form.Label2.caption, f.LineCountCaption());
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
  EXPECT_TRUE(f.form.session.text.Modified());
}

TEST_F(Generation, TheSplitOfAOneLineSortVectorListStaysWhenTheCommandIsAbandoned) {
  ExportedShape shape = ThreeElements();
  shape.oneLineSortVectors = true;
  Load(shape);
  Plan(1, {"2", "2", "2"});
  Generate();
  ASSERT_EQ(f.dialogs.Count(), 1u);
  Lines expected = source;
  const std::size_t line = LineWith(expected, "sort_vectors");
  expected[line] = Tabs(1) + "sort_vectors ( 0 ";
  expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(line) + 1, "\t)");
  EXPECT_EQ(Text(), expected);
  EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);

  // Run again with a sort mark: the list grows from the split form.
  f.dialogs.shown.clear();
  Plan(1, {"1", "1", "2"});
  Mark(1, 2);
  GenerateCleanly();
  const std::size_t vectors = LineWith(Text(), "sort_vectors");
  EXPECT_EQ(Lines(Text().begin() + static_cast<std::ptrdiff_t>(vectors),
                  Text().begin() + static_cast<std::ptrdiff_t>(vectors) + 3),
            (Lines{Tabs(1) + "sort_vectors ( 1 ", Tabs(3) + "vector ( 0.5 1.25 -2 )", "\t)"}));
}

TEST_F(Generation, AShapeWithoutDistanceLevelsKeepsItsText) {
  Load(ThreeElements());
  // Edited in the text view after opening, so the analysis did not see it.
  const std::size_t line = LineWith(source, "distance_levels (");
  source[line] = Tabs(3) + "distance_levelz ( 1";
  f.form.session.text.Replace(line, source[line]);
  f.form.session.text.SetModified(false);
  Generate();
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "Die Datei ist fehlerhaft (Zeile " +
                std::to_string(LineWith(source, "lod_control (") + 1) +
                "): Im Block \"lod_control\" fehlt der Block \"distance_levels\". Abbruch der "
                "Aktion.");
  EXPECT_EQ(Text(), source);
  EXPECT_FALSE(f.form.session.text.Modified());
  EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);
  EXPECT_TRUE(f.form.SMemo.visible);
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
}

TEST_F(Generation, AMatrixNamedLikeTheVolumesListIsLeftAlone) {
  ExportedShape shape = ThreeElements();
  shape.matrices = {"MAIN", "volumes_lamp"};
  shape.animNodes = {{"MAIN", {}}, {"volumes_lamp", {}}};
  Load(shape);
  Plan(1, {"1", "2", "2"});
  Mark(1, 1);
  GenerateCleanly();
  EXPECT_EQ(
      LinesWith("volumes"),
      (Lines{Tabs(1) + "volumes ( 2", Tabs(2) + "matrix volumes_lamp ( 1 0 0 0 1 0 0 0 1 0 0 0 )",
             Tabs(4) + "anim_node volumes_lamp ("}));
}

}  // namespace
}  // namespace quarvel::testing
