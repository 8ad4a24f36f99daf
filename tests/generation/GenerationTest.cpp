// Splitting a shape into LODs and sub-objects through the window's command,
// told as the user's stories: the plan typed into the tables, the result
// read back line by line and through an independent parser.
#include <gtest/gtest.h>

#include "generation/GenerationHelpers.h"
#include "support/ShapeBuilder.h"

namespace quarvel::testing {
namespace {

// Three elements on two matrices; the second and third share a matrix.
ExportedShape ThreeElements() {
  ExportedShape shape = ElementsWithOwnSets(3, 6);
  shape.matrices = {"MAIN", "DOOR"};
  shape.vtxStateMatrices = {0, 1, 1};
  return shape;
}

std::string Tabs(std::size_t count) {
  return std::string(count, '\t');
}

using Generation = GenerationTest;

TEST_F(Generation, TwoLodsWithEverythingInOneRepeatTheSourceSubobject) {
  Load(ThreeElements());
  SetLods({"2000", "2000"});
  GenerateCleanly();

  EXPECT_EQ(LinesWith("distance_levels "),
            std::vector<std::string>{Tabs(3) + "distance_levels ( 2"});
  EXPECT_EQ(LinesWith("sub_objects"), std::vector<std::string>(2, Tabs(5) + "sub_objects ( 1"));
  // Each level's sub-object is the source's, counts rewritten with the same
  // values; only the vertex index lines take the writer's spacing.
  const std::vector<std::string> original(
      source.begin() + static_cast<std::ptrdiff_t>(LineWith(source, "sub_object (")),
      source.begin() + static_cast<std::ptrdiff_t>(LineWith(source, "prim_state_idx ( 2")) + 8);
  for (std::size_t level = 0; level < 2; ++level) {
    const std::vector<std::string> written = Subobject(level);
    ASSERT_EQ(written.size(), original.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
      if (original[i].find("vertex_idxs") == std::string::npos) {
        EXPECT_EQ(written[i], original[i]) << "line " << i;
      }
    }
  }
  EXPECT_EQ(LinesWith("vertex_idxs")[1], Tabs(9) + "vertex_idxs ( 6  6 7 8 9 10 11 ) ");
  EXPECT_EQ(Text().size(), source.size() + Subobject(0).size() + 8);
}

TEST_F(Generation, SubobjectsOfOneLodAndElementsLeftOutOfAnother) {
  Load(ThreeElements());
  const ElementTriangles triangles = SourceTriangles(source);
  SetLods({"150", "800"});
  Plan(1, {"1", "2", "1"});
  Plan(2, {"1", "999", "1"});
  GenerateCleanly();

  EXPECT_EQ(LinesWith("sub_objects"),
            (std::vector<std::string>{Tabs(5) + "sub_objects ( 2", Tabs(5) + "sub_objects ( 1"}));
  const ShapeContent content = ReadContent(ParseShapeTree(Text()));
  EXPECT_EQ(content.distances, (std::vector<std::string>{"150", "800"}));
  ASSERT_EQ(content.levels.size(), 2u);
  ASSERT_EQ(content.levels[0].size(), 2u);
  EXPECT_EQ(content.levels[0][0], Expected(triangles, {0, 2}));
  EXPECT_EQ(content.levels[0][1], Expected(triangles, {1}));
  ASSERT_EQ(content.levels[1].size(), 1u);
  EXPECT_EQ(content.levels[1][0], Expected(triangles, {0, 2}));
  // Sub-object 1 of LOD 1 keeps sets 0 and 2; set 2 moves down by set 1.
  EXPECT_EQ(Subobject(0)[2], Tabs(8) + "geometry_info ( 4 2 0 12 0 0 2 0 0 0");
  EXPECT_EQ(LinesWith("vertex_set (")[1], Tabs(8) + "vertex_set ( 2 6 6 )");
}

TEST_F(Generation, SortMarksGiveSortedSubobjectsTheirOwnVectorAndVolume) {
  Load(ThreeElements());
  SetLods({"150", "800"});
  Plan(1, {"1", "2", "1"});
  Plan(2, {"1", "999", "1"});
  Mark(1, 2);
  Mark(2, 2, "X");  // sub-object 2 of LOD 2 stays empty: not counted, not written
  GenerateCleanly();

  const std::vector<std::string> sphere = {Tabs(2) + "vol_sphere (",
                                           Tabs(3) + "vector ( 0.5 1.25 -2 ) 7.75", Tabs(2) + ")"};
  const std::size_t volumes = LineWith(Text(), "volumes");
  EXPECT_EQ(Text()[volumes], Tabs(1) + "volumes ( 2");
  for (std::size_t copy = 0; copy < 2; ++copy)
    for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(Text()[volumes + 1 + 3 * copy + k], sphere[k]);
  EXPECT_EQ(Text()[volumes + 7], Tabs(1) + ")");

  const std::size_t vectors = LineWith(Text(), "sort_vectors");
  EXPECT_EQ(Text()[vectors], Tabs(1) + "sort_vectors ( 2");
  EXPECT_EQ(Text()[vectors + 1], Tabs(3) + "vector ( 0.5 1.25 -2 )");
  EXPECT_EQ(Text()[vectors + 2], Tabs(2) + "vector ( 0 0 1 )");
  EXPECT_EQ(Text()[vectors + 3], Tabs(1) + ")");

  EXPECT_EQ(
      LinesWith("sub_object_header"),
      (std::vector<std::string>{Tabs(7) + "sub_object_header ( 00000400 -1 -1 000001d2 000001c4",
                                Tabs(7) + "sub_object_header ( 00000500 0 1 000001d2 000001c4",
                                Tabs(7) + "sub_object_header ( 00000400 -1 -1 000001d2 000001c4"}));
}

TEST_F(Generation, OddFlagsStayWhileTheSortIndicesAreSet) {
  ExportedShape shape = ThreeElements();
  shape.flags = "00000401";
  Load(shape);
  SetLods({"300", "1200"});
  Mark(1, 1);
  Mark(2, 1);
  GenerateCleanly();
  EXPECT_EQ(
      LinesWith("sub_object_header"),
      (std::vector<std::string>{Tabs(7) + "sub_object_header ( 00000401 0 1 000001d2 000001c4",
                                Tabs(7) + "sub_object_header ( 00000401 1 2 000001d2 000001c4"}));
  EXPECT_EQ(LinesWith("volumes")[0], Tabs(1) + "volumes ( 3");
  EXPECT_EQ(LinesWith("sort_vectors")[0], Tabs(1) + "sort_vectors ( 3");
}

TEST_F(Generation, EmptyLodOrGapBeforeAFilledSubobjectIsRefused) {
  Load(ThreeElements());
  SetLods({"150", "800"});
  Plan(2, {"999", "999", "999"});
  Generate();
  ExpectRefused(
      "LOD 2 ist leer oder ein leeres Subobjekt liegt vor nicht-leeren Subobjekten. Dies würde "
      "zum Absturz des Simulators führen. Abbruch der Aktion.");

  f.dialogs.ClearShown();
  Plan(2, {"1", "1", "1"});
  Plan(1, {"1", "3", "1"});
  Generate();
  ExpectRefused(
      "LOD 1 ist leer oder ein leeres Subobjekt liegt vor nicht-leeren Subobjekten. Dies würde "
      "zum Absturz des Simulators führen. Abbruch der Aktion.");
}

TEST_F(Generation, VerticesOfLeftOutSetsAreRemovedAndIndicesFollow) {
  ExportedShape shape = ElementsWithOwnSets(3);
  shape.setVertices = {100, 50, 80};
  Load(shape);
  Plan(1, {"1", "2", "1"});
  GenerateCleanly();

  const std::vector<std::string> first = Subobject(0);
  EXPECT_EQ(first[LineWith(first, "vertices")], Tabs(7) + "vertices ( 180");
  EXPECT_EQ(first[LineWith(first, "vertices") + 1 + 3 * 100],
            Tabs(8) + "vertex ( 00000000 150 0 ffffffff ff808080");
  EXPECT_EQ(first[LineWith(first, "vertex_sets")], Tabs(7) + "vertex_sets ( 2");
  EXPECT_EQ(first[LineWith(first, "vertex_sets") + 2], Tabs(8) + "vertex_set ( 2 100 80 )");
  EXPECT_EQ(first[LineWith(first, "primitives")], Tabs(7) + "primitives ( 4");
  EXPECT_EQ(first[LineWith(first, "prim_state_idx ( 2") + 2],
            Tabs(9) + "vertex_idxs ( 9  100 101 102 103 104 105 106 107 108 ) ");

  const std::vector<std::string> second = Subobject(1);
  EXPECT_EQ(second[LineWith(second, "vertices")], Tabs(7) + "vertices ( 50");
  EXPECT_EQ(second[LineWith(second, "vertex_sets") + 1], Tabs(8) + "vertex_set ( 1 0 50 )");
  EXPECT_EQ(second[LineWith(second, "prim_state_idx ( 1") + 2],
            Tabs(9) + "vertex_idxs ( 6  0 1 2 3 4 5 ) ");
}

TEST_F(Generation, OnlyTheNodesInUseAreWrittenFromTheFirstBlock) {
  ExportedShape shape = ElementsWithOwnSets(3);
  shape.matrices = {"A", "B", "C"};
  shape.vtxStateMatrices = {0, 1, 2};
  std::vector<std::string> lines = BuildExportedShape(shape);
  // The third node's block differs from the first beyond its counts.
  const std::size_t nodes = LineWith(lines, "geometry_nodes");
  lines[nodes + 7] = Tabs(10) + "geometry_node ( 1 9 9 9 9";
  Load(lines);
  Plan(1, {"2", "2", "1"});
  GenerateCleanly();

  const std::vector<std::string> first = Subobject(0);
  const std::size_t written = LineWith(first, "geometry_nodes");
  EXPECT_EQ(std::vector<std::string>(first.begin() + static_cast<std::ptrdiff_t>(written),
                                     first.begin() + static_cast<std::ptrdiff_t>(written) + 6),
            (std::vector<std::string>{Tabs(9) + "geometry_nodes ( 1",
                                      Tabs(10) + "geometry_node ( 1 0 0 0 0",
                                      Tabs(11) + "cullable_prims ( 1 3 9 )", Tabs(10) + ")",
                                      Tabs(9) + ")", Tabs(9) + "geometry_node_map ( 3 -1 -1 0 )"}));
  EXPECT_EQ(first[2], Tabs(8) + "geometry_info ( 3 1 0 9 0 0 1 0 0 0");
  EXPECT_EQ(LinesWith("geometry_node_map")[1], Tabs(9) + "geometry_node_map ( 3 0 1 -1 )");
}

TEST_F(Generation, AnElementInEverySubobjectIsShiftedForEach) {
  Load(ThreeElements());
  const ElementTriangles triangles = SourceTriangles(source);
  SetLods({"500", "2000"});
  Plan(1, {"0", "1", "2"});
  Plan(2, {"0", "999", "999"});  // sub-objects 1 and 2 of LOD 2 both get element 0
  GenerateCleanly();

  const ShapeContent content = ReadContent(ParseShapeTree(Text()));
  ASSERT_EQ(content.levels.size(), 2u);
  ASSERT_EQ(content.levels[0].size(), 2u);
  EXPECT_EQ(content.levels[0][0], Expected(triangles, {0, 1}));
  EXPECT_EQ(content.levels[0][1], Expected(triangles, {0, 2}));
  ASSERT_EQ(content.levels[1].size(), 2u);
  EXPECT_EQ(content.levels[1][0], Expected(triangles, {0}));
  EXPECT_EQ(content.levels[1][1], Expected(triangles, {0}));
}

TEST_F(Generation, TheCommandShowsItsProgressAndDisablesItself) {
  Load(ThreeElements());
  SetLods({"400", "2000"});
  Plan(1, {"1", "2", "2"});
  f.dialogs.processed = 0;
  GenerateCleanly();

  EXPECT_FALSE(f.form.Sub_ObjectsButton.enabled);
  EXPECT_TRUE(f.form.SMemo.visible);
  EXPECT_FALSE(f.form.SOAnzLabel.visible);
  EXPECT_FALSE(f.form.SOAnzLabel1.visible);
  EXPECT_EQ(f.form.SOAnzLabel.caption, "2. LOD 1. Subobjekt...");
  EXPECT_EQ(f.form.SOAnzLabel1.caption, "Faces...");
  // Nine rounds of window messages after each caption: header, vertices and
  // one per element row, for each of the three sub-objects.
  EXPECT_EQ(f.dialogs.processed, 3 * 9 * (2 + 3));
  EXPECT_EQ(f.form.Label2.caption, std::to_string(Text().size()) + " " + f.Lang(22));
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
  EXPECT_TRUE(f.form.shapeText.Modified());
}

TEST_F(Generation, TheSplitOfAOneLineSortVectorListStaysWhenTheCommandIsAbandoned) {
  ExportedShape shape = ThreeElements();
  shape.oneLineSortVectors = true;
  Load(shape);
  Plan(1, {"2", "2", "2"});
  Generate();
  ASSERT_EQ(f.dialogs.Count(), 1u);
  std::vector<std::string> expected = source;
  const std::size_t line = LineWith(expected, "sort_vectors");
  expected[line] = Tabs(1) + "sort_vectors ( 0 ";
  expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(line) + 1, "\t)");
  EXPECT_EQ(Text(), expected);
  EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);

  // Run again with a sort mark, the list grows from the split form.
  f.dialogs.ClearShown();
  Plan(1, {"1", "1", "2"});
  Mark(1, 2);
  GenerateCleanly();
  const std::size_t vectors = LineWith(Text(), "sort_vectors");
  EXPECT_EQ(Text()[vectors], Tabs(1) + "sort_vectors ( 1 ");
  EXPECT_EQ(Text()[vectors + 1], Tabs(3) + "vector ( 0.5 1.25 -2 )");
  EXPECT_EQ(Text()[vectors + 2], "\t)");
}

TEST_F(Generation, AShapeWithoutDistanceLevelsKeepsItsTextAndDisablesTheCommand) {
  Load(ThreeElements());
  // Edited in the text view after opening, so the analysis did not see it.
  const std::size_t line = LineWith(source, "distance_levels (");
  source[line] = Tabs(3) + "distance_levelz ( 1";
  f.form.shapeText.Replace(line, source[line]);
  f.form.shapeText.SetModified(false);
  Generate();
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Error);
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "Schwerer Syntaxfehler in der Datei (LOD nicht gefunden). Abbruch der Aktion.");
  EXPECT_EQ(Text(), source);
  EXPECT_FALSE(f.form.shapeText.Modified());
  EXPECT_FALSE(f.form.Sub_ObjectsButton.enabled);
  EXPECT_TRUE(f.form.SMemo.visible);
  EXPECT_FALSE(f.form.SOAnzLabel.visible);
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
}

TEST_F(Generation, AMatrixNamedLikeTheVolumesListIsLeftAlone) {
  ExportedShape shape = ThreeElements();
  shape.matrices = {"MAIN", "volumes_lamp"};
  shape.animation = true;
  Load(shape);
  Plan(1, {"1", "2", "2"});
  Mark(1, 1);
  GenerateCleanly();
  EXPECT_EQ(LinesWith("volumes"),
            (std::vector<std::string>{Tabs(1) + "volumes ( 2",
                                      Tabs(2) + "matrix volumes_lamp ( 1 0 0 0 1 0 0 0 1 0 0 0 )",
                                      Tabs(4) + "anim_node volumes_lamp ("}));
}

}  // namespace
}  // namespace quarvel::testing
