// "Automatisch aufteilen" and the vertex limit as the element table shows it:
// the split in row order under the limit, the elements it leaves alone or
// reports, its question, and the emphasis of the counts above the limit.
#include <gtest/gtest.h>

#include <random>

#include "assignment/AutoSplit.h"
#include "assignment/ElementAssignment.h"
#include "form/TableColumns.h"
#include "support/ExportedShape.h"
#include "support/FormFixture.h"
#include "support/LanguageTexts.h"

namespace quarvel::testing {
namespace {

using Cells = std::vector<std::string>;

Cells Column(const StringGrid& grid, int col) {
  Cells cells;
  for (int row = 1; row < grid.RowCount(); ++row) cells.push_back(grid.Cell(col, row));
  return cells;
}

// Element k on vertex set `sets[k]`; set i holds `vertices[i]` vertices.
void LoadSets(FormFixture& f, const std::vector<int>& vertices, std::vector<int> sets = {}) {
  ExportedShape shape = ElementsWithOwnSets(static_cast<int>(vertices.size()));
  shape.setVertices = vertices;
  if (!sets.empty()) {
    shape.elements.clear();
    for (std::size_t k = 0; k < sets.size(); ++k)
      shape.elements.push_back({"E" + std::to_string(k), sets[k]});
  }
  f.LoadShape(BuildExportedShape(shape));
  f.form.VertLimitSpinEditChange(1000);
}

void SetPlan(Form& form, int lod, const Cells& cells) {
  for (std::size_t row = 0; row < cells.size(); ++row)
    form.StringGrid1.SetCell(AssignmentColumn(lod), static_cast<int>(row) + 1, cells[row]);
  form.RefreshAssignment();
}

TEST(AutoSplit, FillsSubobjectsInRowOrderAndGivesAnOversizedElementItsOwn) {
  FormFixture f;
  LoadSets(f, {400, 300, 200, 500, 1200, 100});
  // The default plan has no entries of the user's own: no question.
  ASSERT_TRUE(f.form.AufteilenMenuItemClick().IsDone());
  EXPECT_EQ(Column(f.form.StringGrid1, AssignmentColumn(1)), (Cells{"1", "1", "1", "2", "3", "4"}));
  EXPECT_EQ(Column(f.form.StringGrid2, kVertexCountColumn), (Cells{"900", "500", "1200", "100"}));
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Information);
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "LOD 1: Diese Elemente haben schon allein mehr als 1000 Vertices und stehen deshalb in "
            "Subobjekten für sich:\nSubobjekt 3 (1200 Vertices): \"Element4\" (Zeile 5)");

  // Run again, nothing changes and nothing is asked.
  f.dialogs.shown.clear();
  ASSERT_TRUE(f.form.AufteilenMenuItemClick().IsDone());
  EXPECT_EQ(Column(f.form.StringGrid1, AssignmentColumn(1)), (Cells{"1", "1", "1", "2", "3", "4"}));
}

TEST(AutoSplit, EveryElementsSetsCountInEachSubobjectAndSharedSetsCountOnce) {
  FormFixture f("[LODs]\nAnzahl=2\n1=300\n2=800\n");
  // Rows a..g on sets 0, 1, 0, 2, 3, 4, 2; set 2 is far above the limit.
  LoadSets(f, {400, 300, 1500, 200, 250}, {0, 1, 0, 2, 3, 4, 2});
  SetPlan(f.form, 2, {"1", "0", "1", "999", "1", "1", "1"});
  f.form.LODSpinEditChange(2);
  ASSERT_TRUE(f.form.AufteilenMenuItemClick().IsDone());
  // a 300+400, c shares a's set, e 700+200; f would make 1150: the next
  // one, 300+250; g alone is 1800: its own, reported.
  EXPECT_EQ(Column(f.form.StringGrid1, AssignmentColumn(2)),
            (Cells{"1", "0", "1", "999", "1", "2", "3"}));
  EXPECT_EQ(Column(f.form.StringGrid2, kVertexCountColumn), (Cells{"900", "550", "1800"}));
  EXPECT_EQ(Column(f.form.StringGrid1, AssignmentColumn(1)), Cells(7, "1")) << "LOD 1 untouched";
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_NE(f.dialogs.Shown(0).text.find("Subobjekt 3 (1800 Vertices): \"E6\" (Zeile 7)"),
            std::string::npos);
}

TEST(AutoSplit, ElementsOnOneOversizedSetShareTheirSubobject) {
  FormFixture f;
  LoadSets(f, {300, 2000, 300}, {0, 1, 1, 2});
  ASSERT_TRUE(f.form.AufteilenMenuItemClick().IsDone());
  EXPECT_EQ(Column(f.form.StringGrid1, AssignmentColumn(1)), (Cells{"1", "2", "2", "3"}));
  EXPECT_EQ(
      f.dialogs.Shown(0).text,
      "LOD 1: Diese Elemente haben schon allein mehr als 1000 Vertices und stehen deshalb in "
      "Subobjekten für sich:\nSubobjekt 2 (2000 Vertices): \"E1\" (Zeile 2), \"E2\" (Zeile 3)");
}

TEST(AutoSplit, AnElementOnASetThatIsInAlreadyJoinsItsSubobjectWhereverItStands) {
  // Another sub-object would get a second copy of the set's vertices.
  FormFixture f;
  LoadSets(f, {600, 600, 600}, {0, 1, 2, 0});
  ASSERT_TRUE(f.form.AufteilenMenuItemClick().IsDone());
  EXPECT_EQ(Column(f.form.StringGrid1, AssignmentColumn(1)), (Cells{"1", "2", "3", "1"}));
  EXPECT_EQ(Column(f.form.StringGrid2, kVertexCountColumn), (Cells{"600", "600", "600"}));

  // An oversized set far apart keeps one sub-object, and the report names
  // its elements together.
  f.dialogs.shown.clear();
  LoadSets(f, {300, 2000}, {1, 0, 1});
  ASSERT_TRUE(f.form.AufteilenMenuItemClick().IsDone());
  EXPECT_EQ(Column(f.form.StringGrid1, AssignmentColumn(1)), (Cells{"1", "2", "1"}));
  EXPECT_NE(f.dialogs.Shown(0).text.find(
                "Subobjekt 1 (2000 Vertices): \"E0\" (Zeile 1), \"E2\" (Zeile 3)"),
            std::string::npos);
}

TEST(AutoSplit, AsksBeforeItOverwritesEntriesOfTheUsersOwn) {
  FormFixture f;
  LoadSets(f, {600, 600, 600});
  SetPlan(f.form, 1, {"1", "2", "7"});
  f.dialogs.Answer(Answer::No);
  EXPECT_EQ(f.form.Run([&] { return f.form.AufteilenMenuItemClick(); }).kind(),
            Outcome::Kind::Declined);
  EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(62));
  EXPECT_EQ(Column(f.form.StringGrid1, AssignmentColumn(1)), (Cells{"1", "2", "7"}));

  f.dialogs.Answer(Answer::Yes);
  ASSERT_TRUE(f.form.AufteilenMenuItemClick().IsDone());
  EXPECT_EQ(Column(f.form.StringGrid1, AssignmentColumn(1)), (Cells{"1", "2", "3"}));
  EXPECT_EQ(Column(f.form.StringGrid2, kVertexCountColumn), (Cells{"600", "600", "600"}));
}

TEST(AutoSplit, RefusesWhenTheEverySubobjectElementsAloneExceedTheLimit) {
  FormFixture f;
  LoadSets(f, {700, 400, 100});
  SetPlan(f.form, 1, {"0", "0", "1"});
  EXPECT_EQ(f.form.AufteilenMenuItemClick().kind(), Outcome::Kind::Refused);
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "In LOD 1 haben die Elemente mit 0 (in jedem Subobjekt) zusammen schon 1100 Vertices, "
            "mehr als die Grenze von 1000. Keine Aufteilung kann das ändern. Abbruch der Aktion.");
  EXPECT_EQ(Column(f.form.StringGrid1, AssignmentColumn(1)), (Cells{"0", "0", "1"}));
}

TEST(AutoSplit, RefusesAPlanThatWouldNeedMoreThan99Subobjects) {
  // The index and the table alone: a hundred elements of 600 vertices each.
  ShapeIndex index;
  ShapeTables tables;
  Plan entries;
  tables.elements.SetCount(100);
  index.VertexSetCount = 100;
  for (int k = 0; k < 100; ++k) {
    index.VertexSets[static_cast<std::size_t>(k)].vertexCount = 600;
    index.ElementVtxStates[static_cast<std::size_t>(k)] = k;
    entries.SetChoice(k + 1, 1, SubobjectChoice(1));
  }
  AutoSplitPlan plan;
  const TextSource german = LanguageTexts("Deutsch");
  EXPECT_EQ(PlanAutoSplit(tables, entries, index, 1, 1000, german, plan),
            "LOD 1 bräuchte bei höchstens 1000 Vertices je Subobjekt mehr als 99 Subobjekte. "
            "Abbruch der Aktion.");
  index.VertexSets[99].vertexCount = 400;  // the last one fits beside the one before
  EXPECT_EQ(PlanAutoSplit(tables, entries, index, 1, 1000, german, plan), std::nullopt);
  EXPECT_EQ(plan.Subobjects(), 99);
  EXPECT_EQ(plan.vertices.back(), 1000);
}

TEST(AutoSplit, EmptyAndUnreadableCellsGetNumbersWhileZeroAndNotInLodStay) {
  FormFixture f;
  LoadSets(f, {600, 600, 600, 600, 600});
  SetPlan(f.form, 1, {"", "05", "999", "00", "1"});
  f.dialogs.Answer(Answer::Yes);
  ASSERT_TRUE(f.form.AufteilenMenuItemClick().IsDone());
  // "00" reads as 0 and keeps its cell, although it counts nowhere.
  EXPECT_EQ(Column(f.form.StringGrid1, AssignmentColumn(1)), (Cells{"1", "2", "999", "00", "3"}));
}

TEST(VertexCounts, OnePassCountsEqualTheSingleCountsForAnyPlan) {
  FormFixture f("[LODs]\nAnzahl=3\n1=100\n2=200\n3=300\n");
  LoadSets(f, {10, 20, 30, 40, 50, 60}, {0, 1, 2, 0, 3, 4, 5, 5, 2, 7});
  std::mt19937 random(13);
  const Cells values = {"0", "1", "2", "3", "05", "999", "", "x", "4", "-1", "10"};
  const auto compareRandomPlans = [&] {
    for (int round = 0; round < 100; ++round) {
      for (int lod = 1; lod <= 3; ++lod)
        for (int row = 1; row <= 10; ++row)
          f.form.StringGrid1.SetCell(AssignmentColumn(lod), row, values[random() % values.size()]);
      for (int lod = 1; lod <= 3; ++lod) {
        const std::vector<int> counts =
            SubobjectVertexCounts(f.form.session.plan, 10, f.form.session.index, lod, 11);
        for (int s = 1; s <= 11; ++s)
          ASSERT_EQ(counts[static_cast<std::size_t>(s - 1)],
                    f.form.session.SubobjectVertices(lod, s))
              << "round " << round << ", LOD " << lod << ", sub-object " << s;
      }
    }
  };
  compareRandomPlans();
  // A damaged vertex count makes the sets after it count only while the
  // vertices removed before them stay at zero or more.
  f.form.session.index.VertexSets[1].vertexCount = -25;
  compareRandomPlans();
}

TEST(VertexLimit, CountsAboveTheLimitAndTheirLodsStandOut) {
  FormFixture f("[LODs]\nAnzahl=2\n1=300\n2=800\n");
  LoadSets(f, {800, 700, 300});
  SetPlan(f.form, 1, {"1", "2", "2"});
  SetPlan(f.form, 2, {"1", "1", "999"});
  const Form& form = f.form;
  EXPECT_EQ(form.Emphasis(form.StringGrid2, kVertexCountColumn, 1), CellEmphasis::None);  // 800
  EXPECT_EQ(form.Emphasis(form.StringGrid2, kVertexCountColumn, 2), CellEmphasis::None);  // 1000
  EXPECT_EQ(form.Emphasis(form.StringGrid5, kSummaryLodColumn, 1), CellEmphasis::None);
  EXPECT_EQ(form.Emphasis(form.StringGrid5, kSummaryFacesColumn, 2), CellEmphasis::OverLimit);

  f.form.LODSpinEditChange(2);
  EXPECT_EQ(Column(form.StringGrid2, kVertexCountColumn), (Cells{"1500", "0"}));
  EXPECT_EQ(form.Emphasis(form.StringGrid2, kVertexCountColumn, 1), CellEmphasis::OverLimit);
  EXPECT_EQ(form.Emphasis(form.StringGrid2, kSubobjectNumberColumn, 1), CellEmphasis::None);
  EXPECT_EQ(form.Emphasis(form.StringGrid1, kNameColumn, 1), CellEmphasis::None);

  // The limit decides at once; the cells' texts stay as they are.
  f.form.VertLimitSpinEditChange(1500);
  EXPECT_EQ(form.Emphasis(form.StringGrid2, kVertexCountColumn, 1), CellEmphasis::None);
  EXPECT_EQ(form.Emphasis(form.StringGrid5, kSummaryDistanceColumn, 2), CellEmphasis::None);
  EXPECT_EQ(VertexCountEmphasis(65535, 14000), CellEmphasis::OverLimit);
  EXPECT_EQ(VertexCountEmphasis(65536, 14000), CellEmphasis::BeyondIndexRange);
  EXPECT_EQ(VertexCountEmphasis(65536, 65535), CellEmphasis::BeyondIndexRange);

  // No mark outlives the shape.
  f.form.VertLimitSpinEditChange(1000);
  ASSERT_EQ(form.Emphasis(form.StringGrid5, kSummaryLodColumn, 2), CellEmphasis::OverLimit);
  f.form.ResetWindow();
  EXPECT_EQ(form.Emphasis(form.StringGrid5, kSummaryLodColumn, 2), CellEmphasis::None);
}

}  // namespace
}  // namespace quarvel::testing
