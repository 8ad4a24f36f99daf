// The whole conversion under Wine: a throwaway prefix with the simulator
// registered in it, a stand-in for its converter built for Windows, the
// command run from the form, and the batch file started by the launcher the
// window uses, with a console that needs no display.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "form/Form.h"
#include "simtools/ScriptLauncher.h"
#include "simtools/WineRegistry.h"
#include "support/FormFixture.h"
#include "support/ScopedEnvironment.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCrossCompiler = "x86_64-w64-mingw32-gcc";

int Shell(const std::string& command) {
  return std::system(command.c_str());
}

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

// Ends every Wine process of the prefix, however the test ends.
struct WineServerStop {
  ~WineServerStop() { Shell("wineserver -k >/dev/null 2>&1"); }
};

TEST(WineCompression, TheChosenShapeIsReplacedByTheConvertersOutput) {
  if (!FindProgram("wine") || !FindProgram("wineserver") || !FindProgram("wineboot"))
    GTEST_SKIP() << "Wine is not installed (Debian: wine wine64)";
  if (!FindProgram(kCrossCompiler))
    GTEST_SKIP() << kCrossCompiler << " is not installed (Debian: gcc-mingw-w64-x86-64-win32)";

  TempDir prefix;
  ScopedEnvironment winePrefix("WINEPREFIX", prefix.path().string());
  ScopedEnvironment quiet("WINEDEBUG", std::string("-all"));
  // No .NET or browser engine to be offered, no window to be opened.
  ScopedEnvironment noAddOns("WINEDLLOVERRIDES", std::string("mscoree,mshtml="));
  ScopedEnvironment noDisplay("DISPLAY", std::nullopt);
  WineServerStop stop;
  ASSERT_EQ(Shell("wineboot -i >/dev/null 2>&1 && wineserver -w"), 0) << "no Wine prefix";

  // The simulator's set-up records its folder; Wine reads its registry
  // afresh when the server starts again.
  const fs::path simulator = prefix.path() / "drive_c" / "Program Files" / "Train Simulator";
  const fs::path utilityFolder = simulator / "UTILS" / "FFEDIT";
  fs::create_directories(utilityFolder);
  std::string registry = ReadBytes(prefix.File("system.reg"));
  registry +=
      "\n[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Train Simulator\\\\1.0] "
      "1712345678\n\"EXE Path\"=\"C:\\\\Program Files\\\\Train Simulator\"\n";
  WriteBytes(prefix.File("system.reg"), registry);
  ASSERT_EQ(Shell(std::string(kCrossCompiler) + " -O2 -o " +
                  Quoted(utilityFolder / "ffeditc_unicode.exe") + " " +
                  Quoted(QUARVEL_TEST_DATA "/simtools/ffeditc_standin.c")),
            0);

  // A shape outside the prefix (on Z:), in a folder with a blank.
  FormFixture f("", false);
  fs::create_directories(f.dir.path() / "Meine Modelle");
  const std::string shape = f.dir.File("Meine Modelle/Lok 1.s");
  const std::string original("\xFF\xFEs\0i\0m\0i\0s\0a\0\r\0\n\0", 18);
  WriteBytes(shape, original);
  WriteBytes((utilityFolder / "temp.s").string(), "stale");

  WineSimulatorRegistry wineRegistry(prefix.path());
  WineLauncher launcher(prefix.path(), {"wine", "cmd", "/c"}, false);
  Form form(FormPorts{f.dialogs, f.system, wineRegistry, launcher});
  form.FormCreate();
  f.dialogs.ChooseFile(shape);
  ASSERT_TRUE(form.Run([&] { form.CompressButtonClick(); }));
  EXPECT_EQ(f.dialogs.Count(), 0u) << f.dialogs.Shown(0).text;

  // The command returned at once; the batch file runs on its own, and the
  // shape changes when it moves the converter's output over it.
  std::string converted = original;
  converted[2] = 'C';
  for (int tenth = 0; tenth < 1200 && ReadBytes(shape) == original; ++tenth)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_EQ(Shell("timeout 120 wineserver -w"), 0) << "the batch file did not end";
  EXPECT_EQ(ReadBytes(shape), converted);
  EXPECT_FALSE(fs::exists(utilityFolder / "temp.s")) << "moved over the shape";
}

}  // namespace
}  // namespace quarvel::testing
