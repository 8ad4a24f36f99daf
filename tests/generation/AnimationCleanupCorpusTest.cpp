#include <gtest/gtest.h>

#include <filesystem>

#include "common/Text.h"
#include "shape/NextToken.h"
#include "shape/ShapeFile.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

using Lines = std::vector<std::string>;

struct NodeAt {
  std::size_t line;  // the "anim_node" line
  std::string name;
  std::string count;  // token 2 after "controllers" on the next line
};

std::vector<NodeAt> Nodes(const Lines& lines) {
  std::vector<NodeAt> nodes;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].find("anim_node ") == std::string::npos) continue;
    nodes.push_back({i, std::string(TokenAfter(lines[i], "anim_node", 1).text),
                     std::string(TokenAfter(lines[i + 1], "controllers", 2).text)});
  }
  return nodes;
}

int Depth(const std::string& line) {
  int depth = 0;
  for (char c : line) depth += c == '(' ? 1 : c == ')' ? -1 : 0;
  return depth;
}

// The line that closes the parenthesis opened on line `open`.
std::size_t Closing(const Lines& lines, std::size_t open) {
  int depth = 0;
  for (std::size_t i = open; i < lines.size(); ++i) {
    depth += Depth(lines[i]);
    if (depth <= 0) return i;
  }
  return lines.size();
}

bool HasRowNamed(const StringGrid& matrices, const std::string& latin1Name) {
  for (int row = 1; row < matrices.RowCount(); ++row)
    if (SameTextIgnoringCase(matrices.Cell(0, row), Latin1ToUtf8(latin1Name))) return true;
  return false;
}

struct CorpusShape {
  const char* file;
  bool hasControllers;  // crz293310 has nodes, all with "controllers ( 0"
};

class AnimationCleanupCorpus : public ::testing::TestWithParam<CorpusShape> {};

// Opens a real shape, unmarks every matrix and deletes all its animations:
// the result must keep every node with its closing lines and stay balanced.
TEST_P(AnimationCleanupCorpus, DeletingEveryAnimationKeepsTheShapeWellFormed) {
  if (CorpusDir().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set";
  const std::string path = (std::filesystem::path(CorpusDir()) / GetParam().file).string();
  ShapeText read;
  std::string bom;
  ASSERT_EQ(ReadShapeText(path, read, bom), ReadOutcome::Read);
  const Lines original = read.All();

  FormFixture f;
  f.LoadShape(original);
  Form& form = f.form;
  const StringGrid& matrices = form.StringGrid3;
  ASSERT_GT(matrices.RowCount(), 1);
  ASSERT_FALSE(matrices.Cell(0, 1).empty()) << "the analysis filled no matrix rows";

  // The marks as read when the shape was opened.
  const std::vector<NodeAt> nodes = Nodes(original);
  ASSERT_FALSE(nodes.empty());
  for (int row = 1; row < matrices.RowCount(); ++row) {
    bool animated = false;
    for (const NodeAt& node : nodes)
      animated |=
          node.count != "0" && SameTextIgnoringCase(Latin1ToUtf8(node.name), matrices.Cell(0, row));
    EXPECT_EQ(matrices.Cell(2, row), animated ? "x" : "") << matrices.Cell(0, row);
  }

  std::size_t expectedDeleted = 0;
  std::vector<bool> cleaned;
  for (const NodeAt& node : nodes) {
    const bool clean = node.count != "0" && HasRowNamed(matrices, node.name);
    cleaned.push_back(clean);
    if (clean) expectedDeleted += Closing(original, node.line + 1) - node.line - 2;
  }

  EXPECT_EQ(expectedDeleted > 0, GetParam().hasControllers);

  for (int row = 1; row < matrices.RowCount(); ++row) form.StringGrid3.SetCell(2, row, "");
  f.dialogs.ClearShown();
  form.AnimButtonClick();
  EXPECT_EQ(f.dialogs.Count(), 0u);
  const Lines& text = form.shapeText.All();
  ASSERT_EQ(text.size(), original.size() - expectedDeleted);
  EXPECT_EQ(form.Label2.caption, std::to_string(text.size()) + " " + f.Lang(22));

  // Nothing before the first node changed, and the text stays balanced.
  for (std::size_t i = 0; i <= nodes.front().line; ++i) ASSERT_EQ(text[i], original[i]) << i;
  int depth = 0;
  for (const std::string& line : text) {
    depth += Depth(line);
    ASSERT_GE(depth, 0);
  }
  int originalDepth = 0;
  for (const std::string& line : original) originalDepth += Depth(line);
  EXPECT_EQ(depth, originalDepth);

  const std::vector<NodeAt> after = Nodes(text);
  ASSERT_EQ(after.size(), nodes.size());
  for (std::size_t k = 0; k < after.size(); ++k) {
    SCOPED_TRACE(after[k].name);
    EXPECT_EQ(after[k].name, nodes[k].name);
    EXPECT_EQ(text[after[k].line], original[nodes[k].line]);
    if (!cleaned[k]) {
      EXPECT_EQ(after[k].count, nodes[k].count);
      continue;
    }
    EXPECT_EQ(after[k].count, "0");
    EXPECT_NE(text[after[k].line + 1].find("controllers ( 0"), std::string::npos);
    EXPECT_EQ(Closing(text, after[k].line + 1), after[k].line + 2);
    EXPECT_EQ(Closing(text, after[k].line), after[k].line + 3);
  }

  form.ReadAnimations();
  for (int row = 1; row < matrices.RowCount(); ++row)
    EXPECT_EQ(matrices.Cell(2, row), "") << matrices.Cell(0, row);
}

INSTANTIATE_TEST_SUITE_P(
    RealShapes, AnimationCleanupCorpus,
    ::testing::Values(CorpusShape{"DB2_A1tDblSlip7_5d.s", true}, CorpusShape{"crz293310.s", false},
                      CorpusShape{"tsm/DB2_A1tDblSlip7_5d_tsm_wheels.s", true},
                      CorpusShape{"tsm/NR_Emb_a1t10mStrt_tsm_wheels.s", true}));

}  // namespace
}  // namespace quarvel::testing
