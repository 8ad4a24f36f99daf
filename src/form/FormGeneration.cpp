#include "form/Form.h"

namespace quarvel {

Outcome Form::Sub_ObjectsButtonClick() {
  SessionView view = RewritingView(&Sub_ObjectsButton);
  view.rewriting = [this](bool rewriting) {
    SMemo.visible = !rewriting;
    SOAnzLabel.visible = rewriting;
    SOAnzLabel1.visible = rewriting;
    if (rewriting) Sub_ObjectsButton.enabled = false;
  };
  view.generationCaption = [this](const std::string& text) { SOAnzLabel.caption = text; };
  view.generationContent = [this](const std::string& text) { SOAnzLabel1.caption = text; };
  return session.Generate(view);
}

}  // namespace quarvel
