// The per-LOD sub-object numbers of the element table, the vertex counts of
// the sub-object table and the commands that fill, copy, shift and reset them.
#include <gtest/gtest.h>

#include "support/ExportedShape.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

using Cells = std::vector<std::string>;
const std::string kTwoLods = "[LODs]\nAnzahl=2\n1=300\n2=800\n";

// Element k of GradedElements has 10 + k vertices and 2 + k faces.
void Load(FormFixture& f, int elements) {
  f.LoadShape(BuildExportedShape(GradedElements(elements)));
}

void Type(Form& form, int row, int lod, const std::string& text) {
  form.StringGrid1SetEditText(lod + 2, row, text);
}

Cells Column(const StringGrid& grid, int col) {
  Cells cells;
  for (int row = 1; row < grid.RowCount(); ++row) cells.push_back(grid.Cell(col, row));
  return cells;
}
Cells Vertices(const Form& form) {
  return Column(form.StringGrid2, 1);
}
Cells Plan(const Form& form, int lod) {
  return Column(form.StringGrid1, lod + 2);
}

TEST(ElementAssignment, MembershipComparesTextsWhileCountsReadNumbers) {
  FormFixture f;
  Load(f, 4);
  Form& form = f.form;
  EXPECT_EQ(Vertices(form), (Cells{"46"}));
  // "05" raises the rows to 5 and counts its faces but joins no sub-object;
  // "0" joins every one, its faces counted once; "999" joins none.
  Type(form, 1, 1, "0");
  Type(form, 2, 1, "05");
  Type(form, 4, 1, "999");
  form.StringGrid1Exit();
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(Vertices(form), (Cells{"22", "10", "10", "10", "10"}));
  EXPECT_EQ(form.StringGrid5.Cell(2, 1), "9");
  EXPECT_FALSE(form.session.plan.Choice(2, 1).IsIn(5));

  Type(form, 2, 1, "999");
  EXPECT_TRUE(form.StringGrid1SelectCell(3, 1));  // selecting another cell refreshes
  EXPECT_EQ(Vertices(form), (Cells{"22"}));
  EXPECT_EQ(form.StringGrid5.Cell(2, 1), "6");
}

TEST(ElementAssignment, SharedVertexSetCountsOnceAndShiftsSkipTheSetsLeftOut) {
  FormFixture f;
  ExportedShape shape = ElementsWithOwnSets(3);
  shape.setVertices = {10, 20, 30};
  shape.elements = {{"a", 0}, {"b", 2}, {"c", 2}, {"d", 1}};
  f.LoadShape(BuildExportedShape(shape));
  Type(f.form, 1, 1, "2");
  Type(f.form, 4, 1, "7");
  f.form.StringGrid1Exit();
  EXPECT_EQ(Vertices(f.form), (Cells{"30", "10", "0", "0", "0", "0", "20"}));

  const auto& shift = f.form.session.index.VertexShift;
  EXPECT_EQ(f.form.session.SubobjectVertices(1, 1), 30);
  EXPECT_EQ((std::vector<int>{shift[0], shift[1], shift[2]}), (std::vector<int>{-1, -1, 30}));
  EXPECT_EQ(f.form.session.SubobjectVertices(1, 7), 20);
  EXPECT_EQ(shift[1], 10);
}

TEST(ElementAssignment, KeystrokesOutsideTheRangeAreRefusedAndEmptied) {
  FormFixture f;
  Load(f, 1);
  Form& form = f.form;
  for (const char* text : {"", "9", "99", "999", "1", "10"}) Type(form, 1, 1, text);
  EXPECT_EQ(form.StringGrid1.Cell(3, 1), "10");
  for (const char* refused : {"100", "-", "1000", "x", " 5"}) Type(form, 1, 1, refused);
  ASSERT_EQ(f.dialogs.Count(), 5u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(4).text,
            "Bitte nur positive ganze Zahlen 1...99 oder 0 oder 999 eintragen!");
  EXPECT_EQ(form.StringGrid1.Cell(3, 1), "");

  // Marks, in the sub-object table as in the matrix table; a refused one is
  // emptied in its own table only.
  form.StringGrid2SetEditText(form.StringGrid2, 2, 1, "X");
  form.StringGrid2SetEditText(form.StringGrid3, 2, 1, "xy");
  ASSERT_EQ(f.dialogs.Count(), 6u);
  EXPECT_EQ(f.dialogs.Shown(5).text, "Bitte nur \"x\" oder \"X\" eintragen!");
  EXPECT_EQ(form.StringGrid3.Cell(2, 1), "");
  EXPECT_EQ(form.StringGrid2.Cell(2, 1), "X");
  EXPECT_FALSE(form.StringGrid2SelectCell(form.StringGrid2, 1, 1));
  EXPECT_FALSE(form.StringGrid1SelectCell(2, 1));
}

TEST(ElementAssignment, UnreadableCellStopsTheRefreshSilently) {
  FormFixture f(kTwoLods);
  Load(f, 3);
  Form& form = f.form;
  Type(form, 2, 2, "3");
  form.StringGrid1Exit();

  // LOD 1 is evaluated, then the empty cell of LOD 2 ends the refresh.
  Type(form, 1, 1, "999");
  Type(form, 1, 2, "");
  form.StringGrid1Exit();
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(form.StringGrid5.Cell(2, 1), "7");
  EXPECT_EQ(form.StringGrid5.Cell(2, 2), "9");
  EXPECT_EQ(Column(form.StringGrid2, 0), (Cells{""}));

  // Numbers no entry allows (from a hand-edited settings file) stop it too,
  // rather than growing the table without bound.
  Type(form, 1, 2, "1");
  form.StringGrid1.SetCell(3, 1, "2147483647");
  form.RefreshAssignment();
  EXPECT_EQ(Vertices(form), (Cells{""}));
}

TEST(ElementAssignment, RowShiftsMoveThePlanOfTheShownLods) {
  struct Case {
    bool plus;
    int focus;
    Cells lod1, lod2;
  };
  const Case cases[] = {
      {true, 2, {"1", "", "2", "3"}, {"5", "", "6", "7"}},
      {false, 2, {"1", "3", "4", ""}, {"5", "7", "8", ""}},
      {true, 4, {"1", "2", "3", ""}, {"5", "6", "7", ""}},
      {false, 4, {"1", "2", "3", ""}, {"5", "6", "7", ""}},
  };
  for (const Case& c : cases) {
    FormFixture f(kTwoLods);
    Load(f, 4);
    for (int row = 1; row <= 4; ++row) {
      Type(f.form, row, 1, std::to_string(row));
      Type(f.form, row, 2, std::to_string(row + 4));
    }
    f.form.StringGrid1SelectCell(3, c.focus);
    const auto shift = [&](Answer answer) {
      f.dialogs.Answer(answer);
      c.plus ? f.form.ZeilePlusButtonClick() : f.form.ZeileMinusButtonClick();
    };
    shift(Answer::No);
    EXPECT_EQ(Plan(f.form, 1), (Cells{"1", "2", "3", "4"}));
    shift(Answer::Yes);
    EXPECT_EQ(Plan(f.form, 1), c.lod1);
    EXPECT_EQ(Plan(f.form, 2), c.lod2);
    EXPECT_EQ(f.form.StringGrid1.Cell(2, 2), "3");  // the faces stay
    EXPECT_EQ(f.dialogs.Shown(0).text,
              c.plus ? "Ab der Zeile mit dem Fokus alle Nummern eine Zeile nach unten rücken "
                       "(sinnvoll, falls ein Element hinzugekommen ist)?"
                     : "Alle Nummern unterhalb der Zeile mit dem Fokus eine Zeile nach oben "
                       "rücken (sinnvoll, falls ein Element entfernt wurde)?");
  }
  // The count box, not the LOD count, says how many LODs shift.
  FormFixture f(kTwoLods);
  Load(f, 2);
  f.form.LODAnzSpinEdit.value = 1;
  f.form.StringGrid1SelectCell(3, 1);
  f.dialogs.Answer(Answer::Yes);
  f.form.ZeilePlusButtonClick();
  EXPECT_EQ(Plan(f.form, 1), (Cells{"", "1"}));
  EXPECT_EQ(Plan(f.form, 2), (Cells{"1", "1"}));
}

TEST(ElementAssignment, ChosenLodIsFilledOrCopiedAfterConfirmation) {
  FormFixture f("[LODs]\nAnzahl=3\n1=100\n2=300\n3=800\n");
  Load(f, 3);
  Form& form = f.form;
  form.LODSpinEditChange(1);
  EXPECT_EQ(form.Label22.caption, "");
  EXPECT_FALSE(form.DoButton1.enabled);
  form.LODSpinEditChange(3);
  EXPECT_EQ(form.StringGrid2.Cell(1, 0), "Vert. L 3");
  EXPECT_EQ(form.Label21.caption, f.Lang(38) + " L 3 =");
  EXPECT_EQ(form.Label22.caption, "L 2 -> L 3:");
  EXPECT_TRUE(form.DoButton1.enabled);

  form.NrEdit.text = "2";
  f.dialogs.Answer(Answer::No);
  form.DoButtonClick();
  EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(62));
  for (const char* bad : {"100", "", "-1", "1.5"}) {
    form.NrEdit.text = bad;
    f.dialogs.Answer(Answer::Yes);
    form.DoButtonClick();
    EXPECT_EQ(f.dialogs.shown.back().text, "Bitte nur ganze Zahlen 0...99 oder 999 eintragen!");
  }
  EXPECT_EQ(Plan(form, 3), (Cells{"1", "1", "1"}));

  form.NrEdit.text = "2";
  f.dialogs.Answer(Answer::Yes);
  form.DoButtonClick();
  EXPECT_EQ(Plan(form, 3), (Cells{"2", "2", "2"}));
  EXPECT_EQ(Vertices(form), (Cells{"0", "33"}));  // the vertices of LOD 3

  Type(form, 1, 2, "999");
  f.dialogs.Answer(Answer::Yes);
  form.DoButton1Click();
  EXPECT_EQ(Plan(form, 3), (Cells{"999", "1", "1"}));
  EXPECT_EQ(Vertices(form), (Cells{"23"}));
}

TEST(ElementAssignment, HiddenMarksComeBackUnlessTheDefaultIsChosen) {
  FormFixture f(kTwoLods);
  Load(f, 2);
  Form& form = f.form;
  Type(form, 1, 1, "3");
  Type(form, 2, 2, "999");
  form.StringGrid1Exit();
  form.StringGrid2SetEditText(form.StringGrid2, 2, 3, "x");
  Type(form, 1, 1, "1");
  form.StringGrid1Exit();
  EXPECT_EQ(form.StringGrid2.RowCount(), 2);  // the mark of row 3 is out of sight
  Type(form, 1, 1, "3");
  form.StringGrid1Exit();
  EXPECT_EQ(form.StringGrid2.Cell(2, 3), "x");
  Type(form, 1, 1, "1");
  form.StringGrid1Exit();

  f.dialogs.Answer(Answer::No);
  form.GrundButtonClick();
  EXPECT_EQ(Plan(form, 2), (Cells{"1", "999"}));
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "Evtl. hier getätigte Einstellungen werden ohne Rückfrage überschrieben. Sind Sie "
            "sicher?");

  // With LOD 2 out of sight as well, neither comes back after the default.
  form.LODAnzSpinEditChange(1);
  form.LODAnzSpinEditExit();
  f.dialogs.Answer(Answer::Yes);
  form.GrundButtonClick();
  form.LODAnzSpinEditChange(2);
  form.LODAnzSpinEditExit();
  EXPECT_EQ(Plan(form, 2), (Cells{"1", "1"}));
  Type(form, 1, 1, "3");
  form.StringGrid1Exit();
  EXPECT_EQ(form.StringGrid2.Cell(2, 3), "");
}

}  // namespace
}  // namespace quarvel::testing
