#include <string>
#include <vector>

#include "cleanup/Cleanup.h"
#include "common/Convert.h"
#include "form/Form.h"

namespace quarvel {

namespace {

constexpr const char* kToleranceWarning =
    "Bitte positive Zahl eintragen, Dezimaltrennzeichen wie im Betriebssystem eingestellt.";

// While a merge reads and writes shape numbers, the separator is "."; on
// every way out it comes back and Label2 shows the line count of the text
// the command leaves.
class DotWhileMerging {
 public:
  explicit DotWhileMerging(Form& form) : form_(form), saved_(DecimalSeparator()) {
    SetDecimalSeparator('.');
  }
  ~DotWhileMerging() {
    SetDecimalSeparator(saved_);
    form_.ShowLineCount();
  }
  DotWhileMerging(const DotWhileMerging&) = delete;
  DotWhileMerging& operator=(const DotWhileMerging&) = delete;

 private:
  Form& form_;
  char saved_;
};

// A negative tolerance is kept, so that it merges nothing, but the user is
// told and sent back to the entry.
void EnterTolerance(Form& form, const Edit& edit, long double& tolerance, FocusRequest back) {
  const auto value = TryStrToFloat(edit.text);
  if (value) tolerance = *value;
  if (value && *value >= 0) return;
  form.focusRequest = back;
  form.Message(BoxKind::Error, kToleranceWarning, Buttons::Ok);
}

}  // namespace

Outcome Form::PunkteButtonClick() {
  return MergeSectionCommand(MergeKind::Points);
}

Outcome Form::NormalenButtonClick() {
  return MergeSectionCommand(MergeKind::Normals);
}

Outcome Form::MergeSectionCommand(MergeKind kind) {
  if (shapeText.Empty()) return Outcome::Done();
  BusyCursor busy(dialogs());
  const std::optional<std::size_t> header = FindMergeHeader(shapeText, kind);
  if (!header) return Outcome::Done();
  const MergeSection section = ReadMergeSection(shapeText, kind, *header);

  const bool points = kind == MergeKind::Points;
  const long double tolerance = points ? PointTolerance : NormalTolerance;
  const DotWhileMerging dot(*this);
  ReadMergeEntries(shapeText, section, mergeTable);
  const auto count = static_cast<std::size_t>(section.count > 0 ? section.count : 0);
  const int kept = PlanMerge(mergeTable, count, tolerance, kind);
  const long long merged = static_cast<long long>(section.count) - kept;
  // Nothing to merge is news, not a failure.
  if (merged == 0) {
    Message(BoxKind::Information, LangText(points ? 65 : 67), Buttons::Ok);
    return Outcome::Done();
  }
  const std::string question = IntToStr(merged) + " " + LangText(points ? 63 : 66) + " " +
                               FloatToStr(tolerance) + ". " + LangText(64);
  if (!Confirmed(question)) return Outcome::Declined();

  SMemo.visible = false;
  (points ? PunkteButton : NormalenButton).enabled = false;
  const bool wasModified = shapeText.Modified();
  std::vector<std::string> sourceLines = shapeText.Take();
  try {
    RebuildMergedSection(sourceLines, section, kept, mergeTable);
  } catch (...) {
    // The rebuild leaves the lines as they were: the text comes back whole,
    // and a text that was saved does not ask to be saved again.
    shapeText.Assign(std::move(sourceLines));
    if (!wasModified) shapeText.SetModified(false);
    SMemo.visible = true;
    throw;
  }
  shapeText.Assign(std::move(sourceLines));
  SMemo.visible = true;
  return Outcome::Done();
}

Outcome Form::MatButtonClick() {
  if (shapeText.Empty()) return Outcome::Done();
  BusyCursor busy(dialogs());
  // Even a run stopped by bad flags has lowered some of them already; a
  // second run would lower those twice.
  struct DisableAtEnd {
    Button& button;
    ~DisableAtEnd() { button.enabled = false; }
  } disable{MatButton};
  CorrectMaterials(shapeText, tables, ElementCount(), shapeIndex);
  return Outcome::Done();
}

void Form::DeltaPointsEditExit() {
  EnterTolerance(*this, DeltaPointsEdit, PointTolerance, FocusRequest::DeltaPointsEdit);
}

void Form::DeltaNormalsEditExit() {
  EnterTolerance(*this, DeltaNormalsEdit, NormalTolerance, FocusRequest::DeltaNormalsEdit);
}

}  // namespace quarvel
