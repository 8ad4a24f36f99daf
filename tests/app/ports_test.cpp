// The Qt side of the form's ports: message boxes answer as the form expects,
// filters reach the file dialog in Qt's form, the busy cursor nests.
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include "app/QtDialogs.h"
#include "app/QtSystemInfo.h"

using quarvel::Answer;
using quarvel::BoxKind;
using quarvel::Buttons;

namespace {

// Presses `button` of the next message box, or closes it when `button` is
// NoButton; records the box's title and icon.
struct BoxPresser {
  explicit BoxPresser(QMessageBox::StandardButton pressed = QMessageBox::NoButton)
      : button(pressed) {}
  QMessageBox::StandardButton button;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;

  void Arm() {
    QTimer::singleShot(0, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      title = box->windowTitle();
      icon = box->icon();
      if (button == QMessageBox::NoButton)
        box->reject();
      else
        box->button(button)->click();
    });
  }
};

}  // namespace

class PortsTest : public QObject {
  Q_OBJECT

 private slots:
  void messageBoxesAnswerWithTheButtonPressed() {
    QWidget window;
    window.setWindowTitle(QStringLiteral("Quarvel   [ lok.s ]"));
    quarvel::QtDialogs dialogs;
    dialogs.SetWindow(&window, {});

    BoxPresser presser(QMessageBox::Yes);
    presser.Arm();
    QCOMPARE(dialogs.Message(BoxKind::Confirmation, "Speichern?", Buttons::YesNoCancel),
             Answer::Yes);
    QCOMPARE(presser.title, window.windowTitle());
    QCOMPARE(presser.icon, QMessageBox::Question);

    presser = BoxPresser(QMessageBox::No);
    presser.Arm();
    QCOMPARE(dialogs.Message(BoxKind::Confirmation, "?", Buttons::YesNo), Answer::No);

    // Closing a box: Cancel where there is one, else No.
    presser = BoxPresser();
    presser.Arm();
    QCOMPARE(dialogs.Message(BoxKind::Confirmation, "?", Buttons::YesNoCancel), Answer::Cancel);
    presser = BoxPresser();
    presser.Arm();
    QCOMPARE(dialogs.Message(BoxKind::Warning, "!", Buttons::Ok), Answer::Ok);
    QCOMPARE(presser.icon, QMessageBox::Warning);
  }

  void filtersBecomeQtNameFilters() {
    using quarvel::QtFileFilters;
    QCOMPARE(
        QtFileFilters("Shape-Dateien (*.s)|*.s|Alle Dateien (*.*)|*.*"),
        (QStringList{QStringLiteral("Shape-Dateien (*.s)"), QStringLiteral("Alle Dateien (*)")}));
    QCOMPARE(QtFileFilters("ffeditc_unicode.exe|ffeditc_unicode.exe|Bilder|*.ace;*.bmp"),
             (QStringList{QStringLiteral("ffeditc_unicode.exe (ffeditc_unicode.exe)"),
                          QStringLiteral("Bilder (*.ace *.bmp)")}));
    QVERIFY(QtFileFilters("").isEmpty());
    QVERIFY(QtFileFilters("nur eine Beschreibung").isEmpty());
  }

  void theBusyCursorNestsAndComesBack() {
    quarvel::QtDialogs dialogs;
    {
      quarvel::BusyCursor outer(dialogs);
      {
        quarvel::BusyCursor inner(dialogs);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
      }
      QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(dialogs.CurrentCursor(), quarvel::Cursor::Normal);
  }

  void theConfigurationFolderFollowsXdg() {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/somewhere/config");
    QCOMPARE(quarvel::QtSystemInfo().UserConfigDir(), std::string("/somewhere/config/quarvel"));
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(quarvel::QtSystemInfo().UserConfigDir(),
             (QDir::homePath() + QStringLiteral("/.config/quarvel")).toStdString());
    if (!saved.isNull()) qputenv("XDG_CONFIG_HOME", saved);
#ifndef _WIN32
    QCOMPARE(quarvel::QtSystemInfo().OperatingSystem().platform,
             quarvel::OsVersion::Platform::NonWindows);
#endif
  }
};

QTEST_MAIN(PortsTest)
#include "ports_test.moc"
