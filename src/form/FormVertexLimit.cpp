#include <algorithm>

#include "assignment/AutoSplit.h"
#include "assignment/ElementAssignment.h"
#include "common/Convert.h"
#include "form/Form.h"
#include "form/TableColumns.h"

namespace quarvel {

void Form::VertLimitSpinEditChange(int value) {
  session.vertexLimit = ClampVertexLimit(value);
  ShowVertexLimit();
}

void Form::VertLimitSpinEditExit(const std::string& typed) {
  const std::optional<int> value = TryStrToInt(typed);
  if (value && *value >= VertLimitSpinEdit.minValue && *value <= VertLimitSpinEdit.maxValue)
    return VertLimitSpinEditChange(*value);
  session.Message(BoxKind::Warning,
                  WithValues(LangText(Text::WholeNumbersFromTo),
                             {{"min", IntToStr(VertLimitSpinEdit.minValue)},
                              {"max", IntToStr(VertLimitSpinEdit.maxValue)}}),
                  Buttons::Ok);
  ShowVertexLimit();  // the box keeps the limit it had
}

void Form::ShowVertexLimit() {
  VertLimitSpinEdit.value = session.vertexLimit;
  // The hint under the sub-object table names the limit in force.
  Label9.caption =
      WithValue(LangText(Text::VertexLimitHint), "limit", IntToStr(session.vertexLimit));
}

CellEmphasis Form::Emphasis(const StringGrid& table, int col, int row) const {
  if (row < 1 || row >= table.RowCount()) return CellEmphasis::None;
  if (&table == &StringGrid2 && col == kVertexCountColumn) {
    const auto vertices = TryStrToInt(table.Cell(col, row));
    return vertices ? VertexCountEmphasis(*vertices, session.vertexLimit) : CellEmphasis::None;
  }
  // The whole row of a LOD with a sub-object above the limit.
  if (&table == &StringGrid5 && row <= session.plan.lodCount)
    return VertexCountEmphasis(session.LargestSubobject(row), session.vertexLimit);
  return CellEmphasis::None;
}

Outcome Form::AufteilenMenuItemClick() {
  if (session.text.Empty()) return Outcome::Done();
  return session.AutoSplit(LODSpinEdit.value);
}

}  // namespace quarvel
