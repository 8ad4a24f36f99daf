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

class PortsTest : public QObject {
  Q_OBJECT

 private slots:
  void messageBoxesAnswerWithTheButtonPressed() {
    QWidget window;
    window.setWindowTitle(QStringLiteral("Quarvel   [ lok.s ]"));
    quarvel::QtDialogs dialogs;
    dialogs.SetWindow(&window, {});
    struct Case {
      BoxKind kind;
      Buttons buttons;
      QMessageBox::StandardButton pressed;  // NoButton: the box is closed
      Answer answer;
      QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {BoxKind::Confirmation, Buttons::YesNoCancel, QMessageBox::Yes, Answer::Yes,
         QMessageBox::Question},
        {BoxKind::Confirmation, Buttons::YesNo, QMessageBox::No, Answer::No, QMessageBox::Question},
        {BoxKind::Confirmation, Buttons::YesNoCancel, QMessageBox::NoButton, Answer::Cancel,
         QMessageBox::Question},
        {BoxKind::Confirmation, Buttons::YesNo, QMessageBox::NoButton, Answer::No,
         QMessageBox::Question},
        {BoxKind::Warning, Buttons::Ok, QMessageBox::NoButton, Answer::Ok, QMessageBox::Warning},
    };
    for (const Case& c : cases) {
      QString title;
      QMessageBox::Icon icon = QMessageBox::NoIcon;
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        title = box->windowTitle();
        icon = box->icon();
        c.pressed == QMessageBox::NoButton ? box->reject() : box->button(c.pressed)->click();
      });
      QCOMPARE(dialogs.Message(c.kind, "?", c.buttons), c.answer);
      QCOMPARE(title, window.windowTitle());
      QCOMPARE(icon, c.icon);
    }
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
      { quarvel::BusyCursor inner(dialogs); }
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
  }
};

QTEST_MAIN(PortsTest)
#include "ports_test.moc"
