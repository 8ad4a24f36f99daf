// Starting batch files through Wine without waiting for them, with a shell
// script standing in for Wine's console.
#include "simtools/ScriptLauncher.h"
#include "simtools/WineRegistry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/FormFixture.h"
#include "support/ScopedEnvironment.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

// Waits (boundedly) until `path` holds a line end, then gives its text.
std::string AwaitReport(const std::string& path) {
  for (int tenth = 0; tenth < 300; ++tenth) {
    const std::string text = ReadBytes(path);
    if (!text.empty() && text.back() == '\n') return text;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return "";
}

TEST(ScriptLauncher, StartsDetachedWithThePrefixAndTheBatchFilesWinePath) {
  TempDir dir;
  fs::create_directories(dir.path() / "prefix" / "dosdevices");
  fs::create_symlink("/", dir.path() / "prefix" / "dosdevices" / "z:");
  const std::string go = dir.File("go"), report = dir.File("report");
  // The console stand-in waits until the test has seen the start return,
  // then notes its parent, its session, what it was given and its input.
  const std::string console =
      "for i in $(seq 100); do [ -e '" + go +
      "' ] && break; sleep 0.1; done; "
      "read -r line; input=$?; "
      "printf '%s|%s|%s|%s|%s|%s\\n' \"$([ -e '" +
      go +
      "' ] && echo went || echo waited)\" "
      "\"$PPID\" \"$(ps -o sid= -p $$ | tr -d ' ')\" \"$WINEPREFIX\" \"$1\" \"$input\" > '" +
      report + ".part' && mv '" + report + ".part' '" + report + "'";
  WineLauncher launcher(dir.path() / "prefix", {"/bin/sh", "-c", console, "console"}, false);
  ScopedEnvironment otherPrefix("WINEPREFIX", std::string("/elsewhere"));

  const std::string script = dir.File("Mein Ordner/temp.bat");
  ASSERT_TRUE(launcher.StartScript(script));
  WriteBytes(go, "");
  const std::string text = AwaitReport(report);
  ASSERT_FALSE(text.empty()) << "the console never reported";

  std::vector<std::string> fields;
  for (std::size_t at = 0, bar; (bar = text.find_first_of("|\n", at)) != std::string::npos;
       at = bar + 1)
    fields.push_back(text.substr(at, bar - at));
  ASSERT_EQ(fields.size(), 6u) << text;
  std::string windowsScript = "Z:" + script;
  for (char& c : windowsScript)
    if (c == '/') c = '\\';
  EXPECT_EQ(fields[0], "went") << "the start waited for the console";
  EXPECT_NE(fields[1], std::to_string(::getpid())) << "the console is no child of the program";
  EXPECT_FALSE(fields[2].empty());
  EXPECT_NE(fields[2], std::to_string(::getsid(0))) << "the console has a session of its own";
  EXPECT_EQ(fields[3], (dir.path() / "prefix").string());
  EXPECT_EQ(fields[4], windowsScript);
  EXPECT_EQ(fields[5], "1") << "the console's input ends at once";
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "a child is left to be reaped";
  EXPECT_EQ(errno, ECHILD);
}

TEST(ScriptLauncher, FailsWithoutTheConsoleProgramOrADisplay) {
  TempDir dir;
  WineLauncher missing(dir.path(), {"quarvel-no-such-console"}, false);
  EXPECT_FALSE(missing.StartScript(dir.File("temp.bat")));
  WriteBytes(dir.File("not-runnable"), "#!/bin/sh\n");
  WineLauncher notRunnable(dir.path(), {dir.File("not-runnable")}, false);
  EXPECT_FALSE(notRunnable.StartScript(dir.File("temp.bat")));

  {
    ScopedEnvironment noDisplay("DISPLAY", std::nullopt);
    WineLauncher window(dir.path(), {"/bin/true"}, true);
    EXPECT_FALSE(window.StartScript(dir.File("temp.bat")));
  }
  ScopedEnvironment display("DISPLAY", std::string(":0"));
  WineLauncher window(dir.path(), {"/bin/true"}, true);
  EXPECT_TRUE(window.StartScript(dir.File("temp.bat")));
  EXPECT_EQ(window.Command(dir.File("a b.bat")),
            (std::vector<std::string>{"/bin/true",
                                      WineHostToWindowsPath(dir.path(), dir.File("a b.bat"))}));
}

}  // namespace
}  // namespace quarvel::testing
