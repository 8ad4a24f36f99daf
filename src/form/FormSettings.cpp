#include "common/Convert.h"
#include "common/Error.h"
#include "form/Form.h"
#include "form/TableColumns.h"

namespace quarvel {

namespace {

// Without an open shape the settings path would be a bare ".Quarvel" in
// whatever folder the program runs from, shared by no shape at all.
constexpr const char* kNoShapeToSaveFor =
    "Es ist keine Shape-Datei geöffnet. Einstellungen können nur für eine geöffnete Datei "
    "gespeichert werden.";
constexpr const char* kNoShapeToLoadFor =
    "Es ist keine Shape-Datei geöffnet. Einstellungen können nur für eine geöffnete Datei geladen "
    "werden.";
constexpr const char* kAskOverwriteStoredSettings =
    "Evtl. vorher gespeicherte Einstellungen werden ohne Rückfrage überschrieben. Das gilt auch "
    "für die Einstellungen, die beim letzten Speichern der Datei mitgespeichert wurden. Sind Sie "
    "sicher?";
constexpr const char* kAskOverwriteCurrentSettings =
    "Evtl. hier getätigte Einstellungen werden ohne Rückfrage überschrieben. Sind Sie sicher?";

}  // namespace

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
  if (session.path.empty()) return session.Refuse(BoxKind::Information, kNoShapeToSaveFor);
  if (!session.Confirmed(kAskOverwriteStoredSettings)) return Outcome::Declined();
  SaveSettings();
  return Outcome::Done();
}

Outcome Form::E_LadenButtonClick() {
  if (session.path.empty()) return session.Refuse(BoxKind::Information, kNoShapeToLoadFor);
  if (!session.Confirmed(kAskOverwriteCurrentSettings)) return Outcome::Declined();
  LoadSettings();
  return Outcome::Done();
}

}  // namespace quarvel
