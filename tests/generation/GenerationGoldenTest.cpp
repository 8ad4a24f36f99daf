// A whole split compared byte for byte with a file worked out by hand.
//
// The source (data/generation/split_three_lods.s-lines) is a shape as a
// modelling tool exports it: four elements on three matrices, BODY_body and
// BODY_trim sharing vertex state 0, vertex sets of 4, 3 and 3 vertices, an
// animation, and "sort_vectors ( 0 )" on one line. The plan:
//
//   element       LOD 1 (100 m)  LOD 2 (500 m)  LOD 3 (2000 m)
//   BODY_body     1              1              999
//   BODY_trim     2              1              999
//   DOOR_body     1              0              1
//   WHEEL_wheel   2              999            1
//   sort marks    sub-object 2   sub-object 1   sub-object 2 (empty)
//                 "x"            "X"            "x"
//
// How the expected file was worked out, rule by rule:
// - Two sorted sub-objects count (LOD 3's sub-object 2 has no vertices), so
//   "volumes ( 1" becomes 3 with the sphere written three times, and the
//   split "sort_vectors ( 0 " becomes "( 2 " (its blank stays) followed by
//   two copies of the sphere's centre cut after ")" and the line "\t)".
// - "distance_levels" becomes 3; each level repeats the source level's
//   header with its own distance and sub-object count (2, 2, 1), then the
//   two closing lines; the animation follows once.
// - Per sub-object: the elements by the plan ("0" puts DOOR_body into both
//   sub-objects of LOD 2), their vertex sets in set order with the first
//   vertex lowered by the vertices of the sets left out before (DOOR_body's
//   set 1 starts at 0 where set 0 is left out; WHEEL_wheel's set 2 at 4 in
//   LOD 1 and at 3 in LOD 3), vertex indices lowered by the same amount and
//   written with two blanks after the count and one at the end.
// - Headers: faces and primitives of the elements kept (geometry_info
//   tokens 2, 3, 5 and 8), one node block per matrix in use, each from the
//   first source block with that matrix's primitives and faces, and the map
//   with the running number of each node in use or -1.
// - The k-th sorted sub-object gets flags 00000400 -> 00000500, sort vector
//   k and volume k + 1: LOD 1's sub-object 2 gets "0 1", LOD 2's sub-object
//   1 gets "1 2".
#include <gtest/gtest.h>

#include <fstream>

#include "common/Text.h"
#include "generation/GenerationHelpers.h"
#include "shape/ShapeFile.h"

namespace quarvel::testing {
namespace {

std::vector<std::string> ReadLinesFile(const std::string& name) {
  std::ifstream in(std::string(QUARVEL_TEST_DATA) + "/generation/" + name);
  EXPECT_TRUE(in) << name;
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(Utf8ToLatin1(line));
  return lines;
}

using GenerationGolden = GenerationTest;

TEST_F(GenerationGolden, ThreeLodsWithSharedStatesAndSortMarksMatchTheHandMadeFile) {
  Load(ReadLinesFile("split_three_lods.s-lines"));
  SetLods({"100", "500", "2000"});
  Plan(1, {"1", "2", "1", "2"});
  Plan(2, {"1", "1", "0", "999"});
  Plan(3, {"999", "999", "1", "1"});
  Mark(1, 2);
  Mark(2, 1, "X");
  Mark(3, 2);
  GenerateCleanly();

  const std::vector<std::string> expected = ReadLinesFile("split_three_lods.expected.s-lines");
  const std::string mark("\xFF\xFE", 2);
  f.form.session.bom = mark;
  f.form.WriteShapeText();
  ASSERT_EQ(f.dialogs.Count(), 0u);
  const std::string written = ReadBytes(f.form.session.path);
  const std::string wanted = EncodeShapeBytes(expected, mark);
  EXPECT_EQ(written.size(), wanted.size());
  EXPECT_TRUE(written == wanted);
  // Line by line, to show where they differ.
  const std::vector<std::string>& text = Text();
  for (std::size_t i = 0; i < std::min(text.size(), expected.size()); ++i)
    ASSERT_EQ(text[i], expected[i]) << "line " << i + 1;
  EXPECT_EQ(text.size(), expected.size());
}

}  // namespace
}  // namespace quarvel::testing
