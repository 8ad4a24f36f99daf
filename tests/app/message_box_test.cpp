// The window with its own Qt message boxes, as a user meets them: a refused
// entry typed into a cell, a box from a button, a box from leaving a table.
// Each box is closed by a real key press, and the window must go on working.
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include "app/GridView.h"
#include "app/QtDialogs.h"
#include "app/WindowFixture.h"
#include "common/Convert.h"

using quarvel::GridView;
using quarvel::apptest::WindowFixture;

namespace {

// Presses Enter in every message box that opens, the way a user closes it,
// and keeps the texts it saw.
class BoxCloser : public QObject {
 public:
  BoxCloser() {
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isVisible()) return;
      texts << box->text();
      QTest::keyClick(box, Qt::Key_Return);
    });
    timer_.start(10);
  }
  QStringList texts;

 private:
  QTimer timer_;
};

// The real dialogs go first and last: the window uses them to its end.
struct RealBoxes {
  quarvel::QtDialogs dialogs;
  WindowFixture f{QString(), &dialogs};
  BoxCloser closer;

  void ShowPage(int index) {
    auto* tabs = f.Find<QTabWidget>("PageControl1");
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
    QCOMPARE(tabs->currentIndex(), index);
  }
  // Clicks a cell (grid coordinates, row 1 = first data row) and types.
  void TypeIntoCell(GridView& grid, int col, int row, const QString& text) {
    const QModelIndex index = grid.model()->index(row - 1, col);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(index).center());
    Type(&grid, text);
  }
  // Keys reach the window from its event loop, as the user's keys do: a box
  // then runs an event loop nested in the one that delivered the key.
  static void Type(QWidget* start, const QString& text) {
    ActiveAgain(start->window());
    bool typed = false;
    QTimer::singleShot(0, [&] {
      WindowFixture::Type(start, text);
      typed = true;
    });
    QTRY_VERIFY(typed);
  }
  // When a box closes, the window manager makes the window active again; the
  // test platforms leave that to the test.
  static void ActiveAgain(QWidget* window) {
    if (QApplication::activeWindow() == window) return;
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
  }
  void Commit() { Type(f.window.get(), QStringLiteral("\r")); }
};

const QString kWholeNumbers =
    QString::fromUtf8("Bitte nur positive ganze Zahlen 1...99 oder 0 oder 999 eintragen!");
const QString kMarks = QString::fromUtf8("Bitte nur \"x\" oder \"X\" eintragen!");

}  // namespace

class MessageBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void aRefusedDistanceLeavesTheWindowWorking() {
    RealBoxes r;
    r.ShowPage(2);
    GridView& distances = r.f.window->grid(4);
    r.TypeIntoCell(distances, 1, 1, QStringLiteral("5000"));
    QTRY_COMPARE(r.closer.texts.size(), 1);
    QCOMPARE(r.closer.texts[0],
             QString::fromUtf8("Bitte nur positive ganze Zahlen 1...2000 eintragen!"));
    QCOMPARE(r.f.form().StringGrid4.Cell(1, 1), std::string());

    // The user goes on typing where the refusal left off.
    RealBoxes::Type(&distances, QStringLiteral("1500"));
    r.Commit();
    QCOMPARE(r.f.form().StringGrid4.Cell(1, 1), std::string("1500"));
    QCOMPARE(r.f.form().StringGrid5.Cell(1, 1), std::string("1500"));
    QCOMPARE(r.closer.texts.size(), 1);
    QVERIFY(r.f.window->isVisible());
  }

  void aWrongVertexLimitIsRefusedAndTheBoxKeepsItsValue() {
    RealBoxes r;
    r.ShowPage(2);
    auto* limit = r.f.Find<QSpinBox>("VertLimitSpinEdit");
    const QString refusal =
        QString::fromUtf8("Bitte nur ganze Zahlen von 1000 bis 65535 eintragen!");
    int boxes = 0;
    for (const QString& wrong :
         {QStringLiteral("abc"), QStringLiteral("500"), QStringLiteral("70000")}) {
      limit->setFocus();
      limit->selectAll();
      RealBoxes::Type(limit, wrong + QStringLiteral("\r"));
      ++boxes;
      QTRY_COMPARE(r.closer.texts.size(), boxes);
      QCOMPARE(r.closer.texts.back(), refusal);
      QCOMPARE(r.f.form().session.vertexLimit, 14000);
      QCOMPARE(limit->value(), 14000);
    }
    limit->setFocus();
    limit->selectAll();
    RealBoxes::Type(limit, QStringLiteral("20000\r"));
    QTRY_COMPARE(r.f.form().session.vertexLimit, 20000);
    QCOMPARE(r.closer.texts.size(), boxes);
  }

  void refusedLettersInPlanAndMarkCellsLeaveTheWindowWorking() {
    RealBoxes r;
    r.f.window->Run([&] {
      r.f.form().StringGrid1.SetCell(0, 1, "body");
      r.f.form().StringGrid3.SetCell(0, 1, "WHEELS1");
    });
    GridView& elements = r.f.window->grid(1);
    r.TypeIntoCell(elements, 3, 1, QStringLiteral("a"));
    QTRY_COMPARE(r.closer.texts.size(), 1);
    QCOMPARE(r.closer.texts[0], kWholeNumbers);
    QCOMPARE(r.f.form().StringGrid1.Cell(3, 1), std::string());
    RealBoxes::Type(&elements, QStringLiteral("2"));
    r.Commit();
    QCOMPARE(r.f.form().StringGrid1.Cell(3, 1), std::string("2"));

    const std::pair<GridView*, const quarvel::StringGrid*> markTables[] = {
        {&r.f.window->grid(2), &r.f.form().StringGrid2},
        {&r.f.window->grid(3), &r.f.form().StringGrid3}};
    for (const auto& [view, grid] : markTables) {
      const int boxesBefore = static_cast<int>(r.closer.texts.size());
      r.TypeIntoCell(*view, 2, 1, QStringLiteral("q"));
      QTRY_COMPARE(static_cast<int>(r.closer.texts.size()), boxesBefore + 1);
      QCOMPARE(r.closer.texts.back(), kMarks);
      QCOMPARE(grid->Cell(2, 1), std::string());
      RealBoxes::Type(view, QStringLiteral("x"));
      r.Commit();
      QCOMPARE(grid->Cell(2, 1), std::string("x"));
    }
    QVERIFY(r.f.window->isVisible());
  }

  void aBoxFromAButtonAndOneFromLeavingATable() {
    RealBoxes r;
    // "Do!" asks first (Enter says Yes), then refuses the number.
    auto* number = r.f.Find<QLineEdit>("NrEdit");
    number->setFocus();
    number->selectAll();
    QTest::keyClicks(number, QStringLiteral("abc"));
    QTest::mouseClick(r.f.Find<QPushButton>("DoButton"), Qt::LeftButton);
    QTRY_COMPARE(r.closer.texts.size(), 2);
    QCOMPARE(r.closer.texts[1],
             QString::fromUtf8("Bitte nur ganze Zahlen 0...99 oder 999 eintragen!"));

    // A distance left empty: leaving the table asks for a value and brings
    // the user back into it.
    r.ShowPage(2);
    GridView& distances = r.f.window->grid(4);
    r.TypeIntoCell(distances, 1, 1, QStringLiteral("x"));
    QTRY_COMPARE(r.closer.texts.size(), 3);
    r.Commit();
    r.f.Find<QLineEdit>("DeltaPointsEdit")->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(r.closer.texts.size(), 4);
    QCOMPARE(r.closer.texts[3], QStringLiteral("Bitte Wert eintragen."));
    RealBoxes::ActiveAgain(r.f.window.get());
    QVERIFY(distances.hasFocus());
    r.TypeIntoCell(distances, 1, 1, QStringLiteral("700"));
    r.Commit();
    QCOMPARE(r.f.form().StringGrid4.Cell(1, 1), std::string("700"));
    QVERIFY(r.f.window->isVisible());
  }

  void aRefusedToleranceBringsTheUserBackToItsEdit() {
    RealBoxes r;
    r.ShowPage(2);
    auto* points = r.f.Find<QLineEdit>("DeltaPointsEdit");
    points->setFocus(Qt::MouseFocusReason);
    points->selectAll();
    RealBoxes::Type(points, QStringLiteral("-1"));
    r.f.Find<QLineEdit>("DeltaNormalsEdit")->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(r.closer.texts.size(), 1);
    QCOMPARE(r.closer.texts[0], QString::fromUtf8("Bitte positive Zahl eintragen, "
                                                  "Dezimaltrennzeichen wie im Betriebssystem "
                                                  "eingestellt."));
    QCOMPARE(r.f.form().session.plan.pointTolerance, -1.0L);  // kept, and it merges nothing
    RealBoxes::ActiveAgain(r.f.window.get());
    QVERIFY(points->hasFocus());
    points->selectAll();
    const char separator = quarvel::DecimalSeparator();
    RealBoxes::Type(points,
                    QStringLiteral("0") + QChar::fromLatin1(separator) + QStringLiteral("25"));
    r.f.Find<QLineEdit>("DeltaNormalsEdit")->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(r.f.form().session.plan.pointTolerance, 0.25L);
    QCOMPARE(r.closer.texts.size(), 1);
  }
};

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
