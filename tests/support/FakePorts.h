// Scripted ports for the headless form and for the real window alike: message
// boxes answered from a script and recorded word for word, file dialogs that
// return scripted paths, a made-up system, no simulator, a launcher that
// notes the batch files it is asked to start and a printer that keeps what it
// is given.
#pragma once
#include <deque>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "ports/Ports.h"
#include "ports/Printer.h"

namespace quarvel::testing {

class FakeDialogs : public Dialogs {
 public:
  struct Box {
    BoxKind kind;
    std::string text;
    Buttons buttons;
  };

  void Answer(quarvel::Answer answer) { answers_.push_back(answer); }
  void ChooseFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }
  // The next save dialog also ends with this entry of its filter chosen.
  void ChooseFilter(int index) { filters_.push_back(index); }

  // A question without a scripted answer is closed (Cancel, else No) and
  // noted in `unexpected`, which the fixtures turn into a failure.
  quarvel::Answer Message(BoxKind kind, const std::string& text, Buttons buttons) override {
    shown.push_back({kind, text, buttons});
    if (buttons == Buttons::Ok) return quarvel::Answer::Ok;
    if (answers_.empty()) {
      unexpected.push_back("question: " + text);
      return buttons == Buttons::YesNoCancel ? quarvel::Answer::Cancel : quarvel::Answer::No;
    }
    const quarvel::Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  std::optional<std::string> OpenFile(const OpenFileRequest& request) override {
    openRequests.push_back(request);
    return NextFile("open dialog");
  }
  std::optional<SavedFileChoice> SaveFile(const SaveFileRequest& request) override {
    saveRequests.push_back(request);
    std::optional<std::string> path = NextFile("save dialog");
    int filter = request.filterIndex;
    if (!filters_.empty()) {
      filter = filters_.front();
      filters_.pop_front();
    }
    if (!path) return std::nullopt;
    return SavedFileChoice{*path, filter};
  }
  Cursor CurrentCursor() const override { return cursor_; }
  void SetCursor(Cursor cursor) override { cursor_ = cursor; }
  void ProcessMessages() override { ++processed; }

  const Box& Shown(std::size_t index) const { return shown.at(index); }
  std::size_t Count() const { return shown.size(); }
  bool AllAnswersUsed() const { return answers_.empty() && files_.empty() && filters_.empty(); }

  std::vector<Box> shown;
  std::vector<OpenFileRequest> openRequests;
  std::vector<SaveFileRequest> saveRequests;
  std::vector<std::string> unexpected;
  int processed = 0;

 private:
  std::optional<std::string> NextFile(const char* what) {
    if (files_.empty()) {
      unexpected.push_back(what);
      return std::nullopt;
    }
    auto file = files_.front();
    files_.pop_front();
    return file;
  }

  std::deque<quarvel::Answer> answers_;
  std::deque<std::optional<std::string>> files_;
  std::deque<int> filters_;
  Cursor cursor_ = Cursor::Normal;
};

class FakeSystem : public SystemInfo {
 public:
  int ScreenWidth() const override { return screenWidth; }
  int ScreenHeight() const override { return screenHeight; }
  OsVersion OperatingSystem() const override { return os; }
  std::string ExecutablePath() const override { return executablePath; }
  std::string UserConfigDir() const override { return userConfigDir; }
  std::string DateTimeText() const override { return dateTime; }

  int screenWidth = 1920;
  int screenHeight = 1080;
  OsVersion os{OsVersion::Platform::NonWindows, 6, 1, "Linux"};
  std::string executablePath;
  std::string userConfigDir;
  std::string dateTime = "24.12.2024 18:30:05";
};

// Keeps every text drawn with its page, place and boldness.
class FakePrinter : public Printer {
 public:
  struct Text {
    int page;
    int x, y;
    std::string text;
    bool bold;
  };

  void SelectDefaultPrinter() override {
    if (!hasDefaultPrinter) throw NoDefaultPrinterError();
  }
  void SetLandscape() override { landscape = true; }
  void BeginDoc() override {
    texts.clear();
    page_ = 1;
    ended = aborted = false;
  }
  void NewPage() override { ++page_; }
  void SetFont(const PrintFont& chosen) override { font = chosen; }
  void TextOut(int x, int y, const std::string& text) override {
    texts.push_back({page_, x, y, text, font.bold});
  }
  int PrintableHeightMm() const override { return landscape ? landscapeHeightMm : heightMm; }
  int PageNumber() const override { return page_; }
  void EndDoc() override { ended = true; }
  void Abort() override { aborted = true; }

  int Pages() const { return texts.empty() ? 0 : texts.back().page; }
  // The text drawn on line `line` (y = 43 line) of page `page`, "" if none.
  std::string At(int page, int line) const {
    for (const Text& text : texts)
      if (text.page == page && text.y == 43 * line) return text.text;
    return "";
  }

  bool hasDefaultPrinter = true;
  int heightMm = 287;  // of the printable area upright
  int landscapeHeightMm = 200;
  bool landscape = false;
  bool ended = false;
  bool aborted = false;
  std::vector<Text> texts;
  PrintFont font;  // the current one

 private:
  int page_ = 0;
};

class FakeRegistry : public SimulatorRegistry {
 public:
  std::string SimulatorPath() const override { return path; }
  std::string path;
};

// Names files for batch files the way Wine does for a prefix whose only
// drive is Z: (the host's root), and starts nothing: it notes each batch
// file with its bytes at the moment of the start, and reports `startWorks`.
class FakeLauncher : public Launcher {
 public:
  struct Start {
    std::string script;
    std::string bytes;
  };

  std::string PathForScript(const std::string& path) const override {
    std::string windows = "Z:" + path;
    for (char& c : windows)
      if (c == '/') c = '\\';
    return windows;
  }
  bool StartScript(const std::string& script) override {
    std::ifstream in(script, std::ios::binary);
    starts.push_back({script, std::string(std::istreambuf_iterator<char>(in), {})});
    return startWorks;
  }

  bool startWorks = true;
  std::vector<Start> starts;
};

}  // namespace quarvel::testing
