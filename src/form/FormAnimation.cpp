#include "form/Form.h"
#include "generation/AnimationCleanup.h"

namespace quarvel {

void Form::ReadAnimations() {
  ReadAnimationMarks(shapeText, StringGrid3);
}

void Form::AnimResetButtonClick() {
  if (Message(BoxKind::Confirmation, LangText(62), Buttons::YesNo) != Answer::Yes) return;
  ReadAnimations();
}

void Form::AnimButtonClick() {
  if (shapeText.Empty()) return;
  AnimationCleanupResult result;
  {
    BusyCursor busy(dialogs());
    result = DeleteUnmarkedAnimations(shapeText, StringGrid3);
  }
  if (!result.sectionFound) return;
  if (result.error) {
    Message(BoxKind::Error, *result.error, Buttons::Ok);
    return;
  }
  ShowLineCount();
}

}  // namespace quarvel
