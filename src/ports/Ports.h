#pragma once
#include <optional>
#include <string>

namespace quarvel {

// Everything the session and the window model need from the platform. The
// window implements these with Qt, the command-line program with answers
// from its arguments, and the tests with scripted fakes.

enum class BoxKind { Information, Warning, Error, Confirmation };
enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };
enum class Cursor { Normal, Busy };

struct OpenFileRequest {
  std::string initialDir;
  std::string fileName;  // preset name
  std::string filter;    // "description|pattern|description|pattern..."
  bool mustExist = true;
};

struct SaveFileRequest {
  std::string initialDir;
  std::string fileName;
  std::string filter;
  int filterIndex = 0;  // the entry of `filter` chosen at first
  bool askBeforeOverwrite = true;
};

struct SavedFileChoice {
  std::string path;
  int filterIndex = 0;  // the entry of the request's filter chosen at the end
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A modal message box; returns the button pressed (closing a box counts as
  // Cancel, or as No when there is no Cancel).
  virtual Answer Message(BoxKind kind, const std::string& text, Buttons buttons) = 0;
  virtual std::optional<std::string> OpenFile(const OpenFileRequest& request) = 0;
  virtual std::optional<SavedFileChoice> SaveFile(const SaveFileRequest& request) = 0;
  virtual Cursor CurrentCursor() const = 0;
  virtual void SetCursor(Cursor cursor) = 0;
  // Lets the window repaint (labels, progress) while a long command runs.
  virtual void ProcessMessages() = 0;
};

struct OsVersion {
  // Win32s stands for any Windows platform that is neither NT nor 95;
  // NonWindows for the systems the program also runs on (Linux first).
  enum class Platform { WindowsNT, Windows95, Win32s, NonWindows } platform = Platform::NonWindows;
  int major = 0;
  int minor = 0;
  std::string name;  // the system's own name, where it has one (Linux, Windows 10)
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  virtual OsVersion OperatingSystem() const = 0;
  // The full path of the running executable; the program INI and the language
  // file live beside it.
  virtual std::string ExecutablePath() const = 0;
  // Folder for the program INI when the executable's folder is not writable.
  virtual std::string UserConfigDir() const = 0;
  // Now, in the system's short date and long time formats: date, blank, time.
  virtual std::string DateTimeText() const = 0;
};

class SimulatorRegistry {
 public:
  virtual ~SimulatorRegistry() = default;
  // The simulator's installation folder without a trailing separator, or "".
  virtual std::string SimulatorPath() const = 0;
};

// Starts batch files the way the system runs them, without waiting.
class Launcher {
 public:
  virtual ~Launcher() = default;
  // How the batch files this launcher starts name the file at `path`: the
  // path itself on Windows, its drive path in the Wine prefix elsewhere.
  virtual std::string PathForScript(const std::string& path) const = 0;
  // Starts the batch file at `script` in a console window the user can read
  // and returns at once. False when it could not be started.
  virtual bool StartScript(const std::string& script) = 0;
};

// RAII: shows the busy cursor and puts back the one it found on every way out.
class BusyCursor {
 public:
  explicit BusyCursor(Dialogs& dialogs) : dialogs_(dialogs), saved_(dialogs.CurrentCursor()) {
    dialogs_.SetCursor(Cursor::Busy);
  }
  ~BusyCursor() { dialogs_.SetCursor(saved_); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  Dialogs& dialogs_;
  Cursor saved_;
};

}  // namespace quarvel
