#include <algorithm>

#include "assignment/AutoSplit.h"
#include "assignment/ElementAssignment.h"
#include "common/Convert.h"
#include "form/Form.h"
#include "form/TableColumns.h"

namespace quarvel {

void Form::VertLimitSpinEditChange(int value) {
  VertexLimit = ClampVertexLimit(value);
  VertLimitSpinEdit.value = VertexLimit;
}

void Form::CountLargestSubobjects() {
  const int subobjects = summary.subobjects.Count();
  largestSubobject_.assign(static_cast<std::size_t>(LodCount) + 1, 0);
  for (int lod = 1; lod <= LodCount; ++lod) {
    const std::vector<int> counts =
        SubobjectVertexCounts(plan, PlannedElements(tables), shapeIndex, lod, subobjects);
    if (!counts.empty())
      largestSubobject_[static_cast<std::size_t>(lod)] =
          *std::max_element(counts.begin(), counts.end());
  }
}

CellEmphasis Form::Emphasis(const StringGrid& table, int col, int row) const {
  if (row < 1 || row >= table.RowCount()) return CellEmphasis::None;
  if (&table == &StringGrid2 && col == kVertexCountColumn) {
    const auto vertices = TryStrToInt(table.Cell(col, row));
    return vertices ? VertexCountEmphasis(*vertices, VertexLimit) : CellEmphasis::None;
  }
  // The whole row of a LOD with a sub-object above the limit.
  if (&table == &StringGrid5 && row <= LodCount &&
      static_cast<std::size_t>(row) < largestSubobject_.size())
    return VertexCountEmphasis(largestSubobject_[static_cast<std::size_t>(row)], VertexLimit);
  return CellEmphasis::None;
}

Outcome Form::AufteilenMenuItemClick() {
  if (shapeText.Empty()) return Outcome::Done();
  return AutoSplitLod(LODSpinEdit.value);
}

Outcome Form::AutoSplitLod(int lod) {
  if (lod < 1 || lod > LodCount) return Outcome::Unavailable("there is no LOD " + IntToStr(lod));
  AutoSplitPlan split;
  if (const Refusal refusal = PlanAutoSplit(tables, plan, shapeIndex, lod, VertexLimit, split))
    return Refuse(BoxKind::Warning, *refusal);
  if (split.overwritesEntries && !Confirmed(LangText(62))) return Outcome::Declined();
  ApplyAutoSplit(plan, split);
  RefreshAssignment();
  if (!split.oversized.empty())
    Message(BoxKind::Information, OversizedElementsReport(tables, split, VertexLimit), Buttons::Ok);
  return Outcome::Done();
}

}  // namespace quarvel
