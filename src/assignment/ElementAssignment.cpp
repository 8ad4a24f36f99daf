#include "assignment/ElementAssignment.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <optional>
#include <vector>

#include "common/Convert.h"

namespace quarvel {

namespace {

// Element rows the index has room for; the analysis never makes more.
int ElementRows(const StringGrid& elementTable) {
  return std::clamp(elementTable.RowCount() - 1, 0, kShapeIndexSize);
}

int ClampToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// The plain decimal text of `value` without touching the heap: membership is
// tested for every element and every sub-object at every refresh.
class DecimalText {
 public:
  explicit DecimalText(int value) {
    const auto result = std::to_chars(buffer_, buffer_ + sizeof buffer_, value);
    length_ = static_cast<std::size_t>(result.ptr - buffer_);
  }
  std::string_view view() const { return {buffer_, length_}; }

 private:
  char buffer_[16];
  std::size_t length_ = 0;
};

bool IsMember(std::string_view cell, std::string_view subobject) {
  return cell == "0" || cell == subobject;
}

// The value of an assignment cell as the evaluation takes it: numbers above
// the highest sub-object other than "not in this LOD" only come from hand-
// edited settings files and would make the sub-object table grow without
// bound, so they stop the evaluation like any other unreadable cell.
std::optional<int> PlanValue(std::string_view cell) {
  const auto value = TryStrToInt(cell);
  if (value && *value > kHighestSubobject && *value != kNotInLod) return std::nullopt;
  return value;
}

void StopRefresh(StringGrid& subobjects) {
  subobjects.SetRowCount(2);
  subobjects.SetCell(kSubobjectNumberColumn, 1, "");
  subobjects.SetCell(kVertexCountColumn, 1, "");
}

}  // namespace

bool InSubobject(const StringGrid& elementTable, int row, int lod, int subobject) {
  return IsMember(elementTable.Cell(AssignmentColumn(lod), row), DecimalText(subobject).view());
}

int SubobjectVertexCount(const StringGrid& elementTable, ShapeIndex& index, int lod,
                         int subobject) {
  const int sets = std::clamp(index.VertexSetCount, 0, kShapeIndexSize);
  std::fill_n(index.VertexShift.begin(), sets, -1);

  const DecimalText number(subobject);
  const int column = AssignmentColumn(lod);
  const int rows = ElementRows(elementTable);
  for (int row = 1; row <= rows; ++row) {
    if (!IsMember(elementTable.Cell(column, row), number.view())) continue;
    const int set = index.ElementVtxStates[static_cast<std::size_t>(row - 1)];
    if (set >= 0 && set < kShapeIndexSize) index.VertexShift[static_cast<std::size_t>(set)] = 0;
  }

  long long removed = 0;
  long long vertices = 0;
  for (int set = 0; set < sets; ++set) {
    int& shift = index.VertexShift[static_cast<std::size_t>(set)];
    const int count = index.VertexSets[static_cast<std::size_t>(set)].vertexCount;
    if (shift == -1) {
      removed += count;
      continue;
    }
    shift = ClampToInt(removed);
    if (shift >= 0) vertices += count;
  }
  return ClampToInt(vertices);
}

void RefreshAssignment(const AssignmentTables& tables, ShapeIndex& index, int lodCount,
                       int shownLod) {
  // Row by row, so that each row's cells are read together and its faces
  // once. The outcome is that of going LOD by LOD: the LODs before the first
  // one with an unreadable cell get their faces, and the refresh stops there.
  const int rows = tables.elements.RowCount() - 1;
  const int lods = std::clamp(lodCount, 0, kHighestLod);
  std::vector<long long> faces(static_cast<std::size_t>(lods) + 1, 0);
  int firstFailedLod = lods + 1;
  int highest = 1;
  for (int row = 1; row <= rows; ++row) {
    const auto elementFaces = TryStrToInt(tables.elements.Cell(kFacesColumn, row));
    for (int lod = 1; lod < firstFailedLod; ++lod) {
      const auto value = PlanValue(tables.elements.Cell(AssignmentColumn(lod), row));
      if (value && *value == kNotInLod) continue;
      if (!value || !elementFaces) {
        firstFailedLod = lod;
        break;
      }
      faces[static_cast<std::size_t>(lod)] += *elementFaces;
      highest = std::max(highest, *value);
    }
  }
  for (int lod = 1; lod < firstFailedLod; ++lod)
    tables.lodSummary.SetCell(kSummaryFacesColumn, lod,
                              IntToStr(faces[static_cast<std::size_t>(lod)]));
  if (firstFailedLod <= lods) return StopRefresh(tables.subobjects);

  tables.subobjects.SetRowCount(highest + 1);
  for (int subobject = 1; subobject <= highest; ++subobject) {
    tables.subobjects.SetCell(kSubobjectNumberColumn, subobject, IntToStr(subobject));
    tables.subobjects.SetCell(
        kVertexCountColumn, subobject,
        IntToStr(SubobjectVertexCount(tables.elements, index, shownLod, subobject)));
  }
}

bool IsAcceptedAssignmentEntry(std::string_view text) {
  if (text.empty()) return true;  // the user is about to type a new number
  const int value = TryStrToInt(text).value_or(-1);
  return (value >= kEverySubobject && value <= kHighestSubobject) || value == kNotInLod;
}

bool IsAcceptedMark(std::string_view text) {
  return text.empty() || IsMark(text);
}

bool IsAcceptedFillNumber(std::string_view text) {
  const auto value = TryStrToInt(text);
  return value &&
         ((*value >= kEverySubobject && *value <= kHighestSubobject) || *value == kNotInLod);
}

void FillLodColumn(StringGrid& elementTable, int lod, const std::string& text) {
  const int rows = elementTable.RowCount() - 1;
  for (int row = 1; row <= rows; ++row) elementTable.SetCell(AssignmentColumn(lod), row, text);
}

void CopyLodColumn(StringGrid& elementTable, int fromLod, int toLod) {
  const int rows = elementTable.RowCount() - 1;
  for (int row = 1; row <= rows; ++row)
    elementTable.SetCell(AssignmentColumn(toLod), row,
                         elementTable.Cell(AssignmentColumn(fromLod), row));
}

void ShiftAssignmentDown(StringGrid& elementTable, int focusedRow, int lodCount) {
  const int last = elementTable.RowCount() - 1;
  if (focusedRow < 1 || focusedRow > last) return;
  for (int lod = 1; lod <= lodCount; ++lod) {
    const int column = AssignmentColumn(lod);
    for (int row = last; row > focusedRow; --row)
      elementTable.SetCell(column, row, elementTable.Cell(column, row - 1));
    elementTable.SetCell(column, focusedRow, "");
  }
}

void ShiftAssignmentUp(StringGrid& elementTable, int focusedRow, int lodCount) {
  const int last = elementTable.RowCount() - 1;
  if (focusedRow < 1 || focusedRow > last) return;
  for (int lod = 1; lod <= lodCount; ++lod) {
    const int column = AssignmentColumn(lod);
    for (int row = focusedRow + 1; row <= last; ++row)
      elementTable.SetCell(column, row - 1, elementTable.Cell(column, row));
    elementTable.SetCell(column, last, "");
  }
}

void ResetAssignment(StringGrid& elementTable, StringGrid& subobjectTable, int lodCount) {
  subobjectTable.SetCell(kSubobjectNumberColumn, 1, "1");
  const int markRows = std::max(subobjectTable.RowCount() - 1, kHighestSubobject);
  for (int lod = 1; lod <= kHighestLod; ++lod)
    for (int row = 1; row <= markRows; ++row) subobjectTable.SetCell(SortMarkColumn(lod), row, "");

  const int rows = elementTable.RowCount() - 1;
  for (int row = 1; row <= rows; ++row)
    for (int lod = 1; lod <= kHighestLod; ++lod)
      elementTable.SetCell(AssignmentColumn(lod), row, lod <= lodCount ? "1" : "");
}

}  // namespace quarvel
