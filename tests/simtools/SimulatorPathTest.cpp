// Where the simulator is installed: the Wine registry of the user's prefix,
// its drive letters, and the folders below the installation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "simtools/SimulatorPath.h"
#include "simtools/WineRegistry.h"
#include "support/FileSystem.h"
#include "support/FormFixture.h"
#include "support/ScopedEnvironment.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

// A registry file as Wine writes it, holding `body` among other keys.
std::string RegistryFile(const std::string& body) {
  return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
         "[Software\\\\Microsoft\\\\DirectX] 1712345678\n#time=1da8c1e2b3c4d5e\n"
         "\"EXE Path\"=\"C:\\\\wrong\"\n\n" +
         body + "\n[Software\\\\Wine] 1712345678\n\"Version\"=\"win10\"\n";
}

const std::string kNativeKey =
    "[Software\\\\Microsoft\\\\Microsoft Games\\\\Train Simulator\\\\1.0] 1712345678\n";
const std::string kWowKey =
    "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Train Simulator\\\\1.0] "
    "1712345678\n";

std::optional<std::string> ReadExePath(const TempDir& dir, const std::string& body) {
  WriteBytes(dir.File("system.reg"), RegistryFile(body));
  return ReadWineRegistryString(dir.path() / "system.reg",
                                {kSimulatorRegistryKey32, kSimulatorRegistryKey}, "EXE Path");
}

TEST(WineRegistry, ReadsTheSimulatorsStringValue) {
  TempDir dir;
  // Escaped backslashes and quotes, a character outside ASCII, other values
  // around it; names match without regard to case.
  EXPECT_EQ(
      ReadExePath(dir, kNativeKey + "\"Path\"=\"C:\\\\other\"\n@=\"default\"\n"
                                    "\"exe path\"=\"C:\\\\Spiele\\\\M\\x00fcller \\\"TS\\\"\"\n"
                                    "\"Count\"=dword:00000001\n"),
      "C:\\Spiele\\Müller \"TS\"");

  // The 32-bit view wins: it is what the simulator's own set-up wrote.
  EXPECT_EQ(ReadExePath(dir, kNativeKey + "\"EXE Path\"=\"C:\\\\native\"\n\n" + kWowKey +
                                 "\"EXE Path\"=\"C:\\\\wow\"\n"),
            "C:\\wow");
  EXPECT_EQ(ReadExePath(dir, kWowKey + "\"EXE Path\"=\"D:\\\\MSTS\"\n"), "D:\\MSTS");

  // No key, a key without the value, a value that is no plain string, a key
  // whose name merely begins like the wanted one, no registry file.
  EXPECT_EQ(ReadExePath(dir, ""), std::nullopt);
  EXPECT_EQ(ReadExePath(dir, kNativeKey + "\"Path\"=\"C:\\\\x\"\n"), std::nullopt);
  EXPECT_EQ(ReadExePath(dir, kNativeKey + "\"EXE Path\"=str(2):\"%ProgramFiles%\\\\MSTS\"\n"
                                          "\"EXE Path\"=hex:43,00,3a,00,\\\n  5c,00\n"),
            std::nullopt);
  EXPECT_EQ(ReadExePath(dir,
                        "[Software\\\\Microsoft\\\\Microsoft Games\\\\Train Simulator\\\\1.0"
                        "\\\\Sub] 1\n\"EXE Path\"=\"C:\\\\sub\"\n"),
            std::nullopt);
  EXPECT_EQ(ReadWineRegistryString(dir.path() / "absent.reg", {kSimulatorRegistryKey}, "EXE Path"),
            std::nullopt);
}

TEST(WineRegistry, MapsWindowsPathsThroughTheDriveLinks) {
  TempDir prefix;
  fs::create_directories(prefix.path() / "drive_c" / "Program Files" / "Train Simulator");
  fs::create_directories(prefix.path() / "elsewhere" / "Games");
  fs::create_directories(prefix.path() / "dosdevices");
  SKIP_ON_WINDOWS("symbolic links need a privilege there");
  fs::create_symlink("../drive_c", prefix.path() / "dosdevices" / "c:");
  fs::create_symlink(prefix.path() / "elsewhere", prefix.path() / "dosdevices" / "d:");

  const std::string driveC = (prefix.path() / "drive_c").string();
  EXPECT_EQ(WindowsPathToWineHost(prefix.path(), "C:\\Program Files\\Train Simulator"),
            driveC + "/Program Files/Train Simulator");
  // Windows does not care about case, and neither does the mapping where
  // the folder exists; a trailing separator goes.
  EXPECT_EQ(WindowsPathToWineHost(prefix.path(), "c:\\PROGRAM FILES\\train simulator\\"),
            driveC + "/Program Files/Train Simulator");
  EXPECT_EQ(WindowsPathToWineHost(prefix.path(), "D:\\games\\MSTS"),
            (prefix.path() / "elsewhere" / "Games" / "MSTS").string());
  for (const char* unmapped : {"E:\\MSTS", "\\\\server\\share\\MSTS", "MSTS"})
    EXPECT_EQ(WindowsPathToWineHost(prefix.path(), unmapped), "") << unmapped;

  // A prefix without drive links still has its system drive.
  TempDir bare;
  EXPECT_EQ(WindowsPathToWineHost(bare.path(), "C:\\MSTS"),
            (bare.path() / "drive_c" / "MSTS").string());
  EXPECT_EQ(WindowsPathToWineHost(bare.path(), "D:\\MSTS"), "");
}

TEST(WineRegistry, TheSimulatorPathIsReadAfreshAndTheEnvironmentOverridesIt) {
  TempDir prefix;
  WineSimulatorRegistry registry(prefix.path());
  EXPECT_EQ(registry.SimulatorPath(), "");  // no registry file at all
  WriteBytes(prefix.File("system.reg"), RegistryFile(kWowKey + "\"EXE Path\"=\"C:\\\\MSTS\"\n"));
  const std::string installed = (prefix.path() / "drive_c" / "MSTS").string();
  EXPECT_EQ(registry.SimulatorPath(), installed);

  ScopedEnvironment winePrefix("WINEPREFIX", prefix.path().string());
  {
    ScopedEnvironment override(kSimulatorPathVariable, std::string("/opt/msts//"));
    EXPECT_EQ(HostSimulatorRegistry().SimulatorPath(), "/opt/msts");
  }
#ifndef _WIN32
  const std::optional<std::string> unset[] = {std::nullopt, std::string()};
  for (const auto& value : unset) {
    ScopedEnvironment override(kSimulatorPathVariable, value);  // "" is as good as unset
    EXPECT_EQ(HostSimulatorRegistry().SimulatorPath(), installed);
  }
#endif
  WriteBytes(prefix.File("system.reg"), RegistryFile(""));
  EXPECT_EQ(registry.SimulatorPath(), "");
}

TEST(JoinSimulatorPath, BuildsTheFoldersBelowTheInstallation) {
#ifdef _WIN32
  EXPECT_EQ(
      JoinSimulatorPath("C:\\Programme\\Microsoft Games\\Train Simulator", "\\trains\\trainset"),
      "C:\\Programme\\Microsoft Games\\Train Simulator\\trains\\trainset");
  EXPECT_EQ(JoinSimulatorPath("", "\\trains\\trainset"), "\\trains\\trainset");
#else
  TempDir msts;
  fs::create_directories(msts.path() / "TRAINS" / "TRAINSET");
  fs::create_directories(msts.path() / "Utils" / "FFEdit");
  const std::string base = msts.path().string();
  EXPECT_EQ(JoinSimulatorPath(base, "\\trains\\trainset"), base + "/TRAINS/TRAINSET");
  // Missing parts keep the spelling they were asked for.
  EXPECT_EQ(JoinSimulatorPath(base, "\\utils\\ffedit\\ffeditc_unicode.exe"),
            base + "/Utils/FFEdit/ffeditc_unicode.exe");
  EXPECT_EQ(JoinSimulatorPath(base + "/", "\\sound"), base + "/sound");
  EXPECT_EQ(JoinSimulatorPath("", "\\trains\\trainset"), "");
#endif
}

}  // namespace
}  // namespace quarvel::testing
