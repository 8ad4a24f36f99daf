#include "assignment/ElementAssignment.h"

#include <gtest/gtest.h>

#include "support/FormFixture.h"
#include "support/ShapeBuilder.h"

namespace quarvel::testing {
namespace {

const std::string kTwoLods = "[LODs]\nAnzahl=2\n1=300\n2=800\n";
const std::string kThreeLods = "[LODs]\nAnzahl=3\n1=100\n2=300\n3=800\n";
const char* kEntryWarning = "Bitte nur positive ganze Zahlen 1...99 oder 0 oder 999 eintragen!";
const char* kMarkWarning = "Bitte nur \"x\" oder \"X\" eintragen!";

// Element k of SimpleParts has a vertex set of 10 + k vertices and 2 + k faces.
void Type(Form& form, int row, int lod, const std::string& text) {
  form.StringGrid1SetEditText(lod + 2, row, text);
}

// The vertex column of the sub-object table, row by row.
std::vector<std::string> Vertices(const Form& form) {
  std::vector<std::string> cells;
  for (int row = 1; row < form.StringGrid2.RowCount(); ++row)
    cells.push_back(form.StringGrid2.Cell(1, row));
  return cells;
}

std::vector<std::string> LodColumn(const Form& form, int lod) {
  std::vector<std::string> cells;
  for (int row = 1; row < form.StringGrid1.RowCount(); ++row)
    cells.push_back(form.StringGrid1.Cell(lod + 2, row));
  return cells;
}

using Cells = std::vector<std::string>;

TEST(ElementAssignment, OpeningPutsEveryElementIntoSubobjectOne) {
  FormFixture f(kTwoLods);
  f.LoadShape(BuildShape(SimpleParts(3)));
  EXPECT_EQ(LodColumn(f.form, 1), (Cells{"1", "1", "1"}));
  EXPECT_EQ(LodColumn(f.form, 2), (Cells{"1", "1", "1"}));
  EXPECT_EQ(Vertices(f.form), (Cells{"33"}));
  EXPECT_EQ(f.form.StringGrid2.Cell(0, 1), "1");
  EXPECT_EQ(f.form.StringGrid5.Cell(2, 1), "9");
  EXPECT_EQ(f.form.StringGrid5.Cell(2, 2), "9");
}

TEST(ElementAssignment, LeadingZeroRaisesTheRowsButJoinsNoSubobject) {
  FormFixture f;
  f.LoadShape(BuildShape(SimpleParts(3)));
  Type(f.form, 2, 1, "05");
  EXPECT_EQ(f.dialogs.Count(), 0u);
  f.form.StringGrid1Exit();
  EXPECT_EQ(Vertices(f.form), (Cells{"22", "0", "0", "0", "0"}));
  EXPECT_EQ(f.form.StringGrid5.Cell(2, 1), "9");
  EXPECT_FALSE(f.form.InSubobject(2, 1, 5));
  EXPECT_TRUE(f.form.InSubobject(1, 1, 1));

  // The same through the fill of a whole column.
  f.form.NrEdit.text = "05";
  f.dialogs.Answer(Answer::Yes);
  f.form.DoButtonClick();
  EXPECT_EQ(LodColumn(f.form, 1), (Cells{"05", "05", "05"}));
  EXPECT_EQ(Vertices(f.form), (Cells{"0", "0", "0", "0", "0"}));
  EXPECT_EQ(f.form.StringGrid5.Cell(2, 1), "9");
}

TEST(ElementAssignment, EntriesAreCheckedAtEveryKeystroke) {
  FormFixture f;
  f.LoadShape(BuildShape(SimpleParts(1)));
  for (const char* text : {"", "9", "99", "999", "0", "1", "10"}) {
    Type(f.form, 1, 1, text);
    EXPECT_EQ(f.form.StringGrid1.Cell(3, 1), text);
  }
  EXPECT_EQ(f.dialogs.Count(), 0u);

  for (const char* refused : {"100", "-", "1000", "x", "9999", " 5"}) {
    SCOPED_TRACE(refused);
    f.dialogs.ClearShown();
    Type(f.form, 1, 1, refused);
    ASSERT_EQ(f.dialogs.Count(), 1u);
    EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
    EXPECT_EQ(f.dialogs.Shown(0).text, kEntryWarning);
    EXPECT_EQ(f.form.StringGrid1.Cell(3, 1), "");
  }
  // The analysis' own columns are not typed into.
  Type(f.form, 1, 0, "5");
  EXPECT_EQ(f.form.StringGrid1.Cell(2, 1), "2");
}

TEST(ElementAssignment, ZeroJoinsEverySubobjectAndNineNineNineNone) {
  FormFixture f;
  f.LoadShape(BuildShape(SimpleParts(3)));
  Type(f.form, 1, 1, "0");
  Type(f.form, 2, 1, "2");
  Type(f.form, 3, 1, "999");
  f.form.StringGrid1Exit();
  EXPECT_EQ(Vertices(f.form), (Cells{"10", "21"}));
  EXPECT_EQ(f.form.StringGrid5.Cell(2, 1), "5");  // 2 + 3: the zero counts once

  Type(f.form, 2, 1, "999");
  f.form.StringGrid1Exit();
  EXPECT_EQ(Vertices(f.form), (Cells{"10"}));
  EXPECT_EQ(f.form.StringGrid5.Cell(2, 1), "2");
}

TEST(ElementAssignment, HighestNumberGivesTheRowsAndUnusedOnesShowNoVertices) {
  FormFixture f;
  f.LoadShape(BuildShape(SimpleParts(3)));
  Type(f.form, 3, 1, "7");
  EXPECT_TRUE(f.form.StringGrid1SelectCell(3, 1));
  EXPECT_EQ(Vertices(f.form), (Cells{"21", "0", "0", "0", "0", "0", "12"}));
  for (int row = 1; row <= 7; ++row)
    EXPECT_EQ(f.form.StringGrid2.Cell(0, row), std::to_string(row));
}

TEST(ElementAssignment, SharedVertexSetCountsOnceAndShiftsSkipTheSetsLeftOut) {
  FormFixture f;
  ShapeParts parts;
  parts.vtxStates = {0, 0, 0};
  parts.vertexSets = {{0, 0, 10}, {1, 10, 20}, {2, 30, 30}};
  parts.elements = {{"a", 0, 0}, {"b", 0, 2}, {"c", 0, 2}, {"d", 0, 1}};
  f.LoadShape(BuildShape(parts));
  Type(f.form, 1, 1, "2");
  Type(f.form, 4, 1, "2");
  f.form.StringGrid1Exit();
  EXPECT_EQ(Vertices(f.form), (Cells{"30", "30"}));

  EXPECT_EQ(f.form.SubobjectVertexCount(1, 1), 30);
  const auto& shift = f.form.shapeIndex.VertexShift;
  EXPECT_EQ(shift[0], -1);
  EXPECT_EQ(shift[1], -1);
  EXPECT_EQ(shift[2], 30);
  EXPECT_EQ(f.form.SubobjectVertexCount(1, 2), 30);
  EXPECT_EQ(shift[0], 0);
  EXPECT_EQ(shift[1], 0);
  EXPECT_EQ(shift[2], -1);
  // The sets' own vertex states stay for the generation to check.
  EXPECT_EQ(f.form.shapeIndex.VertexSets[2].vtxState, 2);
}

TEST(ElementAssignment, SortMarkShowsAgainWhenItsRowComesBack) {
  FormFixture f;
  f.LoadShape(BuildShape(SimpleParts(2)));
  Type(f.form, 2, 1, "3");
  f.form.StringGrid1Exit();
  f.form.StringGrid2SetEditText(f.form.StringGrid2, 2, 3, "x");
  Type(f.form, 2, 1, "1");
  f.form.StringGrid1Exit();
  EXPECT_EQ(f.form.StringGrid2.RowCount(), 2);
  Type(f.form, 2, 1, "3");
  f.form.StringGrid1Exit();
  EXPECT_EQ(f.form.StringGrid2.RowCount(), 4);
  EXPECT_EQ(f.form.StringGrid2.Cell(2, 3), "x");
}

TEST(ElementAssignment, MarksAreCheckedInTheTableTheyAreTypedInto) {
  FormFixture f;
  f.LoadShape(BuildShape(SimpleParts(2)));
  Form& form = f.form;
  form.StringGrid2SetEditText(form.StringGrid2, 2, 1, "X");
  form.StringGrid2SetEditText(form.StringGrid3, 2, 1, "x");
  EXPECT_EQ(f.dialogs.Count(), 0u);

  form.StringGrid2SetEditText(form.StringGrid3, 2, 1, "xy");
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).text, kMarkWarning);
  EXPECT_EQ(form.StringGrid3.Cell(2, 1), "");
  EXPECT_EQ(form.StringGrid2.Cell(2, 1), "X");

  form.StringGrid2SetEditText(form.StringGrid2, 2, 1, "1");
  EXPECT_EQ(f.dialogs.Count(), 2u);
  EXPECT_EQ(form.StringGrid2.Cell(2, 1), "");
  EXPECT_FALSE(form.StringGrid2SelectCell(form.StringGrid2, 1, 1));
  EXPECT_TRUE(form.StringGrid2SelectCell(form.StringGrid3, 2, 1));
  EXPECT_FALSE(form.StringGrid1SelectCell(2, 1));
}

TEST(ElementAssignment, UnreadableCellStopsTheRefreshSilently) {
  FormFixture f(kTwoLods);
  f.LoadShape(BuildShape(SimpleParts(3)));
  Type(f.form, 2, 2, "3");
  f.form.StringGrid1Exit();
  ASSERT_EQ(f.form.StringGrid2.RowCount(), 4);
  ASSERT_EQ(f.form.StringGrid5.Cell(2, 2), "9");

  // LOD 1 is evaluated, then the empty cell of LOD 2 ends the refresh.
  Type(f.form, 1, 1, "999");
  Type(f.form, 1, 2, "");
  f.form.StringGrid1Exit();
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(f.form.StringGrid5.Cell(2, 1), "7");
  EXPECT_EQ(f.form.StringGrid5.Cell(2, 2), "9");
  EXPECT_EQ(f.form.StringGrid2.RowCount(), 2);
  EXPECT_EQ(f.form.StringGrid2.Cell(0, 1), "");
  EXPECT_EQ(f.form.StringGrid2.Cell(1, 1), "");
}

TEST(ElementAssignment, NumbersNoEntryAllowsStopTheRefreshInsteadOfGrowingTheTable) {
  FormFixture f;
  f.LoadShape(BuildShape(SimpleParts(2)));
  // As a hand-edited settings file may leave them.
  for (const char* value : {"2147483647", "100", "998"}) {
    SCOPED_TRACE(value);
    f.form.StringGrid1.SetCell(3, 1, value);
    f.form.RefreshAssignment();
    EXPECT_EQ(f.form.StringGrid2.RowCount(), 2);
    EXPECT_EQ(f.form.StringGrid2.Cell(1, 1), "");
  }
  // A negative number stays what it was: faces counted, no sub-object.
  f.form.StringGrid1.SetCell(3, 1, "-3");
  f.form.RefreshAssignment();
  EXPECT_EQ(Vertices(f.form), (Cells{"11"}));
  EXPECT_EQ(f.form.StringGrid5.Cell(2, 1), "5");
}

TEST(ElementAssignment, RowShiftsMoveThePlanOfTheShownLods) {
  const Cells lod1 = {"1", "2", "3", "4"};
  const Cells lod2 = {"5", "6", "7", "8"};
  struct Case {
    bool plus;
    int focus;
    Cells lod1;
    Cells lod2;
  };
  const Case cases[] = {
      {true, 2, {"1", "", "2", "3"}, {"5", "", "6", "7"}},
      {false, 2, {"1", "3", "4", ""}, {"5", "7", "8", ""}},
      {true, 4, {"1", "2", "3", ""}, {"5", "6", "7", ""}},
      {false, 4, {"1", "2", "3", ""}, {"5", "6", "7", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.plus ? "+" : "-") + std::to_string(c.focus));
    FormFixture f(kTwoLods);
    f.LoadShape(BuildShape(SimpleParts(4)));
    for (int row = 1; row <= 4; ++row) {
      Type(f.form, row, 1, lod1[static_cast<std::size_t>(row - 1)]);
      Type(f.form, row, 2, lod2[static_cast<std::size_t>(row - 1)]);
    }
    ASSERT_TRUE(f.form.StringGrid1SelectCell(3, c.focus));

    f.dialogs.Answer(Answer::No);
    c.plus ? f.form.ZeilePlusButtonClick() : f.form.ZeileMinusButtonClick();
    EXPECT_EQ(LodColumn(f.form, 1), lod1);

    f.dialogs.Answer(Answer::Yes);
    c.plus ? f.form.ZeilePlusButtonClick() : f.form.ZeileMinusButtonClick();
    EXPECT_EQ(LodColumn(f.form, 1), c.lod1);
    EXPECT_EQ(LodColumn(f.form, 2), c.lod2);
    EXPECT_EQ(f.form.StringGrid1.Cell(0, 2), "Element1");
    EXPECT_EQ(f.form.StringGrid1.Cell(2, 2), "3");
    EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Confirmation);
    EXPECT_EQ(f.dialogs.Shown(0).buttons, Buttons::YesNo);
    EXPECT_EQ(f.dialogs.Shown(0).text,
              c.plus ? "Ab der Zeile mit dem Fokus alle Nummern eine Zeile nach unten rücken "
                       "(sinnvoll, falls ein Element hinzugekommen ist)?"
                     : "Alle Nummern unterhalb der Zeile mit dem Fokus eine Zeile nach oben "
                       "rücken (sinnvoll, falls ein Element entfernt wurde)?");
  }

  // Only the LODs the count box shows are shifted.
  FormFixture f(kTwoLods);
  f.LoadShape(BuildShape(SimpleParts(2)));
  Type(f.form, 1, 2, "2");
  f.form.LODAnzSpinEdit.value = 1;
  f.form.StringGrid1SelectCell(3, 1);
  f.dialogs.Answer(Answer::Yes);
  f.form.ZeilePlusButtonClick();
  EXPECT_EQ(LodColumn(f.form, 1), (Cells{"", "1"}));
  EXPECT_EQ(LodColumn(f.form, 2), (Cells{"2", "1"}));
}

TEST(ElementAssignment, ChosenLodDrivesTheVertexColumnLabelsAndCopyButton) {
  FormFixture f(kThreeLods);
  f.LoadShape(BuildShape(SimpleParts(2)));
  Type(f.form, 2, 3, "2");
  f.form.LODSpinEditChange(3);
  EXPECT_EQ(f.form.StringGrid2.Cell(1, 0), "Vert. L 3");
  EXPECT_EQ(Vertices(f.form), (Cells{"10", "11"}));
  EXPECT_EQ(f.form.Label21.caption, f.Lang(38) + " L 3 =");
  EXPECT_EQ(f.form.Label22.caption, "L 2 -> L 3:");
  EXPECT_TRUE(f.form.DoButton1.enabled);

  f.form.LODSpinEditChange(1);
  EXPECT_EQ(Vertices(f.form), (Cells{"21", "0"}));
  EXPECT_EQ(f.form.Label21.caption, f.Lang(38) + " L 1 =");
  EXPECT_EQ(f.form.Label22.caption, "");
  EXPECT_FALSE(f.form.DoButton1.enabled);
}

TEST(ElementAssignment, DoFillsOrCopiesTheChosenLodAfterConfirmation) {
  FormFixture f(kTwoLods);
  f.LoadShape(BuildShape(SimpleParts(3)));
  f.form.LODSpinEditChange(2);

  f.form.NrEdit.text = "2";
  f.dialogs.Answer(Answer::No);
  f.form.DoButtonClick();
  EXPECT_EQ(LodColumn(f.form, 2), (Cells{"1", "1", "1"}));
  EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(62));
  EXPECT_EQ(f.dialogs.Shown(0).buttons, Buttons::YesNo);

  for (const char* bad : {"100", "", "-1", "1.5"}) {
    SCOPED_TRACE(bad);
    f.dialogs.ClearShown();
    f.form.NrEdit.text = bad;
    f.dialogs.Answer(Answer::Yes);
    f.form.DoButtonClick();
    ASSERT_EQ(f.dialogs.Count(), 2u);
    EXPECT_EQ(f.dialogs.Shown(1).kind, BoxKind::Warning);
    EXPECT_EQ(f.dialogs.Shown(1).text, "Bitte nur ganze Zahlen 0...99 oder 999 eintragen!");
    EXPECT_EQ(LodColumn(f.form, 2), (Cells{"1", "1", "1"}));
  }

  f.form.NrEdit.text = "2";
  f.dialogs.Answer(Answer::Yes);
  f.form.DoButtonClick();
  EXPECT_EQ(LodColumn(f.form, 2), (Cells{"2", "2", "2"}));
  EXPECT_EQ(LodColumn(f.form, 1), (Cells{"1", "1", "1"}));
  EXPECT_EQ(Vertices(f.form), (Cells{"0", "33"}));

  Type(f.form, 1, 1, "999");
  f.dialogs.Answer(Answer::Yes);
  f.form.DoButton1Click();
  EXPECT_EQ(LodColumn(f.form, 2), (Cells{"999", "1", "1"}));
  EXPECT_EQ(Vertices(f.form), (Cells{"23"}));
  EXPECT_TRUE(f.dialogs.AllAnswersUsed());
}

TEST(ElementAssignment, DefaultLeavesNothingOfTheEarlierPlan) {
  FormFixture f(kTwoLods);
  f.LoadShape(BuildShape(SimpleParts(2)));
  Form& form = f.form;
  Type(form, 1, 1, "3");
  Type(form, 2, 2, "999");
  form.StringGrid1Exit();
  form.StringGrid2SetEditText(form.StringGrid2, 2, 3, "x");
  form.StringGrid2SetEditText(form.StringGrid2, 3, 1, "x");
  Type(form, 1, 1, "1");
  form.StringGrid1Exit();  // the mark of row 3 is out of sight now

  f.dialogs.Answer(Answer::No);
  form.GrundButtonClick();
  EXPECT_EQ(LodColumn(form, 2), (Cells{"1", "999"}));
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "Evtl. hier getätigte Einstellungen werden ohne Rückfrage überschrieben. Sind Sie "
            "sicher?");

  // LOD 2 out of sight too: the default must not let it come back.
  form.LODAnzSpinEditChange(1);
  form.LODAnzSpinEditExit();
  f.dialogs.Answer(Answer::Yes);
  form.GrundButtonClick();
  EXPECT_EQ(LodColumn(form, 1), (Cells{"1", "1"}));
  EXPECT_EQ(form.StringGrid2.Cell(2, 1), "");
  form.LODAnzSpinEditChange(2);
  form.LODAnzSpinEditExit();
  EXPECT_EQ(LodColumn(form, 2), (Cells{"1", "1"}));
  EXPECT_EQ(form.StringGrid2.Cell(3, 1), "");
  Type(form, 1, 1, "3");
  form.StringGrid1Exit();
  EXPECT_EQ(form.StringGrid2.Cell(2, 3), "");
}

}  // namespace
}  // namespace quarvel::testing
