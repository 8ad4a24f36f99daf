#include <filesystem>
#include <system_error>

#include "common/Convert.h"
#include "common/Error.h"
#include "form/Form.h"
#include "settings/SettingsFile.h"

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

std::string Form::SettingsFilePath() const {
  return SettingsPathFor(CurrentFileName);
}

void Form::SaveSettings() {
  if (CurrentFileName.empty()) return;
  // A shape named like its own settings file ("x.Quarvel") would be
  // replaced by them right after it was saved.
  const std::optional<FileIdentity> shape = IdentityOf(CurrentFileName);
  if (shape && shape == IdentityOf(SettingsFilePath())) throw WriteError(SettingsFilePath());
  IniFile file(SettingsFilePath());
  WriteTolerances(file, PointTolerance, NormalTolerance);
  WriteAssignment(file, LodCount, StringGrid1, StringGrid2);
  WriteAnimationMarks(file, StringGrid3);
  WriteLodSetup(file, LodCount, StringGrid4);
  // One write at the end: a failure leaves the previous file as it was.
  file.Flush();
}

void Form::LoadSettings() {
  if (CurrentFileName.empty()) return;
  const std::string path = settingsFileOverride.empty() ? SettingsFilePath() : settingsFileOverride;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return;
  const IniFile file(path);
  if (!file.ExistedOnDisk()) return;
  const SettingsTables tables{StringGrid1, StringGrid2, StringGrid3, StringGrid4, StringGrid5};

  PointTolerance = ReadTolerance(file, "Points");
  DeltaPointsEdit.text = FloatToStr(PointTolerance);
  NormalTolerance = ReadTolerance(file, "Normals");
  DeltaNormalsEdit.text = FloatToStr(NormalTolerance);

  const int lodCount = ReadLodCount(file);
  if (lodCount > 0) {
    LodCount = lodCount;
    ReadDistances(file, lodCount, tables);
    LODAnzSpinEdit.value = lodCount;
    LODAnzSpinEditExit();
  }

  ReadElementAssignment(file, LodCount, tables);
  RefreshAssignment();
  ReadSortMarks(file, LodCount, tables);
  ReadAnimationMarks(file, tables);
}

void Form::E_SpeichernButtonClick() {
  if (CurrentFileName.empty()) {
    Message(BoxKind::Information, kNoShapeToSaveFor, Buttons::Ok);
    return;
  }
  if (Message(BoxKind::Confirmation, kAskOverwriteStoredSettings, Buttons::YesNo) != Answer::Yes)
    return;
  SaveSettings();
}

void Form::E_LadenButtonClick() {
  if (CurrentFileName.empty()) {
    Message(BoxKind::Information, kNoShapeToLoadFor, Buttons::Ok);
    return;
  }
  if (Message(BoxKind::Confirmation, kAskOverwriteCurrentSettings, Buttons::YesNo) != Answer::Yes)
    return;
  LoadSettings();
}

}  // namespace quarvel
