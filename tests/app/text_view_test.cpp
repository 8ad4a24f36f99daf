// The text view edits the shape in place, line by line: every edit must leave
// exactly the lines a user expects, and undo must give back exactly the old
// ones.
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QtTest>

#include "app/ShapeTextView.h"

using quarvel::ShapeText;
using quarvel::ShapeTextView;
using Lines = std::vector<std::string>;
using Position = ShapeTextView::Position;

namespace {

struct ViewFixture {
  explicit ViewFixture(const Lines& lines) {
    text.Assign(lines);
    view.SyncWithDocument();
    view.resize(400, 300);
    view.show();
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&view, key, modifiers);
  }
  void Type(const QString& typed) {
    QKeyEvent event(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
    QCoreApplication::sendEvent(&view, &event);
  }

  ShapeText text;
  ShapeTextView view{text};
};

}  // namespace

class TextViewTest : public QObject {
  Q_OBJECT

 private slots:
  void enterSplitsAndBackspaceOrDeleteJoinLines() {
    ViewFixture f({"points ( 2", "\tpoint ( 1 2 3 )"});
    f.view.SetCaret({0, 8});
    f.Key(Qt::Key_Return);
    QCOMPARE(f.text.All(), (Lines{"points (", " 2", "\tpoint ( 1 2 3 )"}));
    QCOMPARE(f.view.Caret(), (Position{1, 0}));
    f.Key(Qt::Key_Backspace);
    QCOMPARE(f.text.All(), (Lines{"points ( 2", "\tpoint ( 1 2 3 )"}));
    f.Key(Qt::Key_End);
    f.Key(Qt::Key_Delete);
    f.Key(Qt::Key_Tab);
    QCOMPARE(f.text.All(), (Lines{"points ( 2\t\tpoint ( 1 2 3 )"}));
  }

  void typedCharactersAreStoredAsTheirLatin1Bytes() {
    ViewFixture f({});
    f.Type(QStringLiteral("Kühlerx"));  // the first line of an empty text
    f.Key(Qt::Key_Backspace);
    f.Type(QString(QChar(0x20AC)));  // no place in a shape line
    f.Type(QString(QChar(0x01)));    // a control key's text is not typed
    QInputMethodEvent composed;      // a dead key and a letter
    composed.setCommitString(QStringLiteral("ê"));
    QCoreApplication::sendEvent(&f.view, &composed);
    QCOMPARE(f.text.All(), (Lines{"K\xFChler?\xEA"}));
    for (int step = 0; step < 20 && f.view.CanUndo(); ++step) f.view.Undo();
    QCOMPARE(f.text.Count(), std::size_t{0});
  }

  void aSelectionAcrossLinesIsReplacedAndUndoneExactly() {
    const Lines original = {"alpha", "beta", "gamma", "delta"};
    ViewFixture f(original);
    f.view.SetCaret({1, 2});
    f.view.SetCaret({3, 1}, true);
    QCOMPARE(f.view.SelectedText(), std::string("ta\ngamma\nd"));
    f.Type(QStringLiteral("X"));
    QCOMPARE(f.text.All(), (Lines{"alpha", "beXelta"}));

    f.Type(QStringLiteral("Y"));
    f.Key(Qt::Key_Z, Qt::ControlModifier);  // typing after the replacement is its own step
    QCOMPARE(f.text.All(), (Lines{"alpha", "beXelta"}));
    f.Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.text.All(), original);
    QCOMPARE(f.view.SelectedText(), std::string("ta\ngamma\nd"));
    f.view.Redo();
    QCOMPARE(f.text.All(), (Lines{"alpha", "beXelta"}));
  }

  void caretOffsetsCountTwoCharactersPerLineEndAndPastedLineEndsBecomeLines() {
    ViewFixture f({"ab", "cde", ""});
    f.view.SetCaret({1, 2});
    QCOMPARE(f.view.CaretOffset(), std::size_t{6});
    const std::pair<std::size_t, Position> offsets[] = {
        {9, {2, 0}}, {3, {0, 2}}, {1000, {2, 0}}};  // the empty last line, inside a line end
    for (const auto& [offset, position] : offsets) {
      f.view.SetCaretOffset(offset);
      QCOMPARE(f.view.Caret(), position);
    }
    f.view.SetCaret({0, 1});
    QGuiApplication::clipboard()->setText(QStringLiteral("1\r\n2\r3"));
    f.view.Paste();
    QCOMPARE(f.text.All(), (Lines{"a1", "2", "3b", "cde", ""}));
  }

  void changesBehindTheViewsBackEndItsUndoAndEditsGoThroughTheRunner() {
    ViewFixture f({"one", "two"});
    int runs = 0;
    f.view.SetEditRunner([&runs](const std::function<void()>& edit) {
      ++runs;
      edit();
    });
    f.view.SetCaret({1, 3});
    f.Type(QStringLiteral("!"));
    f.Key(Qt::Key_Left);
    f.Key(Qt::Key_Backspace);
    QCOMPARE(runs, 2);
    QCOMPARE(f.text.All(), (Lines{"one", "tw!"}));
    QVERIFY(f.view.InSync());
    f.text.Assign(Lines{"x"});
    QVERIFY(!f.view.InSync());
    QVERIFY(f.view.SyncWithDocument());
    QVERIFY(!f.view.CanUndo());
    QCOMPARE(f.view.Caret(), (Position{0, 1}));
  }
};

QTEST_MAIN(TextViewTest)
#include "text_view_test.moc"
