#include "settings/IniFile.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>

#include "common/Convert.h"
#include "common/Error.h"
#include "support/FormFixture.h"
#include "support/LanguageTexts.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
 protected:
  ~IniFileTest() override { SetDecimalSeparator('.'); }
  std::string Write(const std::string& content, const std::string& name = "test.INI") {
    WriteBytes(dir.File(name), content);
    return dir.File(name);
  }
  TempDir dir;
};

TEST_F(IniFileTest, NamesAreCaseBlindAbsentKeysGiveTheDefaultAndReadsStopAt2047) {
  std::string umlauts;
  for (int i = 0; i < 3000; ++i) umlauts += "ä";
  const IniFile ini(
      Write("; comment = not a key\r\n[LODs]\r\nAnzahl = 3 \r\n1=\"50\"\r\n[Dir]\r\n"
            "InitialDir=C:\\Züge\r\n[Ärger]\r\nKey=umlaut section\r\n[lods]\r\nAnzahl=7\r\n"
            "[S]\nlong=" +
            std::string(3000, 'a') + "\nwide=" + umlauts + "\n"));
  EXPECT_EQ(ini.ReadInteger("lods", "ANZAHL", 1), 3)
      << "the first of two sections of one name wins";
  EXPECT_EQ(ini.ReadString("LODS", "1", "2000"), "50");
  EXPECT_EQ(ini.ReadString("LODs", "2", "2000"), "2000");
  EXPECT_EQ(ini.ReadString("Nowhere", "1", "x"), "x");
  EXPECT_EQ(ini.ReadString("dir", "initialdir", ""), "C:\\Züge");
  EXPECT_EQ(ini.ReadString("ärger", "KEY", ""), "umlaut section");
  EXPECT_EQ(ini.ReadString("", "; comment ", "none"), "none");
  EXPECT_TRUE(ini.SectionExists("dIR"));
  EXPECT_FALSE(ini.ValueExists("Dir", "Filename"));
  EXPECT_EQ(ini.ReadString("S", "long", ""), std::string(2047, 'a'));
  EXPECT_EQ(ini.ReadString("S", "wide", "").size(), 2047u * 2) << "characters, not bytes";
  EXPECT_EQ(ini.ReadString("S", "none", std::string(3000, 'd')).size(), 2047u);
}

TEST_F(IniFileTest, WritesKeepEverythingElseAndErasedSectionsGoWithTheirKeys) {
  const std::string path = Write(
      "; Quarvel\r\n[LODs]\r\nAnzahl=2\r\n1=100\r\n2=200\r\n\r\n[Dir]\r\n; last "
      "folder\r\nInitialDir=/x\r\n\r\n[LODs]\r\n9=duplicate\r\n");
  IniFile ini(path);
  ini.EraseSection("lods");
  ini.WriteInteger("LODs", "Anzahl", 1);
  ini.WriteString("LODs", "1", "2000");
  ini.WriteString("dir", "initialDIR", "/y");
  ini.WriteString("Dir", "Filename", "lok.s");
  EXPECT_EQ(ReadBytes(path).find("/y"), std::string::npos)
      << "nothing reaches the disk before Flush";
  ini.Flush();
  EXPECT_EQ(ReadBytes(path),
            "; Quarvel\r\n[Dir]\r\n; last folder\r\nInitialDir=/y\r\nFilename=lok.s\r\n\r\n"
            "[LODs]\r\nAnzahl=1\r\n1=2000\r\n");
  EXPECT_FALSE(ini.Dirty());
}

TEST_F(IniFileTest, NumbersFollowTheDecimalSeparator) {
  const std::string path =
      Write("[Delta]\nPoints=0,001\nDot=0.5\nInt=+12\nHex=0x10\nSpace=1 2\nEmpty=\n");
  SetDecimalSeparator(',');
  IniFile ini(path);
  EXPECT_EQ(ini.ReadFloat("Delta", "Points", -1), 0.001L);
  EXPECT_EQ(ini.ReadFloat("Delta", "Dot", -1), -1) << "a dot is no separator under a German locale";
  EXPECT_EQ(ini.ReadFloat("Delta", "Empty", -1), -1);
  EXPECT_EQ(ini.ReadInteger("Delta", "Int", -1), 12);
  EXPECT_EQ(ini.ReadInteger("Delta", "Hex", -1), -1);
  EXPECT_EQ(ini.ReadInteger("Delta", "Space", -1), -1);
  ini.WriteFloat("Delta", "Normals", 0.0025L);
  ini.WriteInteger("Delta", "Count", -7);
  EXPECT_EQ(ini.ReadString("Delta", "Normals", ""), "0,0025");
  EXPECT_EQ(ini.ReadString("Delta", "Count", ""), "-7");
  SetDecimalSeparator('.');
  EXPECT_EQ(ini.ReadFloat("Delta", "Dot", -1), 0.5L);
}

TEST_F(IniFileTest, FailedFlushRaisesWriteErrorAndLeavesTheFile) {
  // A file where a folder should be: no folder can be made, also for root.
  WriteBytes(dir.File("blocker"), "x");
  IniFile blocked(dir.File("blocker") + "/sub/program.INI");
  blocked.WriteString("LODs", "Anzahl", "2");
  try {
    blocked.Flush();
    FAIL() << "the write should fail";
  } catch (const WriteError& error) {
    EXPECT_EQ(error.In(LanguageTexts("Deutsch")),
              "In " + dir.File("blocker") + "/sub/program.INI kann nicht geschrieben werden");
  }
  EXPECT_TRUE(blocked.Dirty());

  fs::create_directory(dir.File("folder.INI"));
  IniFile folder(dir.File("folder.INI"));
  folder.WriteString("A", "b", "c");
  EXPECT_THROW(folder.Flush(), WriteError);
  EXPECT_TRUE(fs::is_directory(dir.File("folder.INI")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2)
      << "no temporary file is left behind";

  // A folder that is not there yet is made (the user's configuration folder).
  IniFile fresh(dir.File("config/quarvel/quarvel.INI"));
  fresh.WriteString("LODs", "Anzahl", "1");
  fresh.Flush();
  EXPECT_EQ(ReadBytes(dir.File("config/quarvel/quarvel.INI")), "[LODs]\r\nAnzahl=1\r\n");

  // An unreadable file is never replaced (root reads every file; Windows
  // has no permission bits to take reading away).
#ifdef _WIN32
  return;
#else
  if (::geteuid() == 0) return;
#endif
  const std::string path = Write("[Keep]\nme=1\n");
  fs::permissions(path, fs::perms::none);
  IniFile unreadable(path);
  unreadable.WriteString("LODs", "Anzahl", "1");
  EXPECT_THROW(unreadable.Flush(), WriteError);
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadBytes(path), "[Keep]\nme=1\n");
}

TEST_F(IniFileTest, Cp1252FilesAreReadAndWrittenBackInUtf8) {
  const std::string path = Write("[Languages]\nS1=Fran\xE7\x61is\nS2=\x80 Gr\xFC\xDF\x65\n");
  IniFile ini(path);
  EXPECT_EQ(ini.ReadString("Languages", "S1", ""), "Français");
  EXPECT_EQ(ini.ReadString("Languages", "S2", ""), "€ Grüße");
  ini.WriteString("Languages", "Language", "Français");
  ini.Flush();
  EXPECT_EQ(ReadBytes(path), "[Languages]\nS1=Français\nS2=€ Grüße\nLanguage=Français\n");
  const IniFile bom(Write("\xEF\xBB\xBF[A]\nb=ü\n", "bom.INI"));
  EXPECT_EQ(bom.ReadString("a", "B", ""), "ü");
}

}  // namespace
}  // namespace quarvel::testing
