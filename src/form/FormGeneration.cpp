#include "form/Form.h"

namespace quarvel {

void Form::Sub_ObjectsButtonClick() {}

}  // namespace quarvel
