// The text page's view of the shape. It draws the lines of ShapeText straight
// from the document and edits them line by line, so a 700 000-line shape shows
// at once and a keystroke never copies the whole text.
#pragma once
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/Texts.h"
#include "shape/ShapeText.h"
#include "ui/TextCaret.h"

namespace quarvel {

class ShapeTextView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // A place in the text: line index and byte index within the line.
  using Position = TextPosition;

  explicit ShapeTextView(ShapeText& text, QWidget* parent = nullptr);

  // Every edit of the user runs through this (the window's command runner),
  // so that it is handled like any other event of the window.
  using EditRunner = std::function<void(const std::function<void()>&)>;
  void SetEditRunner(EditRunner runner) { runEdit_ = std::move(runner); }
  // The language of the context menu.
  void SetTexts(TextSource texts) { texts_ = std::move(texts); }

  // Shows the document again when it changed other than through this view;
  // returns true then. Selection and undo history of the old text are gone.
  bool SyncWithDocument();
  bool InSync() const { return shownRevision_ == text_.Revision(); }

  // The caret as a character offset into the text with two characters per
  // line end, the way the navigation commands count. Placing it scrolls it
  // into view and ends a selection.
  std::size_t CaretOffset() const;
  void SetCaretOffset(std::size_t offset);

  Position Caret() const { return caret_; }
  void SetCaret(Position position, bool keepAnchor = false);
  bool HasSelection() const { return anchor_ != caret_; }
  // Latin-1, lines separated by '\n'.
  std::string SelectedText() const;
  void SelectAll();

  // Replaces the selection by `latin1` ('\n' separates lines), as typing does.
  void InsertText(std::string_view latin1);
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  void Undo();
  void Redo();
  void Copy() const;
  void Cut();
  void Paste();

  int FirstVisibleLine() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void changeEvent(QEvent* event) override;
  // Composed characters (dead keys, input methods) arrive here.
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  // Tab is a character of the text; Ctrl+Tab leaves the view.
  bool focusNextPrevChild(bool next) override;

 private:
  struct UndoStep {
    std::size_t first = 0;               // first line touched
    std::vector<std::string> lines;      // the lines the edit replaced
    std::size_t count = 0;               // how many lines it put there
    Position caretBefore, anchorBefore;  // where the caret stood before
    Position caretAfter;
    bool typing = false;  // single characters typed in one line merge into one step
  };

  std::size_t LineCount() const { return text_.Count() == 0 ? 1 : text_.Count(); }
  const std::string& Line(std::size_t index) const { return text_.Get(index); }
  Position Clamped(Position position) const;
  Position SelectionStart() const { return std::min(anchor_, caret_); }
  Position SelectionEnd() const { return std::max(anchor_, caret_); }

  // Replaces the text from `from` to `to` by `latin1` and records the step.
  void Replace(Position from, Position to, std::string_view latin1, bool typing);
  void ApplyStep(UndoStep& step, std::vector<UndoStep>& opposite);
  void RunEdit(const std::function<void()>& edit);

  void MoveCaret(Position position, bool select);
  Position WordLeft(Position from) const;
  Position WordRight(Position from) const;
  std::pair<Position, Position> WordAt(Position at) const;

  // Geometry: display columns expand tabs (ui/TextCaret.h).
  std::size_t ColumnAtX(const std::string& line, qreal x) const;
  Position PositionAt(const QPoint& point) const;
  qreal XOfDisplayColumn(std::size_t displayColumn) const;
  int VisibleLines() const;
  void UpdateMetrics();
  void UpdateScrollBars();
  void EnsureCaretVisible();
  void RestartBlink();
  void CaretChanged();

  ShapeText& text_;
  QString Caption(Text text) const;
  TextSource texts_;
  EditRunner runEdit_;
  std::uint64_t shownRevision_ = 0;
  Position caret_, anchor_;
  std::size_t preferredDisplayColumn_ = 0;
  mutable std::optional<std::size_t> caretOffset_;
  std::size_t widestDisplayLine_ = 0;
  std::vector<UndoStep> undo_, redo_;
  bool mergeTyping_ = false;
  bool caretShown_ = true;
  bool selectingWithMouse_ = false;
  QBasicTimer blink_;
  qreal charWidth_ = 8;
  int lineHeight_ = 16;
  int ascent_ = 12;
  static constexpr int kMargin = 3;
  static constexpr std::size_t kUndoLimit = 500;
};

}  // namespace quarvel
