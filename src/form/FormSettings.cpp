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

namespace {

void WritePlan(IniFile& file, const Form& form) {
  WriteTolerances(file, form.PointTolerance, form.NormalTolerance);
  WriteAssignment(file, form.LodCount, form.StringGrid1, form.StringGrid2);
  WriteAnimationMarks(file, form.StringGrid3);
  WriteLodSetup(file, form.LodCount, form.StringGrid4);
}

}  // namespace

std::string Form::PlanText() const {
  IniFile plan("");  // in memory only
  WritePlan(plan, *this);
  return plan.Text();
}

bool Form::PlanChanged() const {
  return !CurrentFileName.empty() && PlanText() != savedPlan_;
}

void Form::SaveSettings() {
  if (CurrentFileName.empty()) return;
  // A shape named like its own settings file ("x.Quarvel") would be
  // replaced by them right after it was saved.
  const std::optional<FileIdentity> shape = IdentityOf(CurrentFileName);
  if (shape && shape == IdentityOf(SettingsFilePath())) throw WriteError(SettingsFilePath());
  IniFile file(SettingsFilePath());
  WritePlan(file, *this);
  // One write at the end: a failure leaves the previous file as it was.
  file.Flush();
  TakePlanAsSaved();
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
  TakePlanAsSaved();
}

Outcome Form::E_SpeichernButtonClick() {
  if (CurrentFileName.empty()) return Refuse(BoxKind::Information, kNoShapeToSaveFor);
  if (!Confirmed(kAskOverwriteStoredSettings)) return Outcome::Declined();
  SaveSettings();
  return Outcome::Done();
}

Outcome Form::E_LadenButtonClick() {
  if (CurrentFileName.empty()) return Refuse(BoxKind::Information, kNoShapeToLoadFor);
  if (!Confirmed(kAskOverwriteCurrentSettings)) return Outcome::Declined();
  LoadSettings();
  return Outcome::Done();
}

}  // namespace quarvel
