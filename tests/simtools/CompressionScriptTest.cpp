// The batch file that runs the simulator's converter: its five lines, their
// bytes, and the checks around it.
#include "simtools/CompressionScript.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/FormFixture.h"
#include "support/LanguageTexts.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

using Lines = std::vector<std::string>;

TEST(CompressionScript, FiveLinesForDrivePathsNetworkPathsAndBlanks) {
  EXPECT_EQ(CompressionScriptLines("D:\\MSTS\\UTILS\\FFEDIT\\ffeditc_unicode.exe",
                                   "D:\\MSTS\\TRAINS\\TRAINSET\\Lok\\lok.s"),
            (Lines{"D:", "cd \"D:\\MSTS\\UTILS\\FFEDIT\\\"",
                   "ffeditc_unicode.exe \"D:\\MSTS\\TRAINS\\TRAINSET\\Lok\\lok.s\" /O:temp.s",
                   "move temp.s \"D:\\MSTS\\TRAINS\\TRAINSET\\Lok\\lok.s\"", "pause"}));

  // Blanks in both paths: every path is quoted, the drive line is not.
  EXPECT_EQ(
      CompressionScriptLines(
          "C:\\Programme\\Microsoft Games\\Train Simulator\\utils\\ffedit\\FFEDITC_UNICODE.EXE",
          "E:\\Meine Modelle\\Bahnhof Süd.s"),
      (Lines{"C:", "cd \"C:\\Programme\\Microsoft Games\\Train Simulator\\utils\\ffedit\\\"",
             "ffeditc_unicode.exe \"E:\\Meine Modelle\\Bahnhof Süd.s\" /O:temp.s",
             "move temp.s \"E:\\Meine Modelle\\Bahnhof Süd.s\"", "pause"}));

  // A network path gives its server and share as the drive.
  EXPECT_EQ(CompressionScriptLines("\\\\spiele\\msts\\utils\\ffedit\\ffeditc_unicode.exe",
                                   "\\\\modelle\\bahn\\lok.s"),
            (Lines{"\\\\spiele\\msts", "cd \"\\\\spiele\\msts\\utils\\ffedit\\\"",
                   "ffeditc_unicode.exe \"\\\\modelle\\bahn\\lok.s\" /O:temp.s",
                   "move temp.s \"\\\\modelle\\bahn\\lok.s\"", "pause"}));

  EXPECT_EQ(DrivePart("\\\\server"), "\\\\server");
  EXPECT_EQ(DrivePart("\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(DrivePart("ffedit\\ffeditc_unicode.exe"), "");
  EXPECT_EQ(FolderPart("ffeditc_unicode.exe"), "");
}

TEST(CompressionScript, BytesAreAnsiWithCrLfAndAFileThatCannotBeWrittenIsAnError) {
  TempDir dir;
  const std::string script = dir.File("temp.bat");
#ifdef _WIN32
  // cmd reads it in the console's OEM code page: "ü" is 0x81 in 437 and 850
  // alike, and neither has "€".
  WriteScript(script,
              CompressionScriptLines("C:\\jürgen\\ffeditc_unicode.exe", "C:\\jürgen\\Lok.s"));
  EXPECT_EQ(
      ReadBytes(script),
      "C:\r\ncd \"C:\\j\x81rgen\\\"\r\nffeditc_unicode.exe \"C:\\j\x81rgen\\Lok.s\" /O:temp.s\r\n"
      "move temp.s \"C:\\j\x81rgen\\Lok.s\"\r\npause\r\n");
  EXPECT_THROW(
      WriteScript(script, CompressionScriptLines("C:\\ffeditc_unicode.exe", "C:\\Lok €.s")),
      ScriptError);
#else
  WriteScript(script, CompressionScriptLines("Z:\\home\\jürgen\\ffeditc_unicode.exe",
                                             "Z:\\home\\jürgen\\Lok €.s"));
  EXPECT_EQ(ReadBytes(script),
            "Z:\r\n"
            "cd \"Z:\\home\\j\xFCrgen\\\"\r\n"
            "ffeditc_unicode.exe \"Z:\\home\\j\xFCrgen\\Lok \x80.s\" /O:temp.s\r\n"
            "move temp.s \"Z:\\home\\j\xFCrgen\\Lok \x80.s\"\r\n"
            "pause\r\n");
#endif
  const std::string kept = ReadBytes(script);

  // A name the code page cannot hold would make the batch file name some
  // other file: nothing is written over the last batch file.
  try {
    WriteScript(script, CompressionScriptLines("C:\\ffeditc_unicode.exe", "C:\\Локомотив.s"));
    ADD_FAILURE() << "written";
  } catch (const ScriptError& error) {
    EXPECT_NE(std::string(error.what()).find(script), std::string::npos) << error.what();
  }
  EXPECT_EQ(ReadBytes(script), kept);

  // A folder standing where the batch file goes.
  fs::create_directory(dir.File("blocked.bat"));
  try {
    WriteScript(dir.File("blocked.bat"), {"pause"});
    ADD_FAILURE() << "written";
  } catch (const WriteError& error) {
    EXPECT_EQ(error.In(LanguageTexts("Deutsch")),
              "In " + dir.File("blocked.bat") + " kann nicht geschrieben werden");
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2)
      << "no temporary file is left behind";
}

TEST(CompressionScript, TheUtilityIsKnownByItsNameInAnyCaseAndMustExist) {
  TempDir dir;
  fs::create_directories(dir.path() / "a" / "ffeditc_unicode.exe");  // a folder, no program
  WriteBytes(dir.File("FFEditC_Unicode.EXE"), "MZ");
  WriteBytes(dir.File("ffedit.exe"), "MZ");
  EXPECT_TRUE(IsUtilityPath(dir.File("FFEditC_Unicode.EXE")));
  EXPECT_FALSE(IsUtilityPath(dir.File("ffedit.exe"))) << "another name";
  EXPECT_FALSE(IsUtilityPath(dir.File("b/ffeditc_unicode.exe"))) << "missing";
  EXPECT_FALSE(IsUtilityPath(dir.File("a/ffeditc_unicode.exe"))) << "a folder";
  EXPECT_FALSE(IsUtilityPath(""));
  EXPECT_FALSE(IsUtilityPath("\\utils\\ffedit\\ffeditc_unicode.exe"));
}

TEST(CompressionScript, AnOutputLeftByAnEarlierRunIsClearedAway) {
  TempDir dir;
  const std::string utility = dir.File("ffeditc_unicode.exe");
  WriteBytes(utility, "MZ");
  RemoveStaleUtilityOutput(utility);  // nothing there: nothing to do
  WriteBytes(dir.File("TEMP.S"), "old");
  RemoveStaleUtilityOutput(utility);
  EXPECT_FALSE(fs::exists(dir.File("TEMP.S")));
  EXPECT_TRUE(fs::exists(utility));

  // One that cannot go: the batch file must not be started.
  fs::create_directories(dir.path() / "temp.s" / "inside");
  EXPECT_THROW(RemoveStaleUtilityOutput(utility), ScriptError);
}

}  // namespace
}  // namespace quarvel::testing
