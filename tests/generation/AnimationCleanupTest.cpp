#include <gtest/gtest.h>

#include <algorithm>

#include "generation/AnimationCleanup.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

using Lines = std::vector<std::string>;

void Add(Lines& lines, int depth, const std::string& text) {
  lines.push_back(std::string(static_cast<std::size_t>(depth), '\t') + text);
}

// A node with one controller per entry of `keyCounts`.
void AddNode(Lines& lines, const std::string& name, const std::vector<int>& keyCounts) {
  Add(lines, 4, "anim_node " + name + " (");
  if (keyCounts.empty()) {
    Add(lines, 5, "controllers ( 0 )");
  } else {
    Add(lines, 5, "controllers ( " + std::to_string(keyCounts.size()));
    for (std::size_t c = 0; c < keyCounts.size(); ++c) {
      Add(lines, 6, (c % 2 == 0 ? "tcb_rot ( " : "linear_pos ( ") + std::to_string(keyCounts[c]));
      for (int k = 0; k < keyCounts[c]; ++k)
        Add(lines, 7,
            c % 2 == 0 ? "tcb_key ( " + std::to_string(k) + " 0 0 0 1 0 0 0 0 0 )"
                       : "linear_key ( " + std::to_string(k) + " 0 0 0 )");
      Add(lines, 6, ")");
    }
    Add(lines, 5, ")");
  }
  Add(lines, 4, ")");
}

struct Node {
  std::string name;
  std::vector<int> keyCounts;
};

Lines ShapeWithNodes(const std::vector<Node>& nodes) {
  Lines lines = {"SIMISA@@@@@@@@@@JINX0s1t______", "", "shape ("};
  Add(lines, 1, "shape_header ( 00000000 00000000 )");
  Add(lines, 1, "matrices ( 3");
  for (const char* name : {"MAIN", "Wheel1", "Door"})
    Add(lines, 2, std::string("matrix ") + name + " ( 1 0 0 0 1 0 0 0 1 0 0 0 )");
  Add(lines, 1, ")");
  Add(lines, 1, "animations ( 1");
  Add(lines, 2, "animation ( 8 30");
  Add(lines, 3, "anim_nodes ( " + std::to_string(nodes.size()));
  for (const Node& node : nodes) AddNode(lines, node.name, node.keyCounts);
  Add(lines, 3, ")");
  Add(lines, 2, ")");
  Add(lines, 1, ")");
  lines.push_back(")");
  return lines;
}

const std::vector<Node> kNodes = {{"MAIN", {}}, {"WHEEL1", {5, 2}}, {"DOOR", {3}}, {"GHOST", {1}}};

// The matrix table as the analysis fills it: name, faces, mark.
void FillMatrices(Form& form, const std::vector<std::array<std::string, 3>>& rows) {
  form.StringGrid3.SetRowCount(static_cast<int>(rows.size()) + 1);
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (int col = 0; col < 3; ++col)
      form.StringGrid3.SetCell(col, static_cast<int>(r) + 1,
                               rows[r][static_cast<std::size_t>(col)]);
}

void Open(FormFixture& f, const Lines& lines) {
  f.form.shapeText.Assign(lines);
  f.form.shapeText.SetModified(false);
}

std::size_t IndexOf(const Lines& lines, const std::string& text) {
  const auto at = std::find(lines.begin(), lines.end(), text);
  return static_cast<std::size_t>(at - lines.begin());
}

std::string Marks(const Form& form) {
  std::string marks;
  for (int row = 1; row < form.StringGrid3.RowCount(); ++row)
    marks += "[" + form.StringGrid3.Cell(2, row) + "]";
  return marks;
}

TEST(AnimationMarks, ReadingMarksExactlyTheMatricesWhoseNodeHasControllers) {
  FormFixture f;
  Open(f, ShapeWithNodes(kNodes));
  FillMatrices(f.form, {{"MAIN", "10", "x"}, {"Wheel1", "20", ""}, {"door", "30", ""}});

  f.form.ReadAnimations();
  EXPECT_EQ(Marks(f.form), "[][x][x]");

  // Asked first; only Yes reads again.
  f.form.StringGrid3.SetCell(2, 2, "");
  f.dialogs.Answer(Answer::No);
  f.form.AnimResetButtonClick();
  EXPECT_EQ(Marks(f.form), "[][][x]");
  f.dialogs.Answer(Answer::Yes);
  f.form.AnimResetButtonClick();
  EXPECT_EQ(Marks(f.form), "[][x][x]");
  ASSERT_EQ(f.dialogs.Count(), 2u);
  EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(62));
  EXPECT_EQ(f.dialogs.Shown(0).buttons, Buttons::YesNo);
  EXPECT_TRUE(f.dialogs.AllAnswersUsed());
}

TEST(AnimationMarks, OnlyXMarksCanBeTypedAndTheSubobjectTableIsNotTouched) {
  FormFixture f;
  FillMatrices(f.form, {{"MAIN", "10", ""}, {"Wheel1", "20", "x"}});
  f.form.StringGrid2.SetCell(2, 2, "x");

  f.form.StringGrid2SetEditText(f.form.StringGrid3, 2, 2, "y");
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(0).text, "Bitte nur \"x\" oder \"X\" eintragen!");
  EXPECT_EQ(Marks(f.form), "[][]");
  EXPECT_EQ(f.form.StringGrid2.Cell(2, 2), "x");

  f.form.StringGrid2SetEditText(f.form.StringGrid3, 2, 1, "X");
  EXPECT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(Marks(f.form), "[X][]");
}

TEST(AnimationMarks, WithoutAnAnimationSectionTheMarksStay) {
  FormFixture f;
  Lines lines = ShapeWithNodes({});
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(IndexOf(lines, "\tanimations ( 1")),
              lines.end() - 1);
  Open(f, lines);
  FillMatrices(f.form, {{"MAIN", "10", "x"}, {"Wheel1", "20", "X"}});
  f.form.ReadAnimations();
  EXPECT_EQ(Marks(f.form), "[x][X]");

  f.form.Label2.caption = "before";
  f.form.AnimButtonClick();
  EXPECT_EQ(f.form.shapeText.All(), lines);
  EXPECT_FALSE(f.form.shapeText.Modified());
  EXPECT_EQ(f.form.Label2.caption, "before");
  EXPECT_EQ(f.dialogs.Count(), 0u);
}

TEST(AnimationCleanup, UnmarkedMatrixLosesItsControllersAndNothingElseChanges) {
  FormFixture f;
  const Lines original = ShapeWithNodes(kNodes);
  Open(f, original);
  FillMatrices(f.form, {{"MAIN", "10", ""}, {"Wheel1", "20", ""}, {"Door", "30", "X"}});

  f.form.AnimButtonClick();

  // WHEEL1: 5 keys and 2 keys, each block with its header and closing line.
  const Lines& text = f.form.shapeText.All();
  ASSERT_EQ(text.size(), original.size() - 11);
  const std::size_t node = IndexOf(original, "\t\t\t\tanim_node WHEEL1 (");
  Lines expected(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(node) + 1);
  expected.push_back("\t\t\t\t\tcontrollers ( 0");
  expected.insert(expected.end(), original.begin() + static_cast<std::ptrdiff_t>(node) + 13,
                  original.end());
  EXPECT_EQ(text, expected);
  EXPECT_EQ(text[node + 2], "\t\t\t\t\t)");
  EXPECT_EQ(text[node + 3], "\t\t\t\t)");

  EXPECT_EQ(Marks(f.form), "[][][X]");
  EXPECT_EQ(f.form.StringGrid3.Cell(1, 2), "20");
  EXPECT_EQ(f.form.Label2.caption, std::to_string(text.size()) + " " + f.Lang(22));
  EXPECT_TRUE(f.form.shapeText.Modified());
  EXPECT_TRUE(f.form.SpeichernBitBtn.captionRed);
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);

  // Reading again shows the cleaned matrix without its mark; a second run
  // finds nothing more to do.
  f.dialogs.Answer(Answer::Yes);
  f.form.AnimResetButtonClick();
  EXPECT_EQ(Marks(f.form), "[][][x]");
  f.form.StringGrid3.SetCell(2, 3, "x");
  f.form.AnimButtonClick();
  EXPECT_EQ(f.form.shapeText.All(), expected);
}

TEST(AnimationCleanup, MarkedAndUnknownNodesAreLeftAlone) {
  FormFixture f;
  const Lines original = ShapeWithNodes(kNodes);
  Open(f, original);
  FillMatrices(f.form, {{"MAIN", "10", ""}, {"Wheel1", "20", "x"}, {"Door", "30", "X"}});

  f.form.AnimButtonClick();
  EXPECT_EQ(f.form.shapeText.All(), original);
  EXPECT_FALSE(f.form.shapeText.Modified());
  EXPECT_EQ(f.form.Label2.caption, std::to_string(original.size()) + " " + f.Lang(22));
}

TEST(AnimationCleanup, TwoRowsWithTheNodesNameLeaveTheTextUnchanged) {
  FormFixture f;
  const Lines original = ShapeWithNodes(kNodes);
  Open(f, original);
  FillMatrices(f.form, {{"Door", "30", ""}, {"Wheel1", "20", ""}, {"WHEEL1", "5", ""}});
  f.form.Label2.caption = "before";

  f.form.AnimButtonClick();
  EXPECT_EQ(f.form.shapeText.All(), original);
  EXPECT_FALSE(f.form.shapeText.Modified());
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Error);
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "Allgemeiner Fehler, Animation WHEEL1 gelöscht, evtl. jedoch nicht die Daten. "
            "Vielleicht haben zwei oder mehr Matrizen den gleichen Namen (bitte ändern)?");
  EXPECT_EQ(f.form.Label2.caption, "before");
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);

  // With one of the two marked, only one row acts on the node.
  f.form.StringGrid3.SetCell(2, 3, "x");
  f.form.AnimButtonClick();
  EXPECT_EQ(f.form.shapeText.Count(), original.size() - 11 - 5);
}

TEST(AnimationCleanup, CountsThatCannotBeReadLeaveTheTextUnchanged) {
  struct Case {
    const char* what;
    std::string from, to, message;
  };
  const Lines base = ShapeWithNodes(kNodes);
  const std::size_t node = IndexOf(base, "\t\t\t\tanim_node WHEEL1 (");
  const std::string line = std::to_string(node + 2);
  const std::string header = std::to_string(node + 3);
  const std::vector<Case> cases = {
      {"controller count", "\t\t\t\t\tcontrollers ( 2", "\t\t\t\t\tcontrollers ( zwei",
       "Animation WHEEL1 nicht gelöscht: \"zwei\" in Zeile " + line +
           " ist keine gültige Anzahl. Es wurde keine Animation gelöscht."},
      {"negative count", "\t\t\t\t\tcontrollers ( 2", "\t\t\t\t\tcontrollers ( -2",
       "Animation WHEEL1 nicht gelöscht: \"-2\" in Zeile " + line +
           " ist keine gültige Anzahl. Es wurde keine Animation gelöscht."},
      {"key count", "\t\t\t\t\t\ttcb_rot ( 5", "\t\t\t\t\t\ttcb_rot ( 5.0",
       "Animation WHEEL1 nicht gelöscht: \"5.0\" in Zeile " + header +
           " ist keine gültige Anzahl. Es wurde keine Animation gelöscht."},
      {"past the end", "\t\t\t\t\t\ttcb_rot ( 5", "\t\t\t\t\t\ttcb_rot ( 500",
       "Animation WHEEL1 nicht gelöscht: die Controller ab Zeile " + header +
           " reichen über das Ende des Textes hinaus. Es wurde keine Animation gelöscht."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Lines lines = base;
    lines[IndexOf(lines, c.from)] = c.to;
    FormFixture f;
    Open(f, lines);
    // DOOR comes later and would be cleaned: nothing may happen to it either.
    FillMatrices(f.form, {{"MAIN", "10", ""}, {"Wheel1", "20", ""}, {"Door", "30", ""}});
    f.form.AnimButtonClick();
    EXPECT_EQ(f.form.shapeText.All(), lines);
    ASSERT_EQ(f.dialogs.Count(), 1u);
    EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Error);
    EXPECT_EQ(f.dialogs.Shown(0).text, c.message);
  }
}

}  // namespace
}  // namespace quarvel::testing
