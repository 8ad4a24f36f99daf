#include "form/Form.h"

namespace quarvel {

Outcome Form::E_DruckenButtonClick() {
  return session.Print(printer(), system());
}

}  // namespace quarvel
