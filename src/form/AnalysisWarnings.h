#pragma once
#include "form/Form.h"

namespace quarvel {

// The generation's button goes at the analysis's first warning, even when
// the analysis then fails.
class DisableGenerationAfterWarning {
 public:
  explicit DisableGenerationAfterWarning(Form& form)
      : form_(form), warnings_(form.session.analysisWarnings) {}
  ~DisableGenerationAfterWarning() {
    if (form_.session.analysisWarnings != warnings_) form_.Sub_ObjectsButton.enabled = false;
  }
  DisableGenerationAfterWarning(const DisableGenerationAfterWarning&) = delete;
  DisableGenerationAfterWarning& operator=(const DisableGenerationAfterWarning&) = delete;

 private:
  Form& form_;
  int warnings_;
};

}  // namespace quarvel
