#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ports/Ports.h"

namespace quarvel {

#ifndef _WIN32
// Runs batch files through Wine: the file's paths are mapped to the drives
// of the Wine prefix, and the batch file is started in a Wine console window
// in a session of its own, so that it goes on when the program goes on (or
// ends) and leaves no process behind to be reaped.
class WineLauncher : public Launcher {
 public:
  // The program (with its leading arguments) that shows a batch file's
  // output in a window and waits for its "pause". It needs a display.
  static std::vector<std::string> DefaultConsole() { return {"wineconsole"}; }

  // The user's prefix ($WINEPREFIX, else ~/.wine), looked up at every call,
  // and the default console.
  WineLauncher() = default;
  // `needsDisplay`: whether `console` can only start on a graphical display.
  WineLauncher(std::filesystem::path prefix, std::vector<std::string> console, bool needsDisplay)
      : prefix_(std::move(prefix)), console_(std::move(console)), needsDisplay_(needsDisplay) {}

  std::string PathForScript(const std::string& path) const override;
  // False when the console program is not installed, cannot be run, or has
  // no display to show its window on. The
  // prefix goes to Wine as $WINEPREFIX; standard input is cut off, so that
  // nothing started here reads the terminal the program was started from.
  bool StartScript(const std::string& script) override;

  // The command line that runs `script`: the console program, its
  // arguments, and the batch file's path as Wine names it.
  std::vector<std::string> Command(const std::string& script) const;
  std::filesystem::path Prefix() const;

 private:
  std::optional<std::filesystem::path> prefix_;
  std::vector<std::string> console_ = DefaultConsole();
  bool needsDisplay_ = true;
};

// The program on the search path ($PATH) that `name` calls, or nothing;
// a name with a slash is taken as a path.
std::optional<std::string> FindProgram(const std::string& name);

#endif

// How the window starts batch files on this system: WinExec on Windows,
// Wine elsewhere.
#ifdef _WIN32
class HostLauncher : public Launcher {
 public:
  std::string PathForScript(const std::string& path) const override;
  bool StartScript(const std::string& script) override;
};
#else
class HostLauncher : public WineLauncher {};
#endif

}  // namespace quarvel
