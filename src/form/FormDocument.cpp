#include "form/Form.h"

namespace quarvel {

bool Form::AskSaveChanges() { return true; }
void Form::OeffnenButtonClick() {}
void Form::OpenShape(const std::string&) {}
void Form::SpeichernButtonClick() {}
void Form::SpeichernUnterButtonClick() {}
void Form::UndoButtonClick() {}
bool Form::FormCloseQuery() { return AskSaveChanges(); }
void Form::Button1Click() { closeRequested = true; }

}  // namespace quarvel
