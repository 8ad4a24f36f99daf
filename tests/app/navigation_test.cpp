// The jumps and the search in the real window: the caret lands where the form
// put it and is scrolled into view, nothing stays selected, the text view has
// the focus afterwards, and the keys of the search work as in an editor.
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include "app/ShapeTextView.h"
#include "app/WindowFixture.h"

using quarvel::apptest::WindowFixture;
using Position = quarvel::ShapeTextView::Position;

namespace {

// 400 lines; "matrices" on line 250, "hierarchy" on 300 and 350.
std::vector<std::string> LongText() {
  std::vector<std::string> lines;
  for (int i = 0; i < 400; ++i) lines.push_back("\tline " + std::to_string(i));
  lines[250] = "\tmatrices ( 2";
  lines[300] = "\t\thierarchy ( 2 -1 0 )";
  lines[350] = "\t\thierarchy ( 2 -1 0 )";
  return lines;
}

bool CaretShown(const quarvel::ShapeTextView& view) {
  const int line = static_cast<int>(view.Caret().line);
  const int visible = view.viewport()->height() / view.fontMetrics().lineSpacing();
  return line >= view.FirstVisibleLine() && line < view.FirstVisibleLine() + visible;
}

}  // namespace

class NavigationTest : public QObject {
  Q_OBJECT

 private slots:
  void jumpsScrollTheCaretIntoViewAndGiveTheTextViewTheFocus() {
    WindowFixture f;
    f.window->Run([&] { f.form().session.text.Assign(LongText()); });
    f.Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    quarvel::ShapeTextView& view = f.window->textView();
    view.SetCaret({0, 0});
    view.SetCaret({1, 3}, true);
    QVERIFY(view.HasSelection());

    QTest::mouseClick(f.Find<QPushButton>("SButton3"), Qt::LeftButton);
    QCOMPARE(view.Caret(), (Position{250, 2}));  // just behind the "m"
    QVERIFY(!view.HasSelection());
    QVERIFY(CaretShown(view));
    QVERIFY(view.FirstVisibleLine() < 250 - 5);  // with the lines before it
    QVERIFY(view.hasFocus());

    QTest::mouseClick(f.Find<QPushButton>("SButton2"), Qt::LeftButton);
    QCOMPARE(view.Caret().line, std::size_t{399});
    QVERIFY(CaretShown(view));
    QTest::mouseClick(f.Find<QPushButton>("SButton1"), Qt::LeftButton);
    QCOMPARE(view.Caret(), (Position{0, 0}));
    QCOMPARE(view.FirstVisibleLine(), 0);
  }

  void enterInTheSearchEditSearchesAndTheNotFoundBoxLeavesTheCaret() {
    WindowFixture f;
    f.window->Run([&] { f.form().session.text.Assign(LongText()); });
    f.Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    quarvel::ShapeTextView& view = f.window->textView();
    auto* search = f.Find<QLineEdit>("SucheEdit");
    QSignalSpy returns(search, &QLineEdit::returnPressed);
    search->setFocus();
    QTest::keyClicks(search, QStringLiteral("hierarchy"));
    QCOMPARE(f.form().SucheEdit.text, std::string("hierarchy"));
    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(returns.count(), 0);  // the edit never saw the Enter
    QCOMPARE(view.Caret(), (Position{300, 4}));
    QVERIFY(CaretShown(view));
    QVERIFY(view.hasFocus());

    // F3 anywhere in the window finds the next one, then none.
    f.Find<QTabWidget>("PageControl1")->setCurrentIndex(0);
    QTest::keyClick(f.window.get(), Qt::Key_F3);
    QCOMPARE(view.Caret(), (Position{350, 5}));
    QCOMPARE(f.Find<QTabWidget>("PageControl1")->currentIndex(), 1);
    QTest::keyClick(&view, Qt::Key_F3);
    QCOMPARE(f.dialogs.Count(), std::size_t{1});
    QCOMPARE(f.dialogs.Shown(0).text, std::string("Text ab Cursor nicht gefunden."));
    QCOMPARE(view.Caret(), (Position{350, 5}));
  }

  void aSearchFromAnotherPageShowsTheCaretOnTheTextPage() {
    WindowFixture f;  // the text page has never been shown
    f.window->Run([&] { f.form().session.text.Assign(LongText()); });
    f.form().SucheEdit.text = "hierarchy";
    QTest::keyClick(f.window.get(), Qt::Key_F3);
    quarvel::ShapeTextView& view = f.window->textView();
    QCOMPARE(view.Caret(), (Position{300, 4}));
    QCOMPARE(f.Find<QTabWidget>("PageControl1")->currentIndex(), 1);
    QVERIFY(CaretShown(view));
    QVERIFY(view.FirstVisibleLine() > 300 - 30);  // not just anywhere above it
  }

  void ctrlFPutsTheFocusIntoTheSearchEditWithItsTextSelected() {
    WindowFixture f;
    f.form().SucheEdit.text = "geometry_nodes";
    f.window->RefreshFromForm();
    QTest::keyClick(f.window.get(), Qt::Key_F, Qt::ControlModifier);
    auto* search = f.Find<QLineEdit>("SucheEdit");
    QCOMPARE(f.Find<QTabWidget>("PageControl1")->currentIndex(), 1);
    QVERIFY(search->hasFocus());
    QCOMPARE(search->selectedText(), QStringLiteral("geometry_nodes"));
    QTest::keyClicks(search, QStringLiteral("lod"));  // typing replaces it
    QCOMPARE(f.form().SucheEdit.text, std::string("lod"));
  }
};

QTEST_MAIN(NavigationTest)
#include "navigation_test.moc"
