// The settings file beside a shape: what it keeps, what comes back, and what
// older or hand-edited files give.
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/Convert.h"
#include "support/FileSystem.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

const char* const kAskSave =
    "Evtl. vorher gespeicherte Einstellungen werden ohne Rückfrage überschrieben. Das gilt auch "
    "für die Einstellungen, die beim letzten Speichern der Datei mitgespeichert wurden. Sind Sie "
    "sicher?";
const char* const kAskLoad =
    "Evtl. hier getätigte Einstellungen werden ohne Rückfrage überschrieben. Sind Sie sicher?";

// The form as analysis and default assignment leave it for a shape "loco.s":
// every element in sub-object 1 of every LOD, distances 2000.
void SetUpPlan(FormFixture& f, int lods, int elements, int matrices) {
  Form& form = f.form;
  form.session.path = f.dir.File("loco.s");
  form.session.plan.lodCount = lods;
  form.LODAnzSpinEdit.value = lods;
  form.session.tables = ShapeTables{};
  form.session.plan = Plan{};
  form.session.plan.lodCount = lods;
  form.session.summary = PlanSummary{};
  form.StringGrid1.SetColCount(lods + 3);
  form.session.tables.elements.SetCount(elements);
  for (int r = 1; r <= elements; ++r) {
    form.session.tables.elements.At(r) = {"E" + IntToStr(r), "", 10};
    for (int lod = 1; lod <= lods; ++lod) form.session.plan.SetChoice(r, lod, SubobjectChoice(1));
  }
  form.StringGrid2.SetColCount(lods + 2);
  form.session.summary.subobjects.SetCount(1);
  form.session.summary.subobjects.At(1).number = 1;
  form.session.tables.matrices.SetCount(matrices);
  for (int r = 1; r <= matrices; ++r) form.session.tables.matrices.At(r).name = "M" + IntToStr(r);
  form.StringGrid4.SetRowCount(lods + 1);
  form.session.summary.lods.SetCount(lods);
  for (int lod = 1; lod <= lods; ++lod) {
    form.StringGrid4.SetCell(0, lod, IntToStr(lod));
    form.session.plan.distances.Set(lod, "2000");
  }
}

std::string SettingsPath(FormFixture& f) {
  return f.dir.File("loco.Quarvel");
}

void Save(FormFixture& f) {
  f.dialogs.Answer(Answer::Yes);
  ASSERT_TRUE(f.form.Run([&] { f.form.E_SpeichernButtonClick(); }));
}

void Load(FormFixture& f) {
  f.dialogs.Answer(Answer::Yes);
  ASSERT_TRUE(f.form.Run([&] { f.form.E_LadenButtonClick(); }));
}

std::string Column(const StringGrid& grid, int col) {
  std::string cells;
  for (int r = 1; r < grid.RowCount(); ++r) cells += (r > 1 ? "," : "") + grid.Cell(col, r);
  return cells;
}

TEST(SettingsFile, PlanTolerancesAndLodSetUpComeBack) {
  EXPECT_EQ(SettingsPathFor("models.v2/loco.v2.s"), "models.v2/loco.v2.Quarvel");
  EXPECT_EQ(SettingsPathFor("models.v2/loco"), "models.v2/loco.Quarvel");

  FormFixture f;
  SetUpPlan(f, 2, 3, 1);
  Form& form = f.form;
  form.session.plan.pointTolerance = 0.001L;
  form.session.plan.normalTolerance = 0.25L;
  form.StringGrid1.SetCell(3, 2, "2");
  form.StringGrid1.SetCell(4, 1, "999");
  form.StringGrid1.SetCell(4, 3, "0");
  form.StringGrid2.SetRowCount(3);
  form.StringGrid2.SetCell(2, 2, "x");
  form.StringGrid2.SetCell(3, 1, "X");
  form.StringGrid3.SetCell(2, 1, "x");
  form.StringGrid4.SetCell(1, 1, "150");
  form.StringGrid4.SetCell(1, 2, "900");
  Save(f);
  EXPECT_EQ(f.dialogs.Shown(0).text, kAskSave);
  const IniFile file(SettingsPath(f));
  for (const char* section :
       {"Delta", "SONR_L1", "SONR_L2", "SOSORT_L1", "SOSORT_L2", "ANIM", "LODs"})
    EXPECT_TRUE(file.SectionExists(section)) << section;

  // Start over from a different plan with a single LOD.
  SetUpPlan(f, 1, 3, 1);
  form.session.plan.pointTolerance = form.session.plan.normalTolerance = 0;
  Load(f);
  EXPECT_EQ(f.dialogs.Shown(1).text, kAskLoad);
  EXPECT_EQ(form.session.plan.lodCount, 2);
  EXPECT_EQ(form.LODAnzSpinEdit.value, 2);
  EXPECT_EQ(form.StringGrid1.ColCount(), 5);
  EXPECT_EQ(Column(form.StringGrid1, 3), "1,2,1");
  EXPECT_EQ(Column(form.StringGrid1, 4), "999,1,0");
  EXPECT_EQ(form.StringGrid2.RowCount(), 3);
  EXPECT_EQ(Column(form.StringGrid2, 2), ",x");
  EXPECT_EQ(Column(form.StringGrid2, 3), "X,");
  EXPECT_EQ(Column(form.StringGrid3, 2), "x");
  EXPECT_EQ(Column(form.StringGrid4, 1), "150,900");
  EXPECT_EQ(Column(form.StringGrid5, 1), "150,900");
  EXPECT_EQ(form.session.plan.pointTolerance, 0.001L);
  EXPECT_EQ(form.session.plan.normalTolerance, 0.25L);
  EXPECT_EQ(form.DeltaPointsEdit.text, "0.001");
  EXPECT_EQ(form.DeltaNormalsEdit.text, "0.25");
}

TEST(SettingsFile, SingleLodFilesAndMissingKeysFallBackToTheOldSections) {
  FormFixture f;
  SetUpPlan(f, 2, 4, 0);
  f.form.session.plan.pointTolerance = 0.5L;
  WriteBytes(SettingsPath(f),
             "[SONR_L1]\r\n1=-1\r\n2=3\r\n[SONR]\r\n1=2\r\n2=7\r\n4=3\r\n"
             "[SOSORT_L1]\r\n2=-1\r\n[SOSORT]\r\n1=x\r\n2=X\r\n[SONR_L2]\r\n2=2\r\n");
  Load(f);
  EXPECT_EQ(Column(f.form.StringGrid1, 3), "2,3,1,3");
  EXPECT_EQ(Column(f.form.StringGrid1, 4), "1,2,1,1");
  EXPECT_EQ(Column(f.form.StringGrid2, 2), "x,X,");
  EXPECT_EQ(Column(f.form.StringGrid2, 3), ",,");
  EXPECT_EQ(f.form.session.plan.lodCount, 2);  // no "LODs": the set-up stays
  EXPECT_EQ(f.form.session.plan.pointTolerance, 0);
}

TEST(SettingsFile, UnreadableValuesFallBackAndNumbersGrowTheTablesWithinLimits) {
  FormFixture f;
  SetUpPlan(f, 1, 8, 0);
  f.form.StringGrid2.SetRowCount(3);
  WriteBytes(SettingsPath(f),
             "[SONR_L1]\n1=7\n2=999\n3=abc\n4=\n5=05\n6=100\n7=2147483647\n8=-3\n"
             "[SOSORT_L1]\n7=x\n");
  Load(f);
  EXPECT_EQ(Column(f.form.StringGrid1, 3), "7,999,1,1,05,1,1,1");
  // 999 grew the table to 1000 rows while loading; the refresh keeps the
  // rows up to the greatest number in use.
  EXPECT_EQ(f.form.StringGrid2.RowCount(), 8);
  EXPECT_EQ(f.form.StringGrid2.Cell(2, 7), "x");

  SetUpPlan(f, 2, 1, 0);
  WriteBytes(SettingsPath(f), "[Delta]\nPoints=abc\nNormals=\n[LODs]\nAnzahl=zwei\n1=5\n");
  Load(f);
  EXPECT_EQ(f.form.session.plan.lodCount, 2);
  EXPECT_EQ(Column(f.form.StringGrid4, 1), "2000,2000");
  EXPECT_EQ(f.form.DeltaPointsEdit.text, "0");

  WriteBytes(SettingsPath(f), "[LODs]\nAnzahl=2000000000\n1=5\n");
  Load(f);
  EXPECT_EQ(f.form.session.plan.lodCount, 99);
  EXPECT_EQ(f.form.StringGrid4.RowCount(), 100);
  EXPECT_EQ(f.form.StringGrid4.Cell(1, 1), "5");
  EXPECT_EQ(f.form.StringGrid4.Cell(1, 99), "2000");
}

TEST(SettingsFile, FewerLodsLeaveTheSectionsOfHigherLodsAlone) {
  FormFixture f;
  SetUpPlan(f, 3, 2, 0);
  f.form.StringGrid1.SetCell(5, 1, "2");
  Save(f);
  SetUpPlan(f, 1, 2, 0);
  f.form.StringGrid1.SetCell(3, 2, "2");
  Save(f);
  const IniFile file(SettingsPath(f));
  EXPECT_EQ(file.ReadString("SONR_L3", "1", ""), "2");
  EXPECT_TRUE(file.SectionExists("SOSORT_L2"));
  EXPECT_EQ(file.ReadString("LODs", "Anzahl", ""), "1");
  EXPECT_FALSE(file.ValueExists("LODs", "2"));

  f.form.StringGrid1.SetCell(5, 1, "4");  // a hidden column of LOD 3
  Load(f);
  EXPECT_EQ(f.form.session.plan.lodCount, 1);
  EXPECT_EQ(Column(f.form.StringGrid1, 3), "1,2");
  EXPECT_EQ(f.form.StringGrid1.Cell(5, 1), "4");
}

TEST(SettingsFile, TolerancesAreWrittenWithTheSeparatorOfTheMomentAndReadWithEither) {
  FormFixture f;
  SetUpPlan(f, 1, 1, 0);
  SetDecimalSeparator(',');
  f.form.session.plan.pointTolerance = 0.001L;
  Save(f);
  EXPECT_EQ(IniFile(SettingsPath(f)).ReadString("Delta", "Points", ""), "0,001");
  f.form.session.plan.pointTolerance = 0;
  Load(f);
  EXPECT_EQ(f.form.session.plan.pointTolerance, 0.001L);
  EXPECT_EQ(f.form.DeltaPointsEdit.text, "0,001");
  // A file from a system with the other separator keeps its tolerance.
  for (const char separator : {',', '.'}) {
    SetDecimalSeparator(separator);
    for (const char* stored : {"0.001", "0,001"}) {
      WriteBytes(SettingsPath(f), std::string("[Delta]\nPoints=") + stored + "\n");
      f.form.session.plan.pointTolerance = 0;
      Load(f);
      EXPECT_EQ(f.form.session.plan.pointTolerance, 0.001L) << stored << " under " << separator;
    }
  }
  SetDecimalSeparator('.');
}

TEST(SettingsFile, WithoutAShapeOrAYesNothingHappens) {
  FormFixture f;
  f.form.E_SpeichernButtonClick();
  f.form.E_LadenButtonClick();
  ASSERT_EQ(f.dialogs.Count(), 2u);  // no question: none is scripted
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "Es ist keine Shape-Datei geöffnet. Einstellungen können nur für eine geöffnete Datei "
            "gespeichert werden.");
  EXPECT_EQ(f.dialogs.Shown(1).kind, BoxKind::Information);
  EXPECT_FALSE(fs::exists(".Quarvel"));

  SetUpPlan(f, 1, 2, 0);
  f.dialogs.Answer(Answer::No);
  f.form.E_SpeichernButtonClick();
  EXPECT_FALSE(fs::exists(SettingsPath(f)));
  WriteBytes(SettingsPath(f), "[SONR_L1]\n1=2\n[Delta]\nPoints=1\n");
  f.dialogs.Answer(Answer::No);
  f.form.E_LadenButtonClick();
  EXPECT_EQ(Column(f.form.StringGrid1, 3), "1,1");
  EXPECT_EQ(f.form.session.plan.pointTolerance, 0);
}

TEST(SettingsFile, SavingBeforeAnyAnalysisWritesAReadableFile) {
  FormFixture f;
  f.form.session.path = f.dir.File("loco.s");
  f.form.SaveSettings();
  const IniFile file(SettingsPath(f));
  EXPECT_EQ(file.ReadString("LODs", "Anzahl", ""), "1");
  EXPECT_EQ(file.ReadString("SONR_L1", "1", "absent"), "");
}

TEST(SettingsFile, AFailedWriteNamesTheFileAndLeavesThePreviousOneIntact) {
  FormFixture f;
  SetUpPlan(f, 1, 40, 0);
  fs::create_directory(SettingsPath(f));  // where the file has to go
  f.dialogs.Answer(Answer::Yes);
  EXPECT_FALSE(f.form.Run([&] { f.form.E_SpeichernButtonClick(); }));
  EXPECT_EQ(f.dialogs.Shown(1).kind, BoxKind::Error);
  EXPECT_EQ(f.dialogs.Shown(1).text, "In " + SettingsPath(f) + " kann nicht geschrieben werden");
  EXPECT_TRUE(fs::is_directory(SettingsPath(f)));
  for (const auto& entry : fs::directory_iterator(f.dir.path()))
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path().filename();

  fs::remove(SettingsPath(f));
  Save(f);
  const std::string before = ReadBytes(SettingsPath(f));
  f.form.StringGrid1.SetCell(3, 1, "2");
  SKIP_ON_WINDOWS("no limit on the size of the files a process writes");
  f.dialogs.Answer(Answer::Yes);
  bool ok = true;
  WithFullDisk(
      64, [&] { ok = static_cast<bool>(f.form.Run([&] { f.form.E_SpeichernButtonClick(); })); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadBytes(SettingsPath(f)), before);
}

}  // namespace
}  // namespace quarvel::testing
