#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "form/Ports.h"

namespace quarvel::testing {

// Message boxes answered from a script; every box shown is recorded word for
// word. A question with no scripted answer fails the test that asked it.
class FakeDialogs : public Dialogs {
 public:
  struct Shown {
    BoxKind kind;
    std::string text;
    Buttons buttons;
  };

  void Answer(quarvel::Answer answer) { answers_.push_back(answer); }
  void ChooseFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }

  quarvel::Answer Message(BoxKind kind, const std::string& text, Buttons buttons) override;
  std::optional<std::string> OpenFile(const OpenFileRequest& request) override;
  std::optional<std::string> SaveFile(const SaveFileRequest& request) override;
  Cursor CurrentCursor() const override { return cursor_; }
  void SetCursor(Cursor cursor) override { cursor_ = cursor; }
  void ProcessMessages() override { ++processed; }

  const std::vector<Shown>& shown() const { return shown_; }
  const Shown& Shown(std::size_t index) const { return shown_.at(index); }
  std::size_t Count() const { return shown_.size(); }
  void ClearShown() { shown_.clear(); }
  bool AllAnswersUsed() const { return answers_.empty() && files_.empty(); }

  std::vector<OpenFileRequest> openRequests;
  std::vector<SaveFileRequest> saveRequests;
  int processed = 0;
  int unansweredQuestions = 0;

 private:
  std::deque<quarvel::Answer> answers_;
  std::deque<std::optional<std::string>> files_;
  std::vector<struct Shown> shown_;
  Cursor cursor_ = Cursor::Normal;
};

class FakeSystem : public SystemInfo {
 public:
  int ScreenWidth() const override { return screenWidth; }
  int ScreenHeight() const override { return screenHeight; }
  OsVersion OperatingSystem() const override { return os; }
  std::string ExecutablePath() const override { return executablePath; }
  std::string UserConfigDir() const override { return userConfigDir; }

  int screenWidth = 1920;
  int screenHeight = 1080;
  OsVersion os{OsVersion::Platform::NonWindows, 6, 1, "Linux"};
  std::string executablePath;
  std::string userConfigDir;
};

class FakeRegistry : public SimulatorRegistry {
 public:
  std::string SimulatorPath() const override { return path; }
  std::string path;
};

}  // namespace quarvel::testing
