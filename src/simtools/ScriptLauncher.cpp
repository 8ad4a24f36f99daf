#include "simtools/ScriptLauncher.h"

#include <cerrno>
#include <cstdlib>

#include "common/Text.h"
#include "common/Utf8Path.h"
#include "simtools/WineRegistry.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace quarvel {

namespace fs = std::filesystem;

#ifdef _WIN32

std::string HostLauncher::PathForScript(const std::string& path) const {
  std::string windows = path;
  for (char& c : windows)
    if (c == '/') c = '\\';
  return windows;
}

bool HostLauncher::StartScript(const std::string& script) {
  // The wide call takes a program folder outside the ANSI code page too. The
  // batch file gets a console window of its own, and the program does not
  // wait for it; quoted twice, as cmd strips the outer quotes of /c.
  std::wstring commandLine = L"cmd.exe /c \"\"" + PathOf(PathForScript(script)).wstring() + L"\"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                        nullptr, nullptr, &startup, &started))
    return false;
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
  return true;
}

#else

fs::path WineLauncher::Prefix() const {
  return prefix_ ? *prefix_ : DefaultWinePrefix();
}

std::string WineLauncher::PathForScript(const std::string& path) const {
  return WineHostToWindowsPath(Prefix(), path);
}

std::vector<std::string> WineLauncher::Command(const std::string& script) const {
  std::vector<std::string> command = console_;
  command.push_back(PathForScript(script));
  return command;
}

std::optional<std::string> FindProgram(const std::string& name) {
  std::error_code error;
  auto runnable = [&](const fs::path& candidate) {
    return fs::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0;
  };
  if (name.empty()) return std::nullopt;
  if (name.find('/') != std::string::npos)
    return runnable(name) ? std::optional<std::string>(name) : std::nullopt;
  const char* path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "";
  while (!folders.empty()) {
    const std::size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    folders = colon == std::string_view::npos ? "" : folders.substr(colon + 1);
    const fs::path candidate = fs::path(folder.empty() ? "." : std::string(folder)) / name;
    if (runnable(candidate)) return candidate.string();
  }
  return std::nullopt;
}

namespace {

// Writes all of `size` bytes, as far as the pipe takes them.
void WriteAll(int fd, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
}

}  // namespace

bool WineLauncher::StartScript(const std::string& script) {
  const std::vector<std::string> command = Command(script);
  const std::optional<std::string> program = FindProgram(command.front());
  if (!program) return false;
  // Without one the console would end at once, unseen, and nothing be done.
  const char* display = std::getenv("DISPLAY");
  if (needsDisplay_ && (display == nullptr || *display == '\0')) return false;

  // Everything the children need is prepared here: between fork and exec
  // only the plainest system calls are safe in a program with threads.
  std::vector<char*> arguments;
  for (const std::string& argument : command)
    arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  const std::string prefixSetting = "WINEPREFIX=" + Prefix().string();
  std::vector<char*> environment;
  for (char** entry = environ; *entry != nullptr; ++entry)
    if (std::string_view(*entry).rfind("WINEPREFIX=", 0) != 0) environment.push_back(*entry);
  environment.push_back(const_cast<char*>(prefixSetting.c_str()));
  environment.push_back(nullptr);

  // The pipe stays silent and closes when the program has been started; a
  // child that could not start it writes its error number.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    ::close(report[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild != 0) {
      const int forkError = errno;
      if (grandchild < 0) WriteAll(report[1], &forkError, sizeof forkError);
      ::_exit(0);  // the grandchild is adopted and reaped by init
    }
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (nothing >= 0) ::dup2(nothing, STDIN_FILENO);
    ::execve(program->c_str(), arguments.data(), environment.data());
    const int execError = errno;
    WriteAll(report[1], &execError, sizeof execError);
    ::_exit(127);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int startError = 0;
  ssize_t got = 0;
  do {
    got = ::read(report[0], &startError, sizeof startError);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

#endif

}  // namespace quarvel
