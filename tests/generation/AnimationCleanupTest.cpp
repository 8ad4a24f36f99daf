// The "Anim." marks of the matrix table and the deletion of the animations
// the user unmarked.
#include <gtest/gtest.h>

#include "support/ExportedShape.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

using Lines = std::vector<std::string>;

// Matrices MAIN, Wheel1 and Door; the node of MAIN has no controllers, WHEEL1
// two of 5 and 2 keys, DOOR one of 3, and GHOST names no matrix.
Lines Animated(const std::vector<std::string>& matrices = {"MAIN", "Wheel1", "Door"}) {
  ExportedShape shape;
  shape.matrices = matrices;
  shape.animNodes = {{"MAIN", {}}, {"WHEEL1", {5, 2}}, {"DOOR", {3}}, {"GHOST", {1}}};
  return BuildExportedShape(shape);
}

std::string Marks(const Form& form) {
  std::string marks;
  for (int row = 1; row < form.StringGrid3.RowCount(); ++row)
    marks += "[" + form.StringGrid3.Cell(2, row) + "]";
  return marks;
}

void SetMarks(Form& form, const std::vector<std::string>& marks) {
  for (std::size_t r = 0; r < marks.size(); ++r)
    form.StringGrid3.SetCell(2, static_cast<int>(r) + 1, marks[r]);
}

TEST(AnimationMarks, ReadingMarksExactlyTheMatricesWhoseNodeHasControllers) {
  FormFixture f;
  // Without an animation section, marks and text stay.
  ExportedShape still;
  still.matrices = {"MAIN", "Wheel1"};
  const Lines lines = BuildExportedShape(still);
  f.LoadShape(lines);
  SetMarks(f.form, {"x", "X"});
  f.form.ReadAnimations();
  EXPECT_EQ(Marks(f.form), "[x][X]");
  SetMarks(f.form, {"", ""});
  f.form.Label2.caption = "before";
  f.form.AnimButtonClick();
  EXPECT_EQ(f.form.session.text.All(), lines);
  EXPECT_FALSE(f.form.session.text.Modified());
  EXPECT_EQ(f.form.Label2.caption, "before");

  f.LoadShape(Animated());
  EXPECT_EQ(Marks(f.form), "[][x][x]");
  // Asked first; only Yes reads again, and reading clears a mark by hand.
  SetMarks(f.form, {"x", ""});
  f.dialogs.Answer(Answer::No);
  f.form.AnimResetButtonClick();
  EXPECT_EQ(Marks(f.form), "[x][][x]");
  f.dialogs.Answer(Answer::Yes);
  f.form.AnimResetButtonClick();
  EXPECT_EQ(Marks(f.form), "[][x][x]");
  ASSERT_EQ(f.dialogs.Count(), 2u);
  EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(62));
  EXPECT_EQ(f.dialogs.Shown(0).buttons, Buttons::YesNo);
}

TEST(AnimationCleanup, OnlyUnmarkedMatricesLoseTheirControllers) {
  FormFixture f;
  const Lines original = Animated();
  f.LoadShape(original);
  // Marked in either case, or no matrix of the node's name: nothing to do.
  SetMarks(f.form, {"", "x", "X"});
  f.form.AnimButtonClick();
  EXPECT_EQ(f.form.session.text.All(), original);
  EXPECT_FALSE(f.form.session.text.Modified());
  EXPECT_EQ(f.form.Label2.caption, f.LineCountCaption());

  // WHEEL1: 5 keys and 2 keys, each block with its header and closing line.
  f.form.StringGrid3.SetCell(2, 2, "");
  f.form.AnimButtonClick();
  const std::size_t node = LineWith(original, "anim_node WHEEL1 (");
  Lines expected(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(node) + 1);
  expected.push_back("\t\t\t\t\tcontrollers ( 0");
  expected.insert(expected.end(), original.begin() + static_cast<std::ptrdiff_t>(node) + 13,
                  original.end());
  ASSERT_EQ(f.form.session.text.All(), expected);
  EXPECT_EQ(expected.size(), original.size() - 11);
  EXPECT_EQ(expected[node + 2], "\t\t\t\t\t)");
  EXPECT_EQ(Marks(f.form), "[][][X]");
  EXPECT_EQ(f.form.Label2.caption, f.LineCountCaption());
  EXPECT_TRUE(f.form.session.text.Modified());
  EXPECT_TRUE(f.form.CaptionRed(f.form.SpeichernBitBtn));
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);

  // Reading again shows the cleaned matrix unmarked; a node whose count is
  // 0 is passed over whatever its mark.
  f.dialogs.Answer(Answer::Yes);
  f.form.AnimResetButtonClick();
  EXPECT_EQ(Marks(f.form), "[][][x]");
  f.form.AnimButtonClick();
  EXPECT_EQ(f.form.session.text.All(), expected);
}

TEST(AnimationCleanup, TwoRowsWithTheNodesNameLeaveTheTextUnchanged) {
  FormFixture f;
  const Lines original = Animated({"Door", "Wheel1", "WHEEL1"});
  f.LoadShape(original);
  SetMarks(f.form, {"", "", ""});
  f.form.Label2.caption = "before";

  f.form.AnimButtonClick();
  EXPECT_EQ(f.form.session.text.All(), original);
  EXPECT_FALSE(f.form.session.text.Modified());
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Error);
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "Allgemeiner Fehler, Animation WHEEL1 gelöscht, evtl. jedoch nicht die Daten. "
            "Vielleicht haben zwei oder mehr Matrizen den gleichen Namen (bitte ändern)?");
  EXPECT_EQ(f.form.Label2.caption, "before");
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);

  // With one of the two marked, one row acts on the node, and DOOR goes too.
  f.form.StringGrid3.SetCell(2, 3, "x");
  f.form.AnimButtonClick();
  EXPECT_EQ(f.form.session.text.Count(), original.size() - 11 - 5);
}

TEST(AnimationCleanup, CountsThatCannotBeReadLeaveTheTextUnchanged) {
  const Lines base = Animated();
  const std::string controllers = std::to_string(LineWith(base, "anim_node WHEEL1") + 2);
  const std::string keys = std::to_string(LineWith(base, "anim_node WHEEL1") + 3);
  const auto unread = [](const std::string& what, const std::string& line) {
    return "Animation WHEEL1 nicht gelöscht: \"" + what + "\" in Zeile " + line +
           " ist keine gültige Anzahl. Es wurde keine Animation gelöscht.";
  };
  struct Case {
    std::string from, to, message;
  };
  const Case cases[] = {
      {"controllers ( 2", "controllers ( zwei", unread("zwei", controllers)},
      {"controllers ( 2", "controllers ( -2", unread("-2", controllers)},
      {"tcb_rot ( 5", "tcb_rot ( 5.0", unread("5.0", keys)},
      {"tcb_rot ( 5", "tcb_rot ( 500",
       "Animation WHEEL1 nicht gelöscht: die Controller ab Zeile " + keys +
           " reichen über das Ende des Textes hinaus. Es wurde keine Animation gelöscht."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    Lines lines = base;
    std::string& line = lines[LineWith(lines, c.from)];
    line.replace(line.find(c.from), c.from.size(), c.to);
    FormFixture f;
    f.LoadShape(lines);
    // DOOR comes later and would be cleaned: nothing may happen to it either.
    SetMarks(f.form, {"", "", ""});
    f.form.AnimButtonClick();
    EXPECT_EQ(f.form.session.text.All(), lines);
    ASSERT_EQ(f.dialogs.Count(), 1u);
    EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Error);
    EXPECT_EQ(f.dialogs.Shown(0).text, c.message);
  }
}

}  // namespace
}  // namespace quarvel::testing
