#include "form/Form.h"
#include "generation/AnimationCleanup.h"

namespace quarvel {

void Form::ReadAnimations() {
  ReadAnimationMarks(shapeText, tables, plan);
}

Outcome Form::AnimResetButtonClick() {
  if (!Confirmed(LangText(62))) return Outcome::Declined();
  ReadAnimations();
  return Outcome::Done();
}

Outcome Form::AnimButtonClick() {
  if (shapeText.Empty()) return Outcome::Done();
  AnimationCleanupResult result;
  {
    BusyCursor busy(dialogs());
    result = DeleteUnmarkedAnimations(shapeText, tables, plan);
  }
  if (!result.sectionFound) return Outcome::Done();
  if (result.refusal) return Refuse(BoxKind::Error, *result.refusal);
  ShowLineCount();
  return Outcome::Done();
}

}  // namespace quarvel
