#include "assignment/LodLevels.h"
#include "common/Convert.h"
#include "form/Form.h"
#include "form/TableColumns.h"

namespace quarvel {

void Form::LODAnzSpinEditChange(int value) {
  // The spin box never leaves its range; callers without the widget get the
  // same guarantee here, so LodCount stays within 1..99.
  if (value < LODAnzSpinEdit.minValue) value = LODAnzSpinEdit.minValue;
  if (value > LODAnzSpinEdit.maxValue) value = LODAnzSpinEdit.maxValue;
  LODAnzSpinEdit.value = value;
  // Counts of 100 and more leave the table's size alone.
  if (value < 100) StringGrid4.SetRowCount(value + 1);
  const int rows = StringGrid4.RowCount() - 1;
  for (int row = 1; row <= rows; ++row) StringGrid4.SetCell(kLodNumberColumn, row, IntToStr(row));
  FillEmptyDistances(session.plan, rows);
}

// The count takes effect only here, so that clicking through several values
// does not reshape the element tables at every step.
void Form::LODAnzSpinEditExit() {
  const int n = LODAnzSpinEdit.value;
  session.plan.lodCount = n;
  LODSpinEdit.maxValue = n;
  LODSpinEdit.enabled = n != 1;
  if (LODSpinEdit.value > n) {
    LODSpinEdit.value = n;
    LODSpinEditChange(n);
  }
  StringGrid1.SetColCount(n + 3);
  StringGrid2.SetColCount(n + 2);
  for (int lod = 1; lod <= n; ++lod) {
    const std::string header = "L " + IntToStr(lod);
    StringGrid1.SetCell(AssignmentColumn(lod), 0, header);
    StringGrid2.SetCell(SortMarkColumn(lod), 0, header);
  }
  session.SetLodCount(n);
}

bool Form::StringGrid4SelectCell(int col, int) {
  return col == kDistanceColumn;
}

void Form::StringGrid4SetEditText(int col, int row, const std::string& text) {
  StringGrid4.SetCell(col, row, text);
  const DistanceEntry entry = CheckDistanceEntry(text);
  if (!entry.accepted) {
    session.Message(BoxKind::Warning, LangText(Text::DistanceEntry), Buttons::Ok);
    StringGrid4.SetCell(col, row, "");
  }
  if (col == kDistanceColumn) StringGrid5.SetCell(kSummaryDistanceColumn, row, entry.summaryText);
}

void Form::StringGrid4Exit() {
  const std::optional<int> row = FirstEmptyDistance(session.plan, StringGrid4.RowCount() - 1);
  if (!row) return;
  StringGrid4.SetCurrent(1, *row);
  focusRequest = FocusRequest::StringGrid4;
  session.Message(BoxKind::Information, LangText(Text::EnterValue), Buttons::Ok);
}

}  // namespace quarvel
