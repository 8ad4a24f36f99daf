#include "form/Form.h"

namespace quarvel {

void Form::ReadAnimations() {
  session.ReadAnimationMarks();
}

Outcome Form::AnimResetButtonClick() {
  if (!session.Confirmed(LangText(Text::OverwriteEntries))) return Outcome::Declined();
  ReadAnimations();
  return Outcome::Done();
}

Outcome Form::AnimButtonClick() {
  return session.DeleteAnimations(RewritingView(nullptr));
}

}  // namespace quarvel
