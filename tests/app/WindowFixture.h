// The real window for Qt tests: started in a folder of its own with the
// shipped language file beside a made-up executable, over scripted dialogs
// that record every box word for word.
#pragma once
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/TQVForm.h"
#include "form/Ports.h"

namespace quarvel::apptest {

class ScriptedDialogs : public Dialogs {
 public:
  struct Shown {
    BoxKind kind;
    std::string text;
    Buttons buttons;
  };

  void Answer(quarvel::Answer answer) { answers_.push_back(answer); }

  quarvel::Answer Message(BoxKind kind, const std::string& text, Buttons buttons) override {
    shown.push_back({kind, text, buttons});
    if (buttons == Buttons::Ok) return quarvel::Answer::Ok;
    if (answers_.empty()) {
      ++unanswered;
      return buttons == Buttons::YesNoCancel ? quarvel::Answer::Cancel : quarvel::Answer::No;
    }
    const quarvel::Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  // The file dialogs answer with the next scripted path, or are cancelled.
  void ChooseFile(std::string path) { files_.push_back(std::move(path)); }
  std::optional<std::string> OpenFile(const OpenFileRequest&) override {
    ++openDialogs;
    return NextFile();
  }
  std::optional<std::string> SaveFile(const SaveFileRequest&) override {
    ++saveDialogs;
    return NextFile();
  }
  int openDialogs = 0;
  int saveDialogs = 0;
  Cursor CurrentCursor() const override { return cursor_; }
  void SetCursor(Cursor cursor) override { cursor_ = cursor; }
  void ProcessMessages() override { ++processed; }

  std::vector<Shown> shown;
  int unanswered = 0;
  int processed = 0;

 private:
  std::optional<std::string> NextFile() {
    if (files_.empty()) return std::nullopt;
    std::string path = files_.front();
    files_.pop_front();
    return path;
  }

  std::deque<quarvel::Answer> answers_;
  std::deque<std::string> files_;
  Cursor cursor_ = Cursor::Normal;
};

class ScriptedSystem : public SystemInfo {
 public:
  int ScreenWidth() const override { return 1920; }
  int ScreenHeight() const override { return 1080; }
  OsVersion OperatingSystem() const override {
    return {OsVersion::Platform::NonWindows, 6, 1, "Linux"};
  }
  std::string ExecutablePath() const override { return executablePath; }
  std::string UserConfigDir() const override { return executablePath + ".config"; }
  std::string executablePath;
};

class NoSimulator : public SimulatorRegistry {
 public:
  std::string SimulatorPath() const override { return ""; }
};

struct WindowFixture {
  // `folder`: where the program lives; a second window in the same folder
  // starts with the program INI the first one left.
  explicit WindowFixture(const QString& folder = QString()) {
    if (!folder.isEmpty()) home = folder;
    system.executablePath = QDir(Home()).filePath(QStringLiteral("quarvel")).toStdString();
    const QString language = QDir(Home()).filePath(QStringLiteral("Quarvel_L.INI"));
    QFile::copy(QStringLiteral(QUARVEL_SOURCE_DIR "/lang/Quarvel_L.INI"), language);
    QFile::setPermissions(language, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    window = std::make_unique<TQVForm>(FormPorts{dialogs, system, registry});
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }

  Form& form() { return window->form(); }
  template <typename T>
  T* Find(const char* name) const {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  QString Home() const { return home.isEmpty() ? dir.path() : home; }
  QString ProgramIniPath() const { return QDir(Home()).filePath(QStringLiteral("quarvel.INI")); }

  // Types `text` key by key into whatever has the focus, starting at `start`:
  // the first key may open an editor that takes the rest.
  static void Type(QWidget* start, const QString& text) {
    for (const QChar c : text) {
      QWidget* target =
          QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : start;
      QTest::keyClick(target, c.toLatin1());
    }
  }

  QTemporaryDir dir;
  QString home;
  ScriptedDialogs dialogs;
  ScriptedSystem system;
  NoSimulator registry;
  std::unique_ptr<TQVForm> window;
};

}  // namespace quarvel::apptest
