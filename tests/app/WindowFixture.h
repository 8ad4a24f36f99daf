// The real window for Qt tests: started in a folder of its own with the
// shipped language file beside a made-up executable, over the scripted ports
// the headless tests use.
#pragma once
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/TQVForm.h"
#include "support/FakePorts.h"

namespace quarvel::apptest {

struct WindowFixture {
  // `folder`: where the program lives; a second window in the same folder
  // starts with the program INI the first one left. `realDialogs`: message
  // boxes and file dialogs of the caller's choosing instead of the scripted
  // ones (the window's own Qt dialogs, say); `printer`: the window's default
  // printer instead of one that keeps what it is given.
  explicit WindowFixture(const QString& folder = QString(), Dialogs* realDialogs = nullptr,
                         Printer* printer = nullptr)
      : home(folder) {
    const QDir programDir(home.isEmpty() ? dir.path() : home);
    system.executablePath = programDir.filePath(QStringLiteral("quarvel")).toStdString();
    system.userConfigDir = system.executablePath + ".config";
    const QString language = programDir.filePath(QStringLiteral("Quarvel_L.INI"));
    QFile::copy(QStringLiteral(QUARVEL_SOURCE_DIR "/lang/Quarvel_L.INI"), language);
    QFile::setPermissions(language, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    window = std::make_unique<TQVForm>(FormPorts{realDialogs != nullptr ? *realDialogs : dialogs,
                                                 system, registry, launcher,
                                                 printer != nullptr ? *printer : fakePrinter});
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }

  // As in the headless tests, a question nobody scripted and an answer nobody
  // asked for fail the test.
  ~WindowFixture() {
    for (const std::string& what : dialogs.unexpected)
      QTest::qFail(("unexpected " + what).c_str(), __FILE__, __LINE__);
    if (!dialogs.AllAnswersUsed())
      QTest::qFail("a scripted answer or file was never asked for", __FILE__, __LINE__);
  }

  Form& form() { return window->form(); }
  template <typename T>
  T* Find(const char* name) const {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  QString ProgramIniPath() const {
    return QDir(home.isEmpty() ? dir.path() : home).filePath(QStringLiteral("quarvel.INI"));
  }

  // Types `text` key by key into whatever has the focus, starting at `start`:
  // the first key may open an editor that takes the rest.
  static void Type(QWidget* start, const QString& text) {
    for (const QChar c : text) {
      QWidget* target =
          QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : start;
      QTest::keyClick(target, c.toLatin1());
    }
  }

  // The controls Tab reaches from `start`, one press each; a control
  // without a name by its class.
  static QStringList TabFrom(QWidget* start, int presses) {
    start->setFocus();
    QStringList visited;
    for (int i = 0; i < presses; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* focus = QApplication::focusWidget();
      visited << (focus->objectName().isEmpty()
                      ? QString::fromLatin1(focus->metaObject()->className())
                      : focus->objectName());
    }
    return visited;
  }

  QTemporaryDir dir;
  QString home;
  testing::FakeDialogs dialogs;
  testing::FakeSystem system;
  testing::FakeRegistry registry;
  testing::FakeLauncher launcher;
  testing::FakePrinter fakePrinter;
  std::unique_ptr<TQVForm> window;
};

}  // namespace quarvel::apptest
