#include <filesystem>
#include <system_error>

#include "common/Convert.h"
#include "common/Error.h"
#include "form/Form.h"
#include "form/TableColumns.h"
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

std::string Form::PlanText() const {
  IniFile file("");  // in memory only
  WritePlan(file, tables, plan, summary);
  return file.Text();
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
  WritePlan(file, tables, plan, summary);
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
  PointTolerance = ReadTolerance(file, "Points");
  DeltaPointsEdit.text = FloatToStr(PointTolerance);
  NormalTolerance = ReadTolerance(file, "Normals");
  DeltaNormalsEdit.text = FloatToStr(NormalTolerance);

  const int lodCount = ReadLodCount(file);
  if (lodCount > 0) {
    LodCount = lodCount;
    ReadDistances(file, lodCount, plan, summary);
    // The distance table shows as many LODs, numbered.
    StringGrid4.SetRowCount(lodCount + 1);
    for (int lod = 1; lod <= lodCount; ++lod)
      StringGrid4.SetCell(kLodNumberColumn, lod, IntToStr(lod));
    LODAnzSpinEdit.value = lodCount;
    LODAnzSpinEditExit();
  }

  ReadElementAssignment(file, LodCount, ElementCount(), plan, summary);
  RefreshAssignment();
  ReadSortMarks(file, LodCount, summary.subobjects.Count(), plan);
  ReadAnimationMarks(file, tables.matrices.Count(), plan);
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
