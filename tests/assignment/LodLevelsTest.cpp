// The LOD count and the distances: the tables follow the count and keep what
// a lower count hid; distances are checked as they are typed.
#include <gtest/gtest.h>

#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

const std::string kTwoLods = "[LODs]\nAnzahl=2\n1=300\n2=800\n";
const std::string kFourLods = "[LODs]\nAnzahl=4\n1=100\n2=200\n3=400\n4=800\n";
const char* kDistanceWarning = "Bitte nur positive ganze Zahlen 1...2000 eintragen!";

// Element rows as the analysis leaves them, with the given L-cells per row.
void FillElements(Form& form, const std::vector<std::vector<std::string>>& lodCells) {
  form.StringGrid1.SetRowCount(static_cast<int>(lodCells.size()) + 1);
  for (std::size_t r = 0; r < lodCells.size(); ++r) {
    const int row = static_cast<int>(r) + 1;
    form.StringGrid1.SetCell(0, row, "element" + std::to_string(row));
    form.StringGrid1.SetCell(2, row, "12");
    for (std::size_t l = 0; l < lodCells[r].size(); ++l)
      form.StringGrid1.SetCell(static_cast<int>(l) + 3, row, lodCells[r][l]);
  }
}

void SetLodCount(Form& form, int n) {
  form.LODAnzSpinEditChange(n);
  form.LODAnzSpinEditExit();
}

TEST(LodLevels, RaisingTheCountAddsLodsAtOneAndLoweringHidesThemUntilRaisedAgain) {
  FormFixture f(kTwoLods);
  Form& form = f.form;
  FillElements(form, {{"1", "2"}, {"2", "1"}});

  form.LODAnzSpinEditChange(3);
  form.LODAnzSpinEditChange(4);
  // The distance table follows the arrows; the rest waits for the box to be left.
  EXPECT_EQ(form.StringGrid4.RowCount(), 5);
  EXPECT_EQ(form.session.plan.lodCount, 2);
  EXPECT_EQ(form.StringGrid1.ColCount(), 5);

  form.LODAnzSpinEditExit();
  EXPECT_EQ(form.session.plan.lodCount, 4);
  const char* distances[] = {"300", "800", "2000", "2000"};
  const char* firstRow[] = {"1", "2", "1", "1"};
  for (int lod = 1; lod <= 4; ++lod) {
    SCOPED_TRACE(lod);
    EXPECT_EQ(form.StringGrid4.Cell(0, lod), std::to_string(lod));
    EXPECT_EQ(form.StringGrid4.Cell(1, lod), distances[lod - 1]);
    EXPECT_EQ(form.StringGrid5.Cell(0, lod), std::to_string(lod));
    EXPECT_EQ(form.StringGrid5.Cell(1, lod), distances[lod - 1]);
    EXPECT_EQ(form.StringGrid1.Cell(lod + 2, 0), "L " + std::to_string(lod));
    EXPECT_EQ(form.StringGrid2.Cell(lod + 1, 0), "L " + std::to_string(lod));
    // New assignment columns start at "1", new sort columns empty.
    EXPECT_EQ(form.StringGrid1.Cell(lod + 2, 1), firstRow[lod - 1]);
    EXPECT_EQ(form.StringGrid2.Cell(lod + 1, 1), "");
  }
  EXPECT_EQ(form.StringGrid1.ColCount(), 7);
  EXPECT_EQ(form.StringGrid2.ColCount(), 6);
  EXPECT_EQ(form.StringGrid5.RowCount(), 5);
  EXPECT_EQ(form.LODSpinEdit.maxValue, 4);
  EXPECT_TRUE(form.LODSpinEdit.enabled);

  form.StringGrid4SetEditText(1, 3, "1200");
  form.StringGrid1.SetCell(5, 1, "3");
  form.StringGrid1.SetCell(6, 2, "999");
  form.StringGrid2.SetCell(5, 1, "x");
  SetLodCount(form, 2);
  EXPECT_EQ(form.StringGrid4.RowCount(), 3);
  EXPECT_EQ(form.StringGrid5.RowCount(), 3);
  EXPECT_EQ(form.StringGrid1.ColCount(), 5);
  EXPECT_EQ(form.StringGrid2.ColCount(), 4);

  SetLodCount(form, 4);
  EXPECT_EQ(form.StringGrid4.Cell(1, 3), "1200");
  EXPECT_EQ(form.StringGrid5.Cell(1, 3), "1200");
  EXPECT_EQ(form.StringGrid1.Cell(5, 1), "3");
  EXPECT_EQ(form.StringGrid1.Cell(6, 2), "999");
  EXPECT_EQ(form.StringGrid2.Cell(5, 1), "x");
  EXPECT_EQ(f.dialogs.Count(), 0u);
}

TEST(LodLevels, TheChosenLodAndTheCountStayWithinRange) {
  FormFixture f(kFourLods);
  Form& form = f.form;
  form.LODSpinEdit.value = 3;

  SetLodCount(form, 2);
  EXPECT_EQ(form.LODSpinEdit.value, 2);
  EXPECT_EQ(form.StringGrid2.Cell(1, 0), "Vert. L 2");
  EXPECT_EQ(form.LODSpinEdit.maxValue, 2);
  EXPECT_TRUE(form.LODSpinEdit.enabled);

  SetLodCount(form, 1);
  EXPECT_EQ(form.LODSpinEdit.value, 1);
  EXPECT_FALSE(form.LODSpinEdit.enabled);

  // Raising again leaves the choice where it is.
  SetLodCount(form, 3);
  EXPECT_EQ(form.LODSpinEdit.value, 1);
  EXPECT_EQ(form.LODSpinEdit.maxValue, 3);

  SetLodCount(form, 0);
  EXPECT_EQ(form.session.plan.lodCount, 1);
  EXPECT_EQ(form.StringGrid4.RowCount(), 2);
  SetLodCount(form, 250);
  EXPECT_EQ(form.session.plan.lodCount, 99);
  EXPECT_EQ(form.StringGrid4.RowCount(), 100);
}

TEST(LodDistances, EntriesAreCheckedAtEveryKeystroke) {
  FormFixture f(kTwoLods);
  Form& form = f.form;
  for (const char* typed : {"2", "25", "250"}) form.StringGrid4SetEditText(1, 2, typed);
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(form.StringGrid5.Cell(1, 2), "250");

  for (const char* refused : {"2500", "0", "-", "1a", "2001"}) {
    SCOPED_TRACE(refused);
    f.dialogs.shown.clear();
    form.StringGrid4SetEditText(1, 1, refused);
    ASSERT_EQ(f.dialogs.Count(), 1u);
    EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
    EXPECT_EQ(f.dialogs.Shown(0).text, kDistanceWarning);
    EXPECT_EQ(form.StringGrid4.Cell(1, 1), "");
    EXPECT_EQ(form.StringGrid5.Cell(1, 1), "");
  }

  // The summary shows the value read; the table keeps what was typed, and
  // equal or falling distances are the user's business.
  f.dialogs.shown.clear();
  form.StringGrid4SetEditText(1, 1, "0900");
  form.StringGrid4SetEditText(1, 2, "900");
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(form.StringGrid4.Cell(1, 1), "0900");
  EXPECT_EQ(form.StringGrid5.Cell(1, 1), "900");
  EXPECT_EQ(form.StringGrid5.Cell(1, 2), "900");
}

TEST(LodDistances, AnEmptyDistanceIsReportedOnlyWhenTheTableIsLeft) {
  FormFixture f(kFourLods);
  Form& form = f.form;
  form.StringGrid4.SetCurrent(1, 4);
  form.StringGrid4SetEditText(1, 2, "");
  form.StringGrid4SetEditText(1, 3, "");
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(form.StringGrid5.Cell(1, 2), "");

  form.StringGrid4Exit();
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Information);
  EXPECT_EQ(f.dialogs.Shown(0).text, "Bitte Wert eintragen.");
  EXPECT_EQ(form.StringGrid4.Col(), 1);
  EXPECT_EQ(form.StringGrid4.Row(), 2);
  EXPECT_EQ(form.focusRequest, FocusRequest::StringGrid4);

  form.focusRequest = FocusRequest::None;
  form.StringGrid4SetEditText(1, 2, "300");
  form.StringGrid4SetEditText(1, 3, "600");
  f.dialogs.shown.clear();
  form.StringGrid4Exit();
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(form.focusRequest, FocusRequest::None);
}

}  // namespace
}  // namespace quarvel::testing
