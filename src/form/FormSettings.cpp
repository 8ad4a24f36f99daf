#include "form/Form.h"

namespace quarvel {

std::string Form::SettingsFilePath() const { return ""; }
void Form::SaveSettings() {}
void Form::LoadSettings() {}
void Form::E_SpeichernButtonClick() {}
void Form::E_LadenButtonClick() {}

}  // namespace quarvel
