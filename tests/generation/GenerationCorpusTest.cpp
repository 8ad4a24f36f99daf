// Every real shape with one distance level and one sub-object, split into
// two LODs of several sub-objects with sort marks, and every result read
// back by an independent parser: consistent, and each element's triangles
// exactly where the plan puts them. Shapes whose primitive lists the writer
// cannot split are refused instead.
#include <gtest/gtest.h>

#include <algorithm>

#include "generation/GenerationHelpers.h"

namespace quarvel::testing {
namespace {

// The shapes of both manifests that have the layout the command splits
// (relative to the corpus folder); a single "" when there is no corpus.
std::vector<std::string> SplittableShapes() {
  std::vector<std::string> files;
  if (!CorpusDir().empty()) {
    for (const ManifestRow& row : ReadManifest(CorpusDir()))
      if (row.at("distance_levels") == "1" && row.at("sub_objects_in_first_level") == "1")
        files.push_back(row.at("file"));
    for (const ManifestRow& row : ReadManifest(CorpusDir() + "/tsm"))
      files.push_back("tsm/" + row.at("file"));
  }
  if (files.empty()) files.push_back("");
  return files;
}

// Whether some prim_state_idx carries more than one triangle list.
bool HasSeveralListsPerPrimitive(const ShapeNode& node) {
  int lists = 0;
  for (const ShapeNode& entry : node.children) {
    if (entry.keyword == "prim_state_idx") lists = 0;
    if (entry.keyword == "indexed_trilist" && ++lists > 1) return true;
    if (HasSeveralListsPerPrimitive(entry)) return true;
  }
  return false;
}

class GenerationCorpus : public GenerationTest,
                         public ::testing::WithParamInterface<std::string> {};

TEST_P(GenerationCorpus, SplitsIntoTwoLodsOrIsRefused) {
  if (GetParam().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set";
  SCOPED_TRACE(GetParam());
  Load(ReadShapeLines(CorpusDir() + "/" + GetParam()));
  // Other exporters count their primitives in the headers their own way, so
  // only the result is held to the checks.
  const ShapeNode sourceTree = ParseShapeTree(source);

  // LOD 1: rows spread over up to three sub-objects in turn; LOD 2: every
  // second row left out. Sorted: sub-object 2 of LOD 1 and 1 of LOD 2.
  const int elements = f.form.session.Elements();
  ASSERT_GT(elements, 0);
  SetLods({"300", "2000"});
  std::vector<std::string> first, second;
  std::vector<std::vector<int>> firstMembers(static_cast<std::size_t>(std::min(elements, 3)));
  std::vector<int> secondMembers;
  for (int k = 0; k < elements; ++k) {
    first.push_back(std::to_string(k % 3 + 1));
    firstMembers[static_cast<std::size_t>(k % 3)].push_back(k);
    second.push_back(k % 2 == 0 ? "1" : "999");
    if (k % 2 == 0) secondMembers.push_back(k);
  }
  Plan(1, first);
  Plan(2, second);
  Mark(1, 2);
  Mark(2, 1);
  const int sorted = elements >= 2 ? 2 : 1;

  if (HasSeveralListsPerPrimitive(sourceTree)) {
    Generate();
    ASSERT_EQ(f.dialogs.Count(), 1u);
    EXPECT_NE(f.dialogs.Shown(0).text.find("\"indexed_trilist\""), std::string::npos)
        << f.dialogs.Shown(0).text;
    EXPECT_EQ(Text(), source);
    EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);
    return;
  }
  GenerateCleanly();

  const ElementTriangles triangles = SourceTriangles(source);
  const ShapeContent before = ReadContent(sourceTree);
  const ShapeContent after = ReadContent(ParseShapeTree(Text()));
  EXPECT_EQ(after.distances, (std::vector<std::string>{"300", "2000"}));
  EXPECT_EQ(after.volumes, before.volumes + sorted);
  EXPECT_EQ(after.sortVectors, before.sortVectors + sorted);
  ASSERT_EQ(after.levels.size(), 2u);
  ASSERT_EQ(after.levels[0].size(), firstMembers.size());
  for (std::size_t s = 0; s < firstMembers.size(); ++s)
    EXPECT_EQ(after.levels[0][s], Expected(triangles, firstMembers[s])) << "LOD 1, " << s + 1;
  ASSERT_EQ(after.levels[1].size(), 1u);
  EXPECT_EQ(after.levels[1][0], Expected(triangles, secondMembers)) << "LOD 2";
  if (elements >= 2) {
    EXPECT_EQ(after.sortEntries[0][1], (std::pair<long long, long long>{0, 1}));
  }
  EXPECT_EQ(after.sortEntries[1][0], (std::pair<long long, long long>{sorted - 1, sorted}));
}

INSTANTIATE_TEST_SUITE_P(RealShapes, GenerationCorpus, ::testing::ValuesIn(SplittableShapes()));

}  // namespace
}  // namespace quarvel::testing
