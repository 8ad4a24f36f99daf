#include "assignment/LodLevels.h"

#include "common/Convert.h"

namespace quarvel {

void ResizeDistanceTable(StringGrid& distances, int lodCount) {
  if (lodCount < 100) distances.SetRowCount(lodCount + 1);
  for (int row = 1; row < distances.RowCount(); ++row) {
    distances.SetCell(0, row, IntToStr(row));
    if (distances.Cell(1, row).empty()) distances.SetCell(1, row, kNewLodDistance);
  }
}

void ApplyLodCountToTables(int lodCount, const StringGrid& distances, StringGrid& elements,
                           StringGrid& subobjects, StringGrid& summary) {
  elements.SetColCount(lodCount + 3);
  subobjects.SetColCount(lodCount + 2);
  summary.SetRowCount(lodCount + 1);
  for (int lod = 1; lod <= lodCount; ++lod) {
    const std::string header = "L " + IntToStr(lod);
    elements.SetCell(lod + 2, 0, header);
    subobjects.SetCell(lod + 1, 0, header);
    for (int row = 1; row < elements.RowCount(); ++row)
      if (elements.Cell(lod + 2, row).empty()) elements.SetCell(lod + 2, row, "1");
    summary.SetCell(0, lod, IntToStr(lod));
    summary.SetCell(1, lod, distances.Cell(1, lod));
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
    if (distances.Cell(1, row).empty()) return row;
  return std::nullopt;
}

}  // namespace quarvel
