#include "common/Convert.h"
#include "common/Error.h"
#include "form/Form.h"
#include "form/TableColumns.h"

namespace quarvel {

void Form::SaveSettings() {
  session.SaveSettings();
}

void Form::LoadSettings() {
  session.LoadSettings(ShownSettings());
}

SettingsView Form::ShownSettings() {
  SettingsView view;
  view.lodCountShown = [this](int lods) {
    // The distance table shows as many LODs, numbered.
    StringGrid4.SetRowCount(lods + 1);
    for (int lod = 1; lod <= lods; ++lod) StringGrid4.SetCell(kLodNumberColumn, lod, IntToStr(lod));
    LODAnzSpinEdit.value = lods;
    LODAnzSpinEditExit();
  };
  view.loaded = [this] {
    DeltaPointsEdit.text = FloatToStr(session.plan.pointTolerance);
    DeltaNormalsEdit.text = FloatToStr(session.plan.normalTolerance);
  };
  return view;
}

Outcome Form::E_SpeichernButtonClick() {
  if (session.path.empty())
    return session.Refuse(BoxKind::Information, LangText(Text::NoShapeToSaveFor));
  if (!session.Confirmed(LangText(Text::AskOverwriteStored))) return Outcome::Declined();
  SaveSettings();
  return Outcome::Done();
}

Outcome Form::E_LadenButtonClick() {
  if (session.path.empty())
    return session.Refuse(BoxKind::Information, LangText(Text::NoShapeToLoadFor));
  if (!session.Confirmed(LangText(Text::AskOverwriteHere))) return Outcome::Declined();
  LoadSettings();
  return Outcome::Done();
}

}  // namespace quarvel
