#include "form/Form.h"

namespace quarvel {

void Form::ReadAnimations() {}
void Form::AnimResetButtonClick() {}
void Form::AnimButtonClick() {}

}  // namespace quarvel
