// The window's wiring: what it shows comes from the form, and what the user
// does reaches the form's handlers. The rules themselves are tested headless.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

#include "app/GridView.h"
#include "app/ShapeTextView.h"
#include "app/WindowFixture.h"
#include "shape/ShapeFile.h"
#include "support/ExportedShape.h"
#include "support/ScopedCommand.h"

using quarvel::Answer;
using quarvel::GridView;
using quarvel::apptest::WindowFixture;

namespace {

// Every caption the window shows equals the caption the form holds.
void CompareCaptions(WindowFixture& f) {
  quarvel::Form& form = f.form();
  QCOMPARE(f.window->windowTitle(), QString::fromStdString(form.Caption));
  const auto* tabs = f.Find<QTabWidget>("PageControl1");
  QCOMPARE(tabs->tabText(0), QString::fromStdString(form.TabSheet1.caption));
  QCOMPARE(tabs->tabText(1), QString::fromStdString(form.TabSheet2.caption));
  QCOMPARE(tabs->tabText(2), QString::fromStdString(form.TabSheet3.caption));
  const std::pair<const char*, const quarvel::Button*> buttons[] = {
      {"CompressButton", &form.CompressButton},
      {"OeffnenButton", &form.OeffnenButton},
      {"Sub_ObjectsButton", &form.Sub_ObjectsButton},
      {"SpeichernUnterBitBtn", &form.SpeichernUnterBitBtn},
      {"Button1", &form.Button1},
      {"E_DruckenButton", &form.E_DruckenButton},
      {"SButton6", &form.SButton6}};
  for (const auto& [name, state] : buttons)
    QCOMPARE(f.Find<QPushButton>(name)->text(), QString::fromStdString(state->caption));
  const std::pair<const char*, const quarvel::Label*> labels[] = {
      {"Label4", &form.Label4},   {"Label21", &form.Label21}, {"Label13", &form.Label13},
      {"Label15", &form.Label15}, {"Label30", &form.Label30}, {"Label3", &form.Label3}};
  for (const auto& [name, state] : labels)
    QCOMPARE(f.Find<QLabel>(name)->text(), QString::fromStdString(state->caption));
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void showsTheFormsCaptionsTablesAndGeometry() {
    WindowFixture f;
    QCOMPARE(f.window->size(), QSize(989, 604));
    CompareCaptions(f);

    const quarvel::StringGrid* grids[] = {&f.form().StringGrid1, &f.form().StringGrid2,
                                          &f.form().StringGrid3, &f.form().StringGrid4,
                                          &f.form().StringGrid5};
    for (int number = 1; number <= 5; ++number) {
      GridView& view = f.window->grid(number);
      const quarvel::StringGrid& grid = *grids[number - 1];
      QCOMPARE(view.model()->columnCount(), grid.ColCount());
      QCOMPARE(view.model()->rowCount(), grid.RowCount() - 1);
      for (int col = 0; col < grid.ColCount(); ++col) {
        QCOMPARE(view.model()->headerData(col, Qt::Horizontal).toString(),
                 QString::fromStdString(grid.Cell(col, 0)));
        QCOMPARE(view.horizontalHeader()->sectionSize(col), grid.ColWidth(col));
      }
    }
    QCOMPARE(f.window->grid(1).horizontalHeader()->sectionSize(0), 186);
    QCOMPARE(f.window->grid(5).RowHeight(), 16);
  }

  void aCommandIsOneRowOfTheCommandTable() {
    using quarvel::testing::DummyCommand;
    const quarvel::testing::ScopedCommand row(DummyCommand::Row());
    WindowFixture f;
    auto* button = f.Find<QPushButton>("DummyButton");
    QVERIFY(button != nullptr);
    QCOMPARE(button->text(), QString::fromStdString(f.form().LangText(11)));
    const int runs = DummyCommand::Runs();
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(DummyCommand::Runs(), runs + 1);

    // It takes its place in the keyboard order, and the language switch.
    f.Find<QPushButton>("SpeichernUnterBitBtn")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), button);
    f.Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
    auto* languages = f.Find<QComboBox>("SpracheComboBox");
    languages->setFocus();
    QTest::keyClick(languages, Qt::Key_Down);
    QCOMPARE(f.form().LanguageSection, std::string("English"));
    QCOMPARE(button->text(), QString::fromStdString(f.form().LangText(11)));
    QVERIFY(f.form().LangText(11) != "Weg hier!");
  }

  void theKeyboardGoesThroughCommandsStatusThenPage() {
    WindowFixture f;
    f.Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    const QStringList visited = f.TabFrom(f.Find<QPushButton>("CompressButton"), 12);
    QCOMPARE(visited.mid(8),
             (QStringList{QStringLiteral("SpeichernUnterBitBtn"), QStringLiteral("Button1"),
                          QStringLiteral("qt_tabwidget_tabbar"), QStringLiteral("SButton1")}));

    // The whole order, as the controls are laid out: the pages column by
    // column, each column top to bottom and left to right.
    const QStringList expected = {"CompressButton",
                                  "OeffnenButton",
                                  "Sub_ObjectsButton",
                                  "AnimButton",
                                  "PunkteButton",
                                  "NormalenButton",
                                  "MatButton",
                                  "UndoButton",
                                  "SpeichernBitBtn",
                                  "SpeichernUnterBitBtn",
                                  "Button1",
                                  "PageControl1",
                                  "StringGrid1",
                                  "ZeilePlusButton",
                                  "ZeileMinusButton",
                                  "LODSpinEdit",
                                  "NrEdit",
                                  "DoButton",
                                  "DoButton1",
                                  "StringGrid2",
                                  "GrundButton",
                                  "E_SpeichernButton",
                                  "E_LadenButton",
                                  "E_DruckenButton",
                                  "StringGrid5",
                                  "AnimResetButton",
                                  "StringGrid3",
                                  "SButton1",
                                  "SButton2",
                                  "SButton3",
                                  "SButton4",
                                  "SButton5",
                                  "SucheEdit",
                                  "SButton6",
                                  "LODAnzSpinEdit",
                                  "StringGrid4",
                                  "DeltaPointsEdit",
                                  "DeltaNormalsEdit",
                                  "SpracheComboBox"};
    QStringList chain;
    QWidget* start = f.Find<QPushButton>("CompressButton");
    for (QWidget* w = start->nextInFocusChain(); w != start; w = w->nextInFocusChain())
      if (expected.contains(w->objectName()) && !chain.contains(w->objectName()))
        chain << w->objectName();
    QCOMPARE(QStringList{"CompressButton"} + chain, expected);
  }

  void choosingEnglishSwitchesEveryCaptionAtOnce() {
    WindowFixture f;
    auto* languages = f.Find<QComboBox>("SpracheComboBox");
    QCOMPARE(languages->currentText(), QStringLiteral("Deutsch"));
    // Qt's own texts (message box buttons, file dialogs) speak the same language.
    const auto yes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
    const auto lookIn = [] { return QCoreApplication::translate("QFileDialog", "Look in:"); };
    QCOMPARE(yes(), QStringLiteral("&Ja"));
    QCOMPARE(lookIn(), QStringLiteral("Suchen in:"));
    f.Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
    languages->setFocus();
    QTest::keyClick(languages, Qt::Key_Down);

    QCOMPARE(f.form().LanguageSection, std::string("English"));
    QCOMPARE(languages->currentText(), QStringLiteral("English"));
    QCOMPARE(f.Find<QPushButton>("OeffnenButton")->text(),
             QString::fromStdString(f.form().LangText(2)));
    QVERIFY(f.form().OeffnenButton.caption != "Öffnen");
    CompareCaptions(f);
    QCOMPARE(yes(), QStringLiteral("&Yes"));
    QCOMPARE(lookIn(), QStringLiteral("Look in:"));
  }

  void eachKeystrokeInAnElementCellReachesTheForm() {
    WindowFixture f;
    GridView& elements = f.window->grid(1);
    f.Find<QTabWidget>("PageControl1")->setCurrentIndex(0);
    f.window->Run([&] { f.form().StringGrid1.SetCell(3, 1, "5"); });
    const QModelIndex firstLod = elements.model()->index(0, 3);  // "L 1" of the first element
    QTest::mouseClick(elements.viewport(), Qt::LeftButton, {},
                      elements.visualRect(firstLod).center());
    QCOMPARE(f.form().StringGrid1.Col(), 3);

    WindowFixture::Type(&elements, QStringLiteral("10"));  // the first digit replaces the "5"
    QCOMPARE(f.form().StringGrid1.Cell(3, 1), std::string("10"));
    QVERIFY(f.dialogs.shown.empty());
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor != nullptr);

    WindowFixture::Type(&elements, QStringLiteral("0"));
    QCOMPARE(f.dialogs.shown.size(), std::size_t{1});
    QCOMPARE(f.dialogs.shown[0].kind, quarvel::BoxKind::Warning);
    QCOMPARE(f.form().StringGrid1.Cell(3, 1), std::string());
    QCOMPARE(editor->text(), QString());
  }

  void theTabBarAndThePageShownAgreeWhenATableLosesTheFocus() {
    WindowFixture f;
    auto* tabs = f.Find<QTabWidget>("PageControl1");
    const auto clickTab = [&](int index) {
      QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                        tabs->tabBar()->tabRect(index).center());
    };
    const auto typeInto = [&](GridView& grid, int row, int col, const QString& text) {
      const QModelIndex cell = grid.model()->index(row, col);
      QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(cell).center());
      WindowFixture::Type(&grid, text);
    };
    const auto shows = [&](int index) {
      return tabs->currentIndex() == index && tabs->tabBar()->currentIndex() == index &&
             tabs->widget(index)->isVisible();
    };

    clickTab(2);
    typeInto(f.window->grid(4), 0, 1, QStringLiteral("1200"));  // the editor keeps the focus
    clickTab(0);
    QVERIFY(shows(0));
    QCOMPARE(f.form().StringGrid4.Cell(1, 1), std::string("1200"));

    typeInto(f.window->grid(1), 0, 3, QStringLiteral("2"));
    clickTab(1);
    QVERIFY(shows(1));
    clickTab(0);  // the highlighted tab was the old one: a click on it did nothing
    QVERIFY(shows(0));
  }

  void theCountsAndTheNamesFollowThePlanAsItIsTyped() {
    WindowFixture f;
    const std::string path = f.dir.filePath(QStringLiteral("loco.s")).toStdString();
    quarvel::WriteShapeFile(
        path, quarvel::testing::BuildExportedShape(quarvel::testing::GradedElements(8)),
        "\xFF\xFE");
    f.window->Run([&] {
      f.form().OpenShape(path);
      f.form().LODAnzSpinEditChange(4);
      f.form().LODAnzSpinEditExit();
    });
    GridView& elements = f.window->grid(1);
    GridView& subobjects = f.window->grid(2);

    // A committed entry counts at once, without moving to another cell.
    const QModelIndex secondLod1 = elements.model()->index(1, 3);
    QTest::mouseClick(elements.viewport(), Qt::LeftButton, {},
                      elements.visualRect(secondLod1).center());
    WindowFixture::Type(&elements, QStringLiteral("2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(subobjects.model()->rowCount(), 2);
    QCOMPARE(subobjects.model()->index(1, 1).data().toString(), QStringLiteral("11"));

    // Scrolled to the last LOD, the names and numbers stay where they were.
    for (GridView* grid : {&elements, &subobjects}) {
      auto* frozen = grid->findChild<QTableView*>(QStringLiteral("FrozenColumn"));
      QVERIFY(frozen != nullptr && frozen->isVisible());
      grid->scrollTo(grid->model()->index(0, grid->model()->columnCount() - 1));
      QVERIFY(grid->horizontalScrollBar()->value() > 0);
      QCOMPARE(frozen->mapTo(grid, QPoint(0, 0)).x(), grid->frameWidth());
      QCOMPARE(frozen->width(), grid->columnWidth(0));
      QCOMPARE(frozen->model()->index(0, 0).data(), grid->model()->index(0, 0).data());
      QVERIFY(frozen->visualRect(frozen->model()->index(0, 0)).isValid());
      // Going back left, a cell never hides under the frozen column.
      grid->scrollTo(grid->model()->index(0, 1));
      QVERIFY(grid->visualRect(grid->model()->index(0, 1)).left() >= grid->columnWidth(0));
    }
    QCOMPARE(elements.model()->index(0, 0).data().toString(), QStringLiteral("Element0"));
  }

  void aCellTheFormRefusesNeitherBecomesCurrentNorOpensAnEditor() {
    WindowFixture f;
    GridView& elements = f.window->grid(1);
    const QModelIndex lod = elements.model()->index(0, 3);
    QTest::mouseClick(elements.viewport(), Qt::LeftButton, {}, elements.visualRect(lod).center());
    QTest::keyClick(&elements, Qt::Key_Left);  // onto "Faces", which the form refuses
    QCOMPARE(elements.currentIndex(), lod);
    QTest::mouseDClick(elements.viewport(), Qt::LeftButton, {},
                       elements.visualRect(elements.model()->index(0, 0)).center());
    QCOMPARE(elements.currentIndex(), lod);
    QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()) == nullptr);
  }

  void typingInTheTextViewChangesTheShapeAndTurnsTheSaveCaptionsRed() {
    WindowFixture f;
    f.form().session.text.Assign({"shape (", "\tpoints ( 2", ")"});
    f.form().session.text.SetModified(false);
    f.window->RefreshFromForm();
    f.Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    quarvel::ShapeTextView& view = f.window->textView();
    view.setFocus();
    view.SetCaret({1, 11});
    QTest::keyClicks(&view, QStringLiteral("0"));

    const std::vector<std::string> expected = {"shape (", "\tpoints ( 20", ")"};
    QCOMPARE(f.form().session.text.All(), expected);
    QVERIFY(f.form().CaptionRed(f.form().SpeichernBitBtn));
    QCOMPARE(f.Find<QPushButton>("SpeichernUnterBitBtn")->palette().color(QPalette::ButtonText),
             QColor(Qt::red));
  }

  void aCommandThatRewritesTheTextShowsItAgain() {
    WindowFixture f;
    f.window->Run([&] { f.form().session.text.Assign({"a", "b"}); });
    QCOMPARE(f.window->textView().Caret().line, std::size_t{0});
    f.window->Run([&] {
      f.form().session.text.Append("c");
      f.form().SMemo.caretPosition = 6;  // start of "c": "a\r\nb\r\n"
    });
    QCOMPARE(f.window->textView().Caret().line, std::size_t{2});
    QVERIFY(f.window->textView().InSync());
  }

  void leavingTheLodCountAppliesItToTheTables() {
    WindowFixture f;
    f.Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
    auto* count = f.Find<QSpinBox>("LODAnzSpinEdit");
    count->setFocus();
    QTest::keyClick(count, Qt::Key_Up);
    QCOMPARE(f.form().LODAnzSpinEdit.value, 2);
    QCOMPARE(f.window->grid(1).model()->columnCount(), 4);  // takes effect when the box is left

    f.Find<QLineEdit>("DeltaPointsEdit")->setFocus();
    QCOMPARE(f.form().session.plan.lodCount, 2);
    QCOMPARE(f.window->grid(1).model()->columnCount(), 5);
    QCOMPARE(f.window->grid(1).model()->headerData(4, Qt::Horizontal).toString(),
             QStringLiteral("L 2"));
    QCOMPARE(f.window->grid(4).model()->rowCount(), 2);
  }

  void ctrlOAndCtrlSOpenAndSave() {
    WindowFixture f;
    f.dialogs.ChooseFile(std::nullopt);
    QTest::keyClick(f.window.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(f.dialogs.openRequests.size(), std::size_t{1});
    f.dialogs.ChooseFile(std::nullopt);
    QTest::keyClick(f.window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.dialogs.saveRequests.size(), std::size_t{1});  // no file yet: asks for a name
  }

  void theCloseBoxAndWegHierAskBeforeChangesAreLost() {
    WindowFixture f;
    f.window->Run([&] { f.form().session.text.Assign({"changed"}); });
    QVERIFY(f.form().session.text.Modified());

    f.dialogs.Answer(Answer::Cancel);
    QVERIFY(!f.window->close());
    QVERIFY(f.window->isVisible());
    QCOMPARE(f.dialogs.shown.back().text, std::string("Text wurde geändert. Speichern?"));
    f.dialogs.Answer(Answer::Cancel);
    QTest::mouseClick(f.Find<QPushButton>("Button1"), Qt::LeftButton);
    QVERIFY(f.window->isVisible());
    QVERIFY(!QFile::exists(f.ProgramIniPath()));

    f.dialogs.Answer(Answer::No);
    QTest::mouseClick(f.Find<QPushButton>("Button1"), Qt::LeftButton);
    QVERIFY(!f.window->isVisible());
    QVERIFY(QFile::exists(f.ProgramIniPath()));  // the shutdown kept the LOD set-up
    QCOMPARE(f.dialogs.shown.size(), std::size_t{3});
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
