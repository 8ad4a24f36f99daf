#include <algorithm>

#include "assignment/ElementAssignment.h"
#include "common/Convert.h"
#include "form/AnalysisWarnings.h"
#include "form/Form.h"
#include "form/TableColumns.h"

namespace quarvel {

void Form::AnalyseShape() {
  const DisableGenerationAfterWarning disable(*this);
  session.Analyse();
}

void Form::RefreshAssignment() {
  session.Refresh();
}

void Form::DefaultAssignment() {
  session.DefaultPlan();
}

bool Form::StringGrid1SelectCell(int col, int row) {
  const bool selectable = col > kFacesColumn;
  if (selectable) StringGrid1.SetCurrent(col, row);
  RefreshAssignment();
  return selectable;
}

void Form::StringGrid1SetEditText(int col, int row, const std::string& text) {
  // Name, image and faces belong to the analysis; only the plan is typed.
  if (col <= kFacesColumn || row < 1) return;
  StringGrid1.SetCell(col, row, text);
  if (IsAcceptedAssignmentEntry(text)) return;
  session.Message(BoxKind::Warning, LangText(Text::EntryWholeNumbers), Buttons::Ok);
  StringGrid1.SetCell(col, row, "");
}

void Form::StringGrid1Exit() {
  RefreshAssignment();
}

bool Form::StringGrid2SelectCell(StringGrid& sender, int col, int row) {
  // The marks: sort marks in the sub-object table, animation marks in the
  // matrix table; both tables hold them from column 2 on.
  static_assert(SortMarkColumn(1) == kAnimationMarkColumn);
  const bool selectable = col >= kAnimationMarkColumn;
  if (selectable) sender.SetCurrent(col, row);
  return selectable;
}

void Form::StringGrid2SetEditText(StringGrid& sender, int col, int row, const std::string& text) {
  // Numbers, vertex counts, names and faces are the program's own.
  if (col < kAnimationMarkColumn || row < 1) return;
  sender.SetCell(col, row, text);
  if (IsAcceptedMark(text)) return;
  session.Message(BoxKind::Warning, LangText(Text::EntryMark), Buttons::Ok);
  sender.SetCell(col, row, "");
}

void Form::LODSpinEditChange(int value) {
  // A spin box never goes below 1; the element columns start behind "Faces".
  const int n = std::clamp(value, 1, kHighestLod);
  LODSpinEdit.value = n;
  RefreshAssignment();
  StringGrid2.SetCell(kVertexCountColumn, 0, "Vert. L " + IntToStr(n));
  Label21.caption = LangText(Text::AllElements) + " L " + IntToStr(n) + " =";
  if (n < 2) {
    Label22.caption.clear();
    DoButton1.enabled = false;
  } else {
    Label22.caption = "L " + IntToStr(n - 1) + " -> L " + IntToStr(n) + ":";
    DoButton1.enabled = true;
  }
}

Outcome Form::DoButtonClick() {
  if (!session.Confirmed(LangText(Text::OverwriteEntries))) return Outcome::Declined();
  if (!IsAcceptedFillNumber(NrEdit.text))
    return session.Refuse(BoxKind::Warning, LangText(Text::FillNumber));
  FillLod(session.plan, session.Elements(), LODSpinEdit.value,
          SubobjectChoice::FromText(NrEdit.text));
  RefreshAssignment();
  return Outcome::Done();
}

Outcome Form::DoButton1Click() {
  const int n = LODSpinEdit.value;
  if (n < 2) return Outcome::Done();  // there is no previous LOD to copy from
  if (!session.Confirmed(LangText(Text::OverwriteEntries))) return Outcome::Declined();
  CopyLod(session.plan, session.Elements(), n - 1, n);
  RefreshAssignment();
  return Outcome::Done();
}

Outcome Form::ZeilePlusButtonClick() {
  if (!session.Confirmed(LangText(Text::AskShiftDown))) return Outcome::Declined();
  ShiftAssignmentDown(session.plan, session.Elements(), StringGrid1.Row(), LODAnzSpinEdit.value);
  RefreshAssignment();
  return Outcome::Done();
}

Outcome Form::ZeileMinusButtonClick() {
  if (!session.Confirmed(LangText(Text::AskShiftUp))) return Outcome::Declined();
  ShiftAssignmentUp(session.plan, session.Elements(), StringGrid1.Row(), LODAnzSpinEdit.value);
  RefreshAssignment();
  return Outcome::Done();
}

Outcome Form::GrundButtonClick() {
  if (!session.Confirmed(LangText(Text::AskOverwriteHere))) return Outcome::Declined();
  DefaultAssignment();
  return Outcome::Done();
}

}  // namespace quarvel
