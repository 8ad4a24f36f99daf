#include "assignment/LodLevels.h"

#include "assignment/TableColumns.h"
#include "common/Convert.h"

namespace quarvel {

void ResizeDistanceTable(StringGrid& distances, int lodCount) {
  if (lodCount < 100) distances.SetRowCount(lodCount + 1);
  for (int row = 1; row < distances.RowCount(); ++row) {
    distances.SetCell(kLodNumberColumn, row, IntToStr(row));
    if (distances.Cell(kDistanceColumn, row).empty())
      distances.SetCell(kDistanceColumn, row, kNewLodDistance);
  }
}

void ApplyLodCountToTables(int lodCount, const StringGrid& distances, StringGrid& elements,
                           StringGrid& subobjects, StringGrid& summary) {
  elements.SetColCount(lodCount + 3);
  subobjects.SetColCount(lodCount + 2);
  summary.SetRowCount(lodCount + 1);
  for (int lod = 1; lod <= lodCount; ++lod) {
    const std::string header = "L " + IntToStr(lod);
    elements.SetCell(AssignmentColumn(lod), 0, header);
    subobjects.SetCell(SortMarkColumn(lod), 0, header);
    for (int row = 1; row < elements.RowCount(); ++row)
      if (elements.Cell(AssignmentColumn(lod), row).empty())
        elements.SetCell(AssignmentColumn(lod), row, "1");
    summary.SetCell(kSummaryLodColumn, lod, IntToStr(lod));
    summary.SetCell(kSummaryDistanceColumn, lod, distances.Cell(kDistanceColumn, lod));
  }
}

DistanceEntry CheckDistanceEntry(const std::string& text) {
  if (text.empty()) return {true, ""};
  const int value = TryStrToInt(text).value_or(-1);
  if (value < kMinLodDistance || value > kMaxLodDistance) return {false, ""};
  return {true, IntToStr(value)};
}

std::optional<int> FirstEmptyDistanceRow(const StringGrid& distances) {
  for (int row = 1; row < distances.RowCount(); ++row)
    if (distances.Cell(kDistanceColumn, row).empty()) return row;
  return std::nullopt;
}

}  // namespace quarvel
