#include "assignment/ElementAssignment.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

#include "common/Convert.h"

namespace quarvel {

namespace {

int ClampToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

bool IsPlanNumber(int value) {
  return (value >= kEverySubobject && value <= kHighestSubobject) || value == kNotInLod;
}

// The value of an entry as the evaluation takes it: numbers above the
// highest sub-object other than "not in this LOD" only come from hand-edited
// settings files and would make the sub-object table grow without bound, so
// they stop the evaluation like any other unreadable entry.
std::optional<int> PlanValue(const SubobjectChoice& choice) {
  const auto value = choice.Value();
  if (value && *value > kHighestSubobject && *value != kNotInLod) return std::nullopt;
  return value;
}

void StopRefresh(PlanSummary& summary) {
  summary.subobjects.SetCount(1);
  summary.subobjects.Set(1, {});
}

}  // namespace

int PlannedElements(const ShapeTables& tables) {
  return std::clamp(tables.elements.Count(), 0, kShapeIndexSize);
}

int SubobjectVertexCount(const Plan& plan, int elements, ShapeIndex& index, int lod,
                         int subobject) {
  const int sets = std::clamp(index.VertexSetCount, 0, kShapeIndexSize);
  std::fill_n(index.VertexShift.begin(), sets, -1);

  const int rows = std::clamp(elements, 0, kShapeIndexSize);
  for (int row = 1; row <= rows; ++row) {
    if (!plan.Choice(row, lod).IsIn(subobject)) continue;
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

void RefreshAssignment(const ShapeTables& tables, const Plan& plan, PlanSummary& summary,
                       ShapeIndex& index, int shownLod) {
  // Row by row, so that each row's entries are read together and its faces
  // once. The outcome is that of going LOD by LOD: the LODs before the first
  // one with an unreadable entry get their faces, and the refresh stops there.
  const int rows = tables.elements.Count();
  const int lods = std::clamp(plan.lodCount, 0, kHighestLod);
  std::vector<long long> faces(static_cast<std::size_t>(lods) + 1, 0);
  int firstFailedLod = lods + 1;
  int highest = 1;
  for (int row = 1; row <= rows; ++row) {
    const std::optional<int> elementFaces = tables.elements[row].faces;
    for (int lod = 1; lod < firstFailedLod; ++lod) {
      const auto value = PlanValue(plan.Choice(row, lod));
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
    summary.lods.At(lod).faces = faces[static_cast<std::size_t>(lod)];
  if (firstFailedLod <= lods) return StopRefresh(summary);

  summary.subobjects.SetCount(highest);
  const int elements = PlannedElements(tables);
  for (int subobject = 1; subobject <= highest; ++subobject)
    summary.subobjects.Set(
        subobject, {subobject, SubobjectVertexCount(plan, elements, index, shownLod, subobject)});
}

bool IsAcceptedAssignmentEntry(std::string_view text) {
  if (text.empty()) return true;  // the user is about to type a new number
  return IsPlanNumber(TryStrToInt(text).value_or(-1));
}

bool IsAcceptedMark(std::string_view text) {
  return text.empty() || Mark::FromText(std::string(text)).IsSet();
}

bool IsAcceptedFillNumber(std::string_view text) {
  const auto value = TryStrToInt(text);
  return value && IsPlanNumber(*value);
}

void FillLod(Plan& plan, int elements, int lod, const SubobjectChoice& choice) {
  for (int row = 1; row <= elements; ++row) plan.SetChoice(row, lod, choice);
}

void CopyLod(Plan& plan, int elements, int fromLod, int toLod) {
  for (int row = 1; row <= elements; ++row) plan.SetChoice(row, toLod, plan.Choice(row, fromLod));
}

void ShiftAssignmentDown(Plan& plan, int elements, int focusedRow, int lodCount) {
  if (focusedRow < 1 || focusedRow > elements) return;
  for (int lod = 1; lod <= lodCount; ++lod) {
    for (int row = elements; row > focusedRow; --row)
      plan.SetChoice(row, lod, plan.Choice(row - 1, lod));
    plan.SetChoice(focusedRow, lod, {});
  }
}

void ShiftAssignmentUp(Plan& plan, int elements, int focusedRow, int lodCount) {
  if (focusedRow < 1 || focusedRow > elements) return;
  for (int lod = 1; lod <= lodCount; ++lod) {
    for (int row = focusedRow + 1; row <= elements; ++row)
      plan.SetChoice(row - 1, lod, plan.Choice(row, lod));
    plan.SetChoice(elements, lod, {});
  }
}

void ResetAssignment(Plan& plan, PlanSummary& summary, int elements, int lodCount) {
  summary.subobjects.At(1).number = 1;
  const int markRows = std::max(summary.subobjects.Count(), kHighestSubobject);
  for (int lod = 1; lod <= kHighestLod; ++lod)
    for (int row = 1; row <= markRows; ++row) plan.SetSortMark(lod, row, {});

  const SubobjectChoice first(1);
  for (int row = 1; row <= elements; ++row)
    for (int lod = 1; lod <= kHighestLod; ++lod)
      plan.SetChoice(row, lod, lod <= lodCount ? first : SubobjectChoice{});
}

}  // namespace quarvel
