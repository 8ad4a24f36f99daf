#include "assignment/LodLevels.h"
#include "assignment/TableColumns.h"
#include "form/Form.h"

namespace quarvel {

void Form::LODAnzSpinEditChange(int value) {
  // The spin box never leaves its range; callers without the widget get the
  // same guarantee here, so LodCount stays within 1..99.
  if (value < LODAnzSpinEdit.minValue) value = LODAnzSpinEdit.minValue;
  if (value > LODAnzSpinEdit.maxValue) value = LODAnzSpinEdit.maxValue;
  LODAnzSpinEdit.value = value;
  ResizeDistanceTable(StringGrid4, value);
}

// The count takes effect only here, so that clicking through several values
// does not reshape the element tables at every step.
void Form::LODAnzSpinEditExit() {
  const int n = LODAnzSpinEdit.value;
  LodCount = n;
  LODSpinEdit.maxValue = n;
  LODSpinEdit.enabled = n != 1;
  if (LODSpinEdit.value > n) {
    LODSpinEdit.value = n;
    LODSpinEditChange(n);
  }
  ApplyLodCountToTables(n, StringGrid4, StringGrid1, StringGrid2, StringGrid5);
  CountLargestSubobjects();
}

bool Form::StringGrid4SelectCell(int col, int) {
  return col == kDistanceColumn;
}

void Form::StringGrid4SetEditText(int col, int row, const std::string& text) {
  StringGrid4.SetCell(col, row, text);
  const DistanceEntry entry = CheckDistanceEntry(text);
  if (!entry.accepted) {
    Message(BoxKind::Warning, "Bitte nur positive ganze Zahlen 1...2000 eintragen!", Buttons::Ok);
    StringGrid4.SetCell(col, row, "");
  }
  if (col == kDistanceColumn) StringGrid5.SetCell(kSummaryDistanceColumn, row, entry.summaryText);
}

void Form::StringGrid4Exit() {
  const std::optional<int> row = FirstEmptyDistanceRow(StringGrid4);
  if (!row) return;
  StringGrid4.SetCurrent(1, *row);
  focusRequest = FocusRequest::StringGrid4;
  Message(BoxKind::Information, "Bitte Wert eintragen.", Buttons::Ok);
}

}  // namespace quarvel
