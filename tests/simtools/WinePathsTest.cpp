// Paths between the host and the drives of a Wine prefix, both ways.
#include <gtest/gtest.h>

#include <filesystem>

#include "simtools/WineRegistry.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

// A prefix as Wine lays it out: C: its own folder, D: a folder elsewhere that
// lies inside what Z: (the root) reaches, E: a folder below D:'s.
struct HandMadePrefix {
  HandMadePrefix() {
    const fs::path devices = prefix.path() / "dosdevices";
    fs::create_directories(devices);
    fs::create_directories(prefix.path() / "drive_c" / "Program Files" / "Train Simulator");
    fs::create_directories(games.path() / "MSTS" / "Trains");
    fs::create_directories(games.path() / "MSTS" / "Utils");
    fs::create_symlink("../drive_c", devices / "c:");
    fs::create_symlink(games.path(), devices / "d:");
    fs::create_symlink(games.path() / "MSTS" / "Utils", devices / "e:");
    fs::create_symlink("/", devices / "z:");
    fs::create_symlink("/dev/ttyS0", devices / "com1");
  }
  std::string Host(const std::string& path) const {
    return WineHostToWindowsPath(prefix.path(), path);
  }
  std::string Wine(const std::string& path) const {
    return WindowsPathToWineHost(prefix.path(), path);
  }

  TempDir prefix;
  TempDir games;
};

TEST(WinePaths, HostPathsGetTheDriveWithTheLongestTarget) {
  HandMadePrefix p;
  const std::string games = p.games.path().string();
  const std::string driveC = (p.prefix.path() / "drive_c").string();

  EXPECT_EQ(p.Host(driveC + "/Program Files/Train Simulator/utils/ffeditc_unicode.exe"),
            "C:\\Program Files\\Train Simulator\\utils\\ffeditc_unicode.exe");
  EXPECT_EQ(p.Host(games + "/MSTS/Trains/lok.s"), "D:\\MSTS\\Trains\\lok.s");
  EXPECT_EQ(p.Host(games + "/MSTS/Utils/ffeditc_unicode.exe"), "E:\\ffeditc_unicode.exe")
      << "E: reaches further than D: and Z:";
  EXPECT_EQ(p.Host(games), "D:\\");
  EXPECT_EQ(p.Host(games + "/MSTSX/lok.s"), "D:\\MSTSX\\lok.s");
  // Only whole folder names count: ".../MSTS/Utils2" is not below E:.
  EXPECT_EQ(p.Host(games + "/MSTS/Utils2/x.s"), "D:\\MSTS\\Utils2\\x.s");
  EXPECT_EQ(p.Host("/usr/share/Mein Modell.s"), "Z:\\usr\\share\\Mein Modell.s");
  // Through the drive links themselves, and with "." and ".." on the way.
  EXPECT_EQ(p.Host((p.prefix.path() / "dosdevices" / "c:" / "Program Files").string()),
            "C:\\Program Files");
  EXPECT_EQ(p.Host(games + "/MSTS/Trains/../Utils/./a.s"), "E:\\a.s");

  // A prefix without the root drive still names the host's root Z:, and one
  // without any links has its system drive.
  fs::remove(p.prefix.path() / "dosdevices" / "z:");
  EXPECT_EQ(p.Host("/usr/share/a.s"), "Z:\\usr\\share\\a.s");
  TempDir bare;
  EXPECT_EQ(WineHostToWindowsPath(bare.path(), (bare.path() / "drive_c" / "MSTS").string()),
            "C:\\MSTS");
}

TEST(WinePaths, BothWaysMeetOnEveryDrive) {
  HandMadePrefix p;
  const std::string games = p.games.path().string();
  for (const std::string& host :
       {(p.prefix.path() / "drive_c" / "Program Files" / "Train Simulator").string(),
        games + "/MSTS/Trains", games + "/MSTS/Utils", std::string("/usr/share")})
    EXPECT_EQ(p.Wine(p.Host(host)), host) << host;
  for (const char* windows : {"C:\\Program Files\\Train Simulator", "D:\\MSTS\\Trains",
                              "E:\\ffeditc_unicode.exe", "D:\\MSTS\\Neu\\lok.s"})
    EXPECT_EQ(p.Host(p.Wine(windows)), windows) << windows;
}

}  // namespace
}  // namespace quarvel::testing
