#include <string>
#include <vector>

#include "cleanup/MergeTable.h"
#include "common/Convert.h"
#include "form/Form.h"

namespace quarvel {

namespace {

// A negative tolerance is kept, so that it merges nothing, but the user is
// told and sent back to the entry.
void EnterTolerance(Form& form, const Edit& edit, long double& tolerance, FocusRequest back) {
  const auto value = TryStrToFloatEitherSeparator(edit.text);
  if (value) tolerance = *value;
  if (value && *value >= 0) return;
  form.focusRequest = back;
  form.session.Message(BoxKind::Error, form.LangText(Text::PositiveTolerance), Buttons::Ok);
}

}  // namespace

Outcome Form::PunkteButtonClick() {
  return session.Merge(MergeKind::Points, RewritingView(&PunkteButton));
}

Outcome Form::NormalenButtonClick() {
  return session.Merge(MergeKind::Normals, RewritingView(&NormalenButton));
}

Outcome Form::MatButtonClick() {
  if (session.text.Empty()) return Outcome::Done();
  // Even a run stopped by bad flags has lowered some of them already: the
  // button goes whichever way the run ends.
  struct DisableWhenSpent {
    Form& form;
    ~DisableWhenSpent() {
      if (!form.session.Available(Operation::FixMaterials)) form.MatButton.enabled = false;
    }
  } disable{*this};
  return session.FixMaterials();
}

void Form::DeltaPointsEditExit() {
  EnterTolerance(*this, DeltaPointsEdit, session.plan.pointTolerance,
                 FocusRequest::DeltaPointsEdit);
}

void Form::DeltaNormalsEditExit() {
  EnterTolerance(*this, DeltaNormalsEdit, session.plan.normalTolerance,
                 FocusRequest::DeltaNormalsEdit);
}

}  // namespace quarvel
