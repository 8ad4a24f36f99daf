// Start-up, shutdown and the window's reset, as the user meets them: the
// tables sized from the program INI, the notices about screen and system, the
// language file, and what the program INI holds after the window has closed.
#include <gtest/gtest.h>

#include <filesystem>

#include "settings/ProgramFiles.h"
#include "support/FileSystem.h"
#include "support/FormFixture.h"
#include "support/LanguageTexts.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;
using Cells = std::vector<std::string>;

Cells Column(const StringGrid& grid, int col) {
  Cells cells;
  for (int row = 0; row < grid.RowCount(); ++row) cells.push_back(grid.Cell(col, row));
  return cells;
}
Cells HeaderRow(const StringGrid& grid) {
  Cells cells;
  for (int col = 0; col < grid.ColCount(); ++col) cells.push_back(grid.Cell(col, 0));
  return cells;
}

TEST(Startup, FirstRunWithoutProgramIniStartsWithOneLodAndCreatesItAtShutdown) {
  FormFixture f;
  Form& form = f.form;
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(form.Caption, kProgramTitle);
  EXPECT_EQ(HeaderRow(form.StringGrid1), (Cells{"Name", "Image", "Faces", "L 1"}));
  EXPECT_EQ(form.StringGrid1.RowCount(), 2);
  EXPECT_EQ(HeaderRow(form.StringGrid2), (Cells{"Nr.", "Vert. L 1", "L 1"}));
  EXPECT_EQ(Column(form.StringGrid4, 0), (Cells{"LOD Nr.", "1"}));
  EXPECT_EQ(Column(form.StringGrid4, 1), (Cells{"Meter", "2000"}));
  EXPECT_EQ(HeaderRow(form.StringGrid5), (Cells{"Nr.", "Entfernung", "Faces"}));
  EXPECT_EQ(form.StringGrid1.ColWidth(0), 186);
  EXPECT_FALSE(form.LODSpinEdit.enabled);
  EXPECT_EQ(form.DeltaPointsEdit.text, "0");
  EXPECT_EQ(form.Label21.caption, "Alle Elemente L 1 =");
  EXPECT_FALSE(fs::exists(f.ProgramIniPath()));

  form.FormDestroy();
  const IniFile ini(f.ProgramIniPath());
  EXPECT_EQ(ini.ReadString("LODs", "Anzahl", ""), "1");
  EXPECT_EQ(ini.ReadString("LODs", "1", ""), "2000");
}

TEST(Startup, ThreeLodsWithOneStoredDistanceSurviveResetAndShutdown) {
  FormFixture f("[Dir]\r\nInitialDir=/models\r\n[LODs]\r\nAnzahl=3\r\n1=50\r\n");
  Form& form = f.form;
  EXPECT_EQ(Column(form.StringGrid4, 1), (Cells{"Meter", "50", "2000", "2000"}));
  EXPECT_EQ(Column(form.StringGrid5, 0), (Cells{"Nr.", "1", "2", "3"}));
  EXPECT_EQ(Column(form.StringGrid5, 1), (Cells{"Entfernung", "50", "2000", "2000"}));
  EXPECT_EQ(HeaderRow(form.StringGrid1), (Cells{"Name", "Image", "Faces", "L 1", "L 2", "L 3"}));
  EXPECT_EQ(HeaderRow(form.StringGrid2), (Cells{"Nr.", "Vert. L 1", "L 1", "L 2", "L 3"}));
  EXPECT_TRUE(form.LODSpinEdit.enabled);
  EXPECT_EQ(form.LODSpinEdit.maxValue, 3);
  EXPECT_EQ(form.session.plan.lodCount, 3);

  // Reset after a file was open: six columns stay, the data rows go.
  form.StringGrid1.SetRowCount(5);
  for (int col = 0; col < 6; ++col) form.StringGrid1.SetCell(col, 1, "x");
  form.StringGrid3.SetRowCount(4);
  form.StringGrid3.SetCell(0, 1, "MAIN");
  form.session.text.Assign({"line"});
  form.session.path = "lok.s";
  form.ResetWindow();
  EXPECT_EQ(form.StringGrid1.ColCount(), 6);
  EXPECT_EQ(form.StringGrid1.RowCount(), 2);
  EXPECT_EQ(form.StringGrid1.Cell(4, 1), "");
  EXPECT_EQ(form.StringGrid1.Cell(5, 1), "x") << "only columns 0 to 4 are emptied";
  EXPECT_EQ(form.StringGrid3.RowCount(), 2);
  EXPECT_EQ(form.StringGrid3.Cell(0, 1), "");
  EXPECT_TRUE(form.session.text.Empty());
  EXPECT_FALSE(form.session.text.Modified());
  EXPECT_EQ(form.session.path, "");
  EXPECT_EQ(form.session.plan.lodCount, 3);

  // Shutdown writes what the settings tab shows: two LODs, an empty
  // distance as 2000; the third key of the old section goes, "Dir" stays.
  form.LODAnzSpinEdit.value = 2;
  form.StringGrid4.SetCell(1, 2, "");
  form.FormDestroy();
  const IniFile ini(f.ProgramIniPath());
  EXPECT_EQ(ini.ReadString("LODs", "Anzahl", ""), "2");
  EXPECT_EQ(ini.ReadString("LODs", "1", ""), "50");
  EXPECT_EQ(ini.ReadString("LODs", "2", ""), "2000");
  EXPECT_FALSE(ini.ValueExists("LODs", "3"));
  EXPECT_EQ(ini.ReadString("Dir", "InitialDir", ""), "/models");
}

TEST(Startup, SmallScreensAndOldSystemsGetANotice) {
  struct Screen {
    int width, height;
    bool notice;
  };
  for (const Screen s : {Screen{1280, 720, true}, Screen{1024, 768, false}, {1023, 900, true}}) {
    FormFixture f("", false);
    f.system.screenWidth = s.width;
    f.system.screenHeight = s.height;
    f.form.FormCreate();
    ASSERT_EQ(f.dialogs.Count(), s.notice ? 1u : 0u) << s.width << "x" << s.height;
    if (s.notice) {
      EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(20));
      EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Information);
    }
  }

  using P = OsVersion::Platform;
  struct Case {
    OsVersion os;
    int level;
    std::string name;
  };
  const Case cases[] = {
      {{P::WindowsNT, 5, 1, ""}, 2, "Windows XP"},
      {{P::WindowsNT, 5, 2, ""}, 2, "Windows XP"},
      {{P::WindowsNT, 5, 0, ""}, 2, "Windows 2000"},
      {{P::WindowsNT, 4, 0, ""}, 1, "Windows NT 4"},
      {{P::WindowsNT, 3, 51, ""}, 1, "Windows NT 3"},
      {{P::WindowsNT, 6, 0, ""}, 2, "Windows Vista"},
      {{P::Windows95, 4, 10, ""}, 0, "Windows 98"},
      {{P::Windows95, 4, 0, ""}, 0, "Windows 95"},
      {{P::Windows95, 3, 95, ""}, 0, "Windows 95"},
      {{P::Windows95, 4, 90, ""}, 0, "Windows ME"},
      {{P::Win32s, 3, 1, ""}, 0, "Win32s"},
      {{P::NonWindows, 6, 1, "Linux"}, 2, "Linux"},
      {{P::WindowsNT, 10, 0, ""}, 2, "Windows 10"},
      {{P::WindowsNT, 10, 0, "Windows 11 Version 23H2"}, 2, "Windows 11 Version 23H2"},
  };
  for (const Case& c : cases) {
    FormFixture f("", false);
    f.system.os = c.os;
    f.form.FormCreate();
    EXPECT_EQ(f.form.WindowsVersion().level, c.level) << c.name;
    EXPECT_EQ(f.form.WindowsVersion().name, c.name);
    ASSERT_EQ(f.dialogs.Count(), c.level == 2 ? 0u : 1u) << c.name;
    if (c.level < 2) {
      EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(21) + " " + c.name + f.Lang(c.level ? 26 : 25));
    }
  }
}

TEST(Startup, ProgramIniMovesToTheConfigurationFolderWhenTheExecutableFolderIsNotWritable) {
  FormFixture f("", false);
  // A folder that does not exist is not writable, also for root.
  f.system.executablePath = f.dir.File("readonly/quarvel");
  f.form.FormCreate();
  EXPECT_EQ(f.form.ProgramIniPath(), f.dir.File("config/quarvel.INI"));
  f.form.FormDestroy();
  EXPECT_EQ(IniFile(f.dir.File("config/quarvel.INI")).ReadString("LODs", "Anzahl", ""), "1");
  // No language file beside this executable: no languages, empty captions.
  EXPECT_TRUE(f.form.SpracheComboBox.items.empty());
  EXPECT_EQ(f.form.LanguageSection, "Deutsch");
  EXPECT_EQ(f.form.SpeichernBitBtn.caption, "");
  EXPECT_EQ(f.form.Label21.caption, " L 1 =");
  EXPECT_EQ(f.form.Label3.caption, "Beta-Version! Benutzung auf eigene Gefahr!");
}

// An installed program: the language file in the shared data folder beside
// the bin folder, and everything the user changes in the configuration
// folder, also where the installed folders could be written (as by root).
TEST(Startup, AnInstalledWindowLeavesItsInstalledFilesAsTheyWere) {
  FormFixture f("", false);
  fs::create_directories(f.dir.File("usr/bin"));
  fs::create_directories(f.dir.File("usr/share/quarvel"));
  const std::string shared = f.dir.File("usr/share/quarvel/Quarvel_L.INI");
  fs::rename(f.dir.File("Quarvel_L.INI"), shared);
  f.system.executablePath = f.dir.File("usr/bin/quarvel");
  const FolderPicture installed = PictureOf(f.dir.File("usr"));

  f.form.FormCreate();
  EXPECT_EQ(f.form.ProgramIniPath(), f.dir.File("config/quarvel.INI"));
  EXPECT_EQ(f.form.SpeichernBitBtn.caption, "Speichern");
  ASSERT_EQ(f.form.SpracheComboBox.items.at(1), "English");
  ASSERT_TRUE(f.form.Run([&] { f.form.SpracheComboBoxSelect(1); }));
  EXPECT_EQ(f.form.SpeichernBitBtn.caption, "Save");
  f.form.FormDestroy();

  EXPECT_EQ(PictureOf(f.dir.File("usr")), installed);
  EXPECT_EQ(ReadBytes(f.dir.File("config/Quarvel_L.INI")), "[Languages]\r\nLanguage=English\r\n");
  EXPECT_TRUE(fs::exists(f.dir.File("config/quarvel.INI")));
  // The next start speaks the language chosen.
  f.form.FormCreate();
  EXPECT_EQ(f.form.SpeichernBitBtn.caption, "Save");
  EXPECT_EQ(f.form.SpracheComboBox.itemIndex, 1);

  // A language file beside the executable makes it a program in one folder
  // again, with its files beside it.
  fs::copy_file(shared, f.dir.File("usr/bin/Quarvel_L.INI"));
  EXPECT_EQ(LanguageFilePath(f.system), f.dir.File("usr/bin/Quarvel_L.INI"));
  EXPECT_EQ(LanguageChoicePath(f.system), f.dir.File("usr/bin/Quarvel_L.INI"));
  EXPECT_EQ(ProgramIniPath(f.system), f.dir.File("usr/bin/quarvel.INI"));
}

TEST(Startup, TheConfigurationFolderFollowsXdgWhereItIsAnAbsolutePath) {
#ifdef _WIN32
  const std::string root = "C:\\", separator = "\\";
#else
  const std::string root = "/", separator = "/";
#endif
  const auto folder = [&](std::initializer_list<const char*> names) {
    std::string path = root;
    for (const char* name : names) path += (path == root ? "" : separator) + name;
    return path;
  };
  const std::string config = folder({"x", "config"}), home = folder({"home", "u"});
  EXPECT_EQ(UserConfigFolder(config.c_str(), home), folder({"x", "config", "quarvel"}));
  EXPECT_EQ(UserConfigFolder(nullptr, home), folder({"home", "u", ".config", "quarvel"}));
  EXPECT_EQ(UserConfigFolder("", home), folder({"home", "u", ".config", "quarvel"}));
  EXPECT_EQ(UserConfigFolder("config", home), folder({"home", "u", ".config", "quarvel"}));
#ifndef _WIN32
  EXPECT_EQ(UserConfigFolder(nullptr, ""), "/.config/quarvel");
#endif
}

// A form started with its own language file, whose "Languages" section holds
// `languages`.
struct LanguageFixture : FormFixture {
  explicit LanguageFixture(const std::string& languages) : FormFixture("", false) {
    WriteBytes(dir.File("Quarvel_L.INI"),
               "[Languages]\r\n" + languages +
                   "[Deutsch]\r\nS9=Speichern\r\nS21=System:\r\nS25=\" alt\"\r\nS27=Nr.\r\n"
                   "S38=Alle Elemente\r\n[English]\r\nS9=Save\r\nS21=System:\r\nS25=\" old\"\r\n"
                   "S27=No.\r\nS38=All elements\r\n[Klingon]\r\nS9=Qagh\r\n");
  }
};

TEST(Languages, ListStopsAtTheFirstGapAndAnUnlistedLanguageStillGivesTheTexts) {
  LanguageFixture f("S1=Deutsch\r\nS3=English\r\nLanguage=deutsch\r\n");
  f.form.FormCreate();
  EXPECT_EQ(f.form.SpracheComboBox.items, (Cells{"Deutsch"}));
  EXPECT_EQ(f.form.SpracheComboBox.itemIndex, 0);
  EXPECT_EQ(f.form.LanguageSection, "deutsch");
  EXPECT_EQ(f.form.SpeichernBitBtn.caption, "Speichern");

  LanguageFixture g("S1=Deutsch\r\nS2=English\r\nLanguage=Klingon\r\n");
  g.form.FormCreate();
  EXPECT_EQ(g.form.SpracheComboBox.itemIndex, -1);
  EXPECT_EQ(g.form.SpeichernBitBtn.caption, "Qagh");
  EXPECT_EQ(g.form.OeffnenButton.caption, "") << "texts the language lacks are empty";
}

TEST(Languages, SelectingALanguageStoresItAndSwitchesCaptionsAtOnce) {
  LanguageFixture f("S1=Deutsch\r\nS2=English\r\n");
  f.system.os = {OsVersion::Platform::Windows95, 4, 10, ""};
  f.form.FormCreate();
  EXPECT_EQ(f.form.LanguageSection, "Deutsch");
  EXPECT_EQ(f.form.SpracheComboBox.itemIndex, 0);
  f.form.LODSpinEdit.value = 3;
  f.dialogs.shown.clear();

  ASSERT_TRUE(f.form.Run([&] { f.form.SpracheComboBoxSelect(1); }));
  EXPECT_EQ(f.form.LanguageSection, "English");
  EXPECT_EQ(f.form.SpeichernBitBtn.caption, "Save");
  EXPECT_EQ(f.form.StringGrid2.Cell(0, 0), "No.");
  EXPECT_EQ(f.form.StringGrid4.Cell(0, 0), "LOD No.");
  EXPECT_EQ(f.form.Label21.caption, "All elements L 3 =");
  EXPECT_EQ(IniFile(f.dir.File("Quarvel_L.INI")).ReadString("Languages", "Language", ""),
            "English");
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).text, "System: Windows 98 old");

  // A language file that cannot be written keeps the language in use.
  f.dialogs.shown.clear();
  fs::remove(f.dir.File("Quarvel_L.INI"));
  fs::create_directory(f.dir.File("Quarvel_L.INI"));
  EXPECT_FALSE(f.form.Run([&] { f.form.SpracheComboBoxSelect(0); }));
  ASSERT_EQ(f.dialogs.Count(), 1u);
  // With the language file gone the message has no words, only its number
  // and the file.
  EXPECT_NE(f.dialogs.Shown(0).text.find(f.dir.File("Quarvel_L.INI")), std::string::npos);
  EXPECT_EQ(f.form.LanguageSection, "English");
  EXPECT_EQ(f.form.SpeichernBitBtn.caption, "Save");
  EXPECT_EQ(f.form.SpracheComboBox.itemIndex, 1);
}

}  // namespace
}  // namespace quarvel::testing
