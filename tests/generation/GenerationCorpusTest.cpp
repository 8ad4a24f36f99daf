// Every real shape with one distance level and one sub-object, split into
// two LODs of several sub-objects with sort marks, and every result read
// back by an independent parser: consistent, and each element's triangles
// exactly where the plan puts them. Shapes whose primitive lists the writer
// cannot split are refused instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "generation/GenerationHelpers.h"
#include "shape/ShapeFile.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
  return fields;
}

// The shapes of both manifests that have the layout the command splits
// (relative to the corpus folder); a single "" when there is no corpus.
std::vector<std::string> SplittableShapes() {
  const std::string corpus = CorpusDir();
  if (corpus.empty()) return {""};
  std::vector<std::string> files;
  const auto read = [&](const fs::path& manifest, const std::string& folder, bool filter) {
    std::ifstream in(manifest);
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = Fields(line);
    const auto column = [&](const std::string& name) {
      return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) -
                                      header.begin());
    };
    while (std::getline(in, line)) {
      const std::vector<std::string> fields = Fields(line);
      if (fields.empty() || fields[0].empty()) continue;
      if (filter) {
        const std::size_t levels = column("distance_levels");
        const std::size_t subobjects = column("sub_objects_in_first_level");
        if (levels >= fields.size() || subobjects >= fields.size() || fields[levels] != "1" ||
            fields[subobjects] != "1")
          continue;
      }
      files.push_back(folder + fields[0]);
    }
  };
  read(fs::path(corpus) / "MANIFEST.tsv", "", true);
  read(fs::path(corpus) / "tsm" / "MANIFEST.tsv", "tsm/", false);
  if (files.empty()) files.push_back("");
  return files;
}

// Whether some prim_state_idx carries more than one triangle list, read
// from the tree rather than the lines.
bool HasSeveralListsPerPrimitive(const ShapeNode& root) {
  bool several = false;
  const auto visit = [&](const ShapeNode& node, const auto& self) -> void {
    if (node.keyword == "primitives") {
      int lists = 0;
      for (const ShapeNode& entry : node.children) {
        if (entry.keyword == "prim_state_idx") lists = 0;
        if (entry.keyword == "indexed_trilist" && ++lists > 1) several = true;
      }
    }
    for (const ShapeNode& child : node.children) self(child, self);
  };
  visit(root, visit);
  return several;
}

class GenerationCorpus : public GenerationTest,
                         public ::testing::WithParamInterface<std::string> {};

TEST_P(GenerationCorpus, SplitsIntoTwoLodsOrIsRefused) {
  if (GetParam().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set";
  ShapeText read;
  std::string bom;
  ASSERT_EQ(ReadShapeText((fs::path(CorpusDir()) / GetParam()).string(), read, bom),
            ReadOutcome::Read);
  Load(read.All());
  // Other exporters count their primitives in the headers their own way, so
  // only the result is held to the checks.
  const ShapeNode sourceTree = ParseShapeTree(source);

  // LOD 1: rows spread over up to three sub-objects in turn; LOD 2: every
  // second row left out. Sorted: sub-object 2 of LOD 1 and 1 of LOD 2.
  const int elements = f.form.ElementCount();
  ASSERT_GT(elements, 0);
  SetLods({"300", "2000"});
  std::vector<std::string> first, second;
  std::vector<std::vector<int>> firstMembers(3), secondMembers(1);
  for (int k = 0; k < elements; ++k) {
    first.push_back(std::to_string(k % 3 + 1));
    firstMembers[static_cast<std::size_t>(k % 3)].push_back(k);
    second.push_back(k % 2 == 0 ? "1" : "999");
    if (k % 2 == 0) secondMembers[0].push_back(k);
  }
  firstMembers.resize(static_cast<std::size_t>(std::min(elements, 3)));
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
  EXPECT_EQ(after.levels[1][0], Expected(triangles, secondMembers[0])) << "LOD 2";
  if (elements >= 2) {
    EXPECT_EQ(after.sortEntries[0][1], (std::pair<long long, long long>{0, 1}));
  }
  EXPECT_EQ(after.sortEntries[1][0], (std::pair<long long, long long>{sorted - 1, sorted}));
}

INSTANTIATE_TEST_SUITE_P(RealShapes, GenerationCorpus, ::testing::ValuesIn(SplittableShapes()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param.empty() ? "none" : info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace quarvel::testing
