// Real shapes with every matrix unmarked: all their animations go, every node
// stays with its closing lines, and the text stays balanced.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/Text.h"
#include "shape/NextToken.h"
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
  for (std::size_t i = 0; i + 1 < lines.size(); ++i)
    if (lines[i].find("anim_node ") != std::string::npos)
      nodes.push_back({i, std::string(TokenAfter(lines[i], "anim_node", 1).text),
                       std::string(TokenAfter(lines[i + 1], "controllers", 2).text)});
  return nodes;
}

int Depth(const std::string& line) {
  int depth = 0;
  for (char c : line) depth += c == '(' ? 1 : c == ')' ? -1 : 0;
  return depth;
}

// The line that closes the parenthesis opened on line `open`.
std::size_t Closing(const Lines& lines, std::size_t open) {
  for (int depth = 0; open < lines.size(); ++open)
    if ((depth += Depth(lines[open])) <= 0) return open;
  return lines.size();
}

class AnimationCleanupCorpus : public ::testing::TestWithParam<std::string> {};

TEST_P(AnimationCleanupCorpus, DeletingEveryAnimationKeepsTheShapeWellFormed) {
  if (CorpusDir().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set";
  const Lines original = ReadShapeLines(CorpusDir() + "/" + GetParam());
  FormFixture f;
  f.LoadShape(original);
  Form& form = f.form;
  const StringGrid& matrices = form.StringGrid3;
  const auto named = [&](int row, const NodeAt& node) {
    return SameTextIgnoringCase(Latin1ToUtf8(node.name), matrices.Cell(0, row));
  };

  // The marks as read on opening: exactly the matrices with controllers.
  const std::vector<NodeAt> nodes = Nodes(original);
  ASSERT_FALSE(nodes.empty());
  ASSERT_FALSE(matrices.Cell(0, 1).empty());
  std::vector<bool> cleaned(nodes.size());
  std::size_t deleted = 0;
  for (int row = 1; row < matrices.RowCount(); ++row) {
    bool animated = false;
    for (std::size_t k = 0; k < nodes.size(); ++k)
      if (nodes[k].count != "0" && named(row, nodes[k])) animated = cleaned[k] = true;
    EXPECT_EQ(matrices.Cell(2, row), animated ? "x" : "") << matrices.Cell(0, row);
    form.StringGrid3.SetCell(2, row, "");
  }
  for (std::size_t k = 0; k < nodes.size(); ++k)
    if (cleaned[k]) deleted += Closing(original, nodes[k].line + 1) - nodes[k].line - 2;
  // crz293310 has nodes, all with "controllers ( 0".
  EXPECT_EQ(deleted > 0, GetParam() != "crz293310.s");

  f.dialogs.shown.clear();
  form.AnimButtonClick();
  EXPECT_EQ(f.dialogs.Count(), 0u);
  const Lines& text = form.session.text.All();
  ASSERT_EQ(text.size(), original.size() - deleted);
  EXPECT_EQ(form.Label2.caption, f.LineCountCaption());
  for (std::size_t i = 0; i <= nodes.front().line; ++i) ASSERT_EQ(text[i], original[i]) << i;
  int depth = 0, originalDepth = 0;
  for (const std::string& line : text) {
    depth += Depth(line);
    ASSERT_GE(depth, 0);
  }
  for (const std::string& line : original) originalDepth += Depth(line);
  EXPECT_EQ(depth, originalDepth);

  const std::vector<NodeAt> after = Nodes(text);
  ASSERT_EQ(after.size(), nodes.size());
  for (std::size_t k = 0; k < after.size(); ++k) {
    SCOPED_TRACE(after[k].name);
    EXPECT_EQ(text[after[k].line], original[nodes[k].line]);
    EXPECT_EQ(after[k].count, cleaned[k] ? "0" : nodes[k].count);
    if (!cleaned[k]) continue;
    EXPECT_EQ(Closing(text, after[k].line + 1), after[k].line + 2);
    EXPECT_EQ(Closing(text, after[k].line), after[k].line + 3);
  }

  form.ReadAnimations();
  for (int row = 1; row < matrices.RowCount(); ++row)
    EXPECT_EQ(matrices.Cell(2, row), "") << matrices.Cell(0, row);
}

INSTANTIATE_TEST_SUITE_P(RealShapes, AnimationCleanupCorpus,
                         ::testing::Values("DB2_A1tDblSlip7_5d.s", "crz293310.s",
                                           "tsm/DB2_A1tDblSlip7_5d_tsm_wheels.s",
                                           "tsm/NR_Emb_a1t10mStrt_tsm_wheels.s"));

}  // namespace
}  // namespace quarvel::testing
