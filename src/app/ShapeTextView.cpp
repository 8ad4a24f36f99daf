#include "app/ShapeTextView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace quarvel {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Control characters have no glyph of their own; showing a stand-in keeps the
// columns of the line in place.
QChar DisplayChar(unsigned char c) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return QChar(0xFFFD);
  return QChar(c);
}

// The display columns [start, end) of `line`, tabs expanded.
QString DisplaySlice(const std::string& line, std::size_t start, std::size_t end) {
  QString out;
  for (const char c : ExpandTabs(line, start, end))
    out += DisplayChar(static_cast<unsigned char>(c));
  return out;
}

std::vector<std::string> SplitLines(std::string_view latin1) {
  std::vector<std::string> parts(1);
  for (const char c : latin1) {
    if (c == '\n')
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

// Text from the clipboard with its line ends as the view keeps them.
std::string ClipboardToLatin1(const QString& text) {
  QString normalised = text;
  normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  normalised.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
  normalised.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
  return normalised.toLatin1().toStdString();
}

}  // namespace

ShapeTextView::ShapeTextView(ShapeText& text, QWidget* parent)
    : QAbstractScrollArea(parent), text_(text) {
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setKerning(false);
  setFont(fixed);
  setFocusPolicy(Qt::ClickFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  viewport()->setCursor(Qt::IBeamCursor);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setBackgroundRole(QPalette::Base);
  setAttribute(Qt::WA_KeyCompression, false);
  UpdateMetrics();
  shownRevision_ = text_.Revision();
  widestDisplayLine_ = 0;
  for (const std::string& line : text_.All())
    widestDisplayLine_ = std::max(widestDisplayLine_, DisplayWidth(line));
  UpdateScrollBars();
}

// ---- Document ------------------------------------------------------------------

bool ShapeTextView::SyncWithDocument() {
  if (InSync()) return false;
  shownRevision_ = text_.Revision();
  undo_.clear();
  redo_.clear();
  mergeTyping_ = false;
  caret_ = Clamped(caret_);
  anchor_ = caret_;
  caretOffset_.reset();
  widestDisplayLine_ = 0;
  for (const std::string& line : text_.All())
    widestDisplayLine_ = std::max(widestDisplayLine_, DisplayWidth(line));
  UpdateScrollBars();
  viewport()->update();
  return true;
}

ShapeTextView::Position ShapeTextView::Clamped(Position position) const {
  return ClampedPosition(text_.All(), position);
}

std::size_t ShapeTextView::CaretOffset() const {
  if (!caretOffset_) caretOffset_ = OffsetOfPosition(text_.All(), caret_);
  return *caretOffset_;
}

void ShapeTextView::SetCaretOffset(std::size_t offset) {
  const Position target = PositionOfOffset(text_.All(), offset);
  // A jump to a line out of sight brings it to the middle, with the lines
  // around it; a line in sight stays where it is.
  const auto line = static_cast<long long>(target.line);
  const long long first = verticalScrollBar()->value();
  const int visible = VisibleLines();
  if (line < first || line >= first + visible)
    verticalScrollBar()->setValue(static_cast<int>(std::max<long long>(0, line - visible / 2)));
  MoveCaret(target, false);
}

void ShapeTextView::SetCaret(Position position, bool keepAnchor) {
  MoveCaret(Clamped(position), keepAnchor);
}

std::string ShapeTextView::SelectedText() const {
  const Position from = Clamped(SelectionStart());
  const Position to = Clamped(SelectionEnd());
  if (from.line == to.line) return Line(from.line).substr(from.column, to.column - from.column);
  std::string out = Line(from.line).substr(from.column);
  for (std::size_t i = from.line + 1; i < to.line; ++i) {
    out += '\n';
    out += Line(i);
  }
  out += '\n';
  out += Line(to.line).substr(0, to.column);
  return out;
}

void ShapeTextView::SelectAll() {
  anchor_ = {0, 0};
  const std::size_t last = LineCount() - 1;
  MoveCaret({last, Line(last).size()}, true);
}

void ShapeTextView::RunEdit(const std::function<void()>& edit) {
  if (runEdit_)
    runEdit_(edit);
  else
    edit();
}

void ShapeTextView::Replace(Position from, Position to, std::string_view latin1, bool typing) {
  from = Clamped(from);
  to = Clamped(to);
  if (from == to && latin1.empty()) return;
  RunEdit([&] {
    const bool wasEmpty = text_.Empty();
    std::vector<std::string> lines = SplitLines(latin1);
    const std::size_t lastPartLength = lines.back().size();
    const std::size_t parts = lines.size();
    lines.back() += Line(to.line).substr(to.column);
    lines.front().insert(0, Line(from.line), 0, from.column);

    UndoStep step;
    step.first = from.line;
    const std::size_t removed = wasEmpty ? 0 : to.line - from.line + 1;
    const auto begin = text_.All().begin() + static_cast<std::ptrdiff_t>(from.line);
    step.lines.assign(begin, begin + static_cast<std::ptrdiff_t>(removed));
    step.count = lines.size();
    step.caretBefore = caret_;
    step.anchorBefore = anchor_;
    step.caretAfter = {from.line + parts - 1, (parts == 1 ? from.column : 0) + lastPartLength};
    step.typing = typing;
    for (const std::string& line : lines)
      widestDisplayLine_ = std::max(widestDisplayLine_, DisplayWidth(line));

    text_.Splice(from.line, removed, std::move(lines));
    shownRevision_ = text_.Revision();
    caret_ = anchor_ = step.caretAfter;

    UndoStep* previous = undo_.empty() ? nullptr : &undo_.back();
    if (typing && mergeTyping_ && previous != nullptr && previous->typing &&
        previous->first == step.first && previous->count == 1 && step.count == 1 &&
        step.lines.size() == 1) {
      previous->caretAfter = step.caretAfter;
    } else {
      undo_.push_back(std::move(step));
      if (undo_.size() > kUndoLimit) undo_.erase(undo_.begin());
    }
    redo_.clear();
  });
  mergeTyping_ = typing;
  preferredDisplayColumn_ = DisplayColumn(Line(Clamped(caret_).line), Clamped(caret_).column);
  CaretChanged();
}

void ShapeTextView::ApplyStep(UndoStep& step, std::vector<UndoStep>& opposite) {
  const bool undoing = &opposite == &redo_;
  RunEdit([&] {
    const std::size_t first = std::min(step.first, text_.Count());
    const std::size_t count = std::min(step.count, text_.Count() - first);
    UndoStep inverse = step;
    const auto begin = text_.All().begin() + static_cast<std::ptrdiff_t>(first);
    inverse.lines.assign(begin, begin + static_cast<std::ptrdiff_t>(count));
    inverse.count = step.lines.size();
    for (const std::string& line : step.lines)
      widestDisplayLine_ = std::max(widestDisplayLine_, DisplayWidth(line));
    text_.Splice(first, count, std::move(step.lines));
    shownRevision_ = text_.Revision();
    if (undoing) {
      caret_ = step.caretBefore;
      anchor_ = step.anchorBefore;
    } else {
      caret_ = anchor_ = step.caretAfter;
    }
    opposite.push_back(std::move(inverse));
  });
  caret_ = Clamped(caret_);
  anchor_ = Clamped(anchor_);
  mergeTyping_ = false;
  preferredDisplayColumn_ = DisplayColumn(Line(caret_.line), caret_.column);
  CaretChanged();
}

void ShapeTextView::Undo() {
  if (undo_.empty()) return;
  UndoStep step = std::move(undo_.back());
  undo_.pop_back();
  ApplyStep(step, redo_);
}

void ShapeTextView::Redo() {
  if (redo_.empty()) return;
  UndoStep step = std::move(redo_.back());
  redo_.pop_back();
  ApplyStep(step, undo_);
}

void ShapeTextView::InsertText(std::string_view latin1) {
  Replace(SelectionStart(), SelectionEnd(), latin1, false);
}

void ShapeTextView::Copy() const {
  if (HasSelection()) QGuiApplication::clipboard()->setText(QString::fromLatin1(SelectedText()));
}

void ShapeTextView::Cut() {
  if (!HasSelection()) return;
  Copy();
  Replace(SelectionStart(), SelectionEnd(), {}, false);
}

void ShapeTextView::Paste() {
  const QString text = QGuiApplication::clipboard()->text();
  if (!text.isEmpty()) InsertText(ClipboardToLatin1(text));
}

// ---- Caret ---------------------------------------------------------------------

void ShapeTextView::MoveCaret(Position position, bool select) {
  caret_ = Clamped(position);
  if (!select) anchor_ = caret_;
  mergeTyping_ = false;
  preferredDisplayColumn_ = DisplayColumn(Line(caret_.line), caret_.column);
  CaretChanged();
}

void ShapeTextView::CaretChanged() {
  caretOffset_.reset();
  UpdateScrollBars();
  EnsureCaretVisible();
  RestartBlink();
  viewport()->update();
}

ShapeTextView::Position ShapeTextView::WordLeft(Position from) const {
  if (from.column == 0)
    return from.line > 0 ? Position{from.line - 1, Line(from.line - 1).size()} : from;
  const std::string& line = Line(from.line);
  std::size_t column = from.column;
  while (column > 0 && IsBlank(line[column - 1])) --column;
  while (column > 0 && !IsBlank(line[column - 1])) --column;
  return {from.line, column};
}

ShapeTextView::Position ShapeTextView::WordRight(Position from) const {
  const std::string& line = Line(from.line);
  if (from.column >= line.size())
    return from.line + 1 < LineCount() ? Position{from.line + 1, 0} : from;
  std::size_t column = from.column;
  while (column < line.size() && !IsBlank(line[column])) ++column;
  while (column < line.size() && IsBlank(line[column])) ++column;
  return {from.line, column};
}

std::pair<ShapeTextView::Position, ShapeTextView::Position> ShapeTextView::WordAt(
    Position at) const {
  const std::string& line = Line(at.line);
  if (line.empty()) return {at, at};
  const std::size_t inside = std::min(at.column, line.size() - 1);
  const bool blank = IsBlank(line[inside]);
  std::size_t begin = inside;
  std::size_t end = inside;
  while (begin > 0 && IsBlank(line[begin - 1]) == blank) --begin;
  while (end < line.size() && IsBlank(line[end]) == blank) ++end;
  return {{at.line, begin}, {at.line, end}};
}

// ---- Geometry ------------------------------------------------------------------

qreal ShapeTextView::XOfDisplayColumn(std::size_t displayColumn) const {
  return kMargin + static_cast<qreal>(displayColumn) * charWidth_ - horizontalScrollBar()->value();
}

std::size_t ShapeTextView::ColumnAtX(const std::string& line, qreal x) const {
  return ColumnNearestDisplay(line, (x + horizontalScrollBar()->value() - kMargin) / charWidth_);
}

ShapeTextView::Position ShapeTextView::PositionAt(const QPoint& point) const {
  const int row =
      point.y() >= 0 ? point.y() / lineHeight_ : (point.y() - lineHeight_ + 1) / lineHeight_;
  const long long line =
      std::clamp<long long>(static_cast<long long>(verticalScrollBar()->value()) + row, 0,
                            static_cast<long long>(LineCount()) - 1);
  const auto index = static_cast<std::size_t>(line);
  return {index, ColumnAtX(Line(index), point.x())};
}

int ShapeTextView::VisibleLines() const {
  return std::max(1, viewport()->height() / lineHeight_);
}

int ShapeTextView::FirstVisibleLine() const {
  return verticalScrollBar()->value();
}

void ShapeTextView::UpdateMetrics() {
  const QFontMetricsF metrics(font());
  charWidth_ = metrics.horizontalAdvance(QString(100, QLatin1Char('M'))) / 100;
  if (charWidth_ <= 0) charWidth_ = 8;
  lineHeight_ = std::max(1, static_cast<int>(std::ceil(metrics.lineSpacing())));
  ascent_ = static_cast<int>(std::round(metrics.ascent()));
}

void ShapeTextView::UpdateScrollBars() {
  const int visible = VisibleLines();
  const auto lines = static_cast<long long>(LineCount());
  verticalScrollBar()->setRange(0, static_cast<int>(std::max<long long>(0, lines - visible)));
  verticalScrollBar()->setPageStep(visible);
  verticalScrollBar()->setSingleStep(1);
  const double contentWidth =
      static_cast<double>(widestDisplayLine_ + 1) * charWidth_ + 2 * kMargin;
  const int width = viewport()->width();
  horizontalScrollBar()->setRange(0,
                                  std::max(0, static_cast<int>(std::ceil(contentWidth)) - width));
  horizontalScrollBar()->setPageStep(std::max(1, width));
  horizontalScrollBar()->setSingleStep(std::max(1, static_cast<int>(std::ceil(charWidth_))));
}

void ShapeTextView::EnsureCaretVisible() {
  const Position caret = Clamped(caret_);
  const int visible = VisibleLines();
  const long long first = verticalScrollBar()->value();
  const auto line = static_cast<long long>(caret.line);
  if (line < first)
    verticalScrollBar()->setValue(static_cast<int>(line));
  else if (line >= first + visible)
    verticalScrollBar()->setValue(static_cast<int>(line - visible + 1));

  const qreal x =
      kMargin + static_cast<qreal>(DisplayColumn(Line(caret.line), caret.column)) * charWidth_;
  const int scrolled = horizontalScrollBar()->value();
  const int width = viewport()->width();
  if (x - kMargin < scrolled)
    horizontalScrollBar()->setValue(static_cast<int>(x) - kMargin);
  else if (x + charWidth_ > scrolled + width)
    horizontalScrollBar()->setValue(static_cast<int>(std::ceil(x + charWidth_)) - width + kMargin);
}

void ShapeTextView::RestartBlink() {
  caretShown_ = true;
  const int flash = QApplication::cursorFlashTime();
  if (hasFocus() && flash > 0)
    blink_.start(flash / 2, this);
  else
    blink_.stop();
}

// ---- Events --------------------------------------------------------------------

void ShapeTextView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QPalette& colours = palette();
  painter.fillRect(viewport()->rect(), colours.base());
  painter.setFont(font());

  const std::size_t first = static_cast<std::size_t>(verticalScrollBar()->value());
  const std::size_t rows = static_cast<std::size_t>(viewport()->height() / lineHeight_) + 2;
  const std::size_t firstColumn =
      static_cast<std::size_t>(std::max(0, horizontalScrollBar()->value() - kMargin) / charWidth_);
  const std::size_t columns = static_cast<std::size_t>(viewport()->width() / charWidth_) + 2;
  const bool selection = HasSelection();
  const Position from = Clamped(SelectionStart());
  const Position to = Clamped(SelectionEnd());
  const qreal textX = XOfDisplayColumn(firstColumn);

  for (std::size_t row = 0; row < rows; ++row) {
    const std::size_t index = first + row;
    if (index >= LineCount()) break;
    const std::string& line = Line(index);
    const int y = static_cast<int>(row) * lineHeight_;
    const QString shown = DisplaySlice(line, firstColumn, firstColumn + columns);
    const QPointF baseline(textX, y + ascent_);
    painter.setPen(colours.text().color());
    if (selection && index >= from.line && index <= to.line) {
      const std::size_t begin = index == from.line ? DisplayColumn(line, from.column) : 0;
      // A selected line break shows as one selected column behind the line.
      const std::size_t end =
          index == to.line ? DisplayColumn(line, to.column) : DisplayWidth(line) + 1;
      const QRectF selected(XOfDisplayColumn(begin), y,
                            static_cast<qreal>(end - begin) * charWidth_, lineHeight_);
      painter.fillRect(selected, colours.highlight());
      painter.drawText(baseline, shown);
      painter.save();
      painter.setClipRect(selected);
      painter.setPen(colours.highlightedText().color());
      painter.drawText(baseline, shown);
      painter.restore();
    } else {
      painter.drawText(baseline, shown);
    }
  }

  const Position caret = Clamped(caret_);
  if (hasFocus() && caretShown_ && caret.line >= first && caret.line < first + rows) {
    const qreal x = XOfDisplayColumn(DisplayColumn(Line(caret.line), caret.column));
    const int y = static_cast<int>(caret.line - first) * lineHeight_;
    painter.fillRect(QRectF(x, y, 1.5, lineHeight_), colours.text());
  }
}

void ShapeTextView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void ShapeTextView::keyPressEvent(QKeyEvent* event) {
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const bool control = event->modifiers() & Qt::ControlModifier;
  if (event->matches(QKeySequence::SelectAll)) return SelectAll();
  if (event->matches(QKeySequence::Copy)) return Copy();
  if (event->matches(QKeySequence::Cut)) return Cut();
  if (event->matches(QKeySequence::Paste)) return Paste();
  if (event->matches(QKeySequence::Undo)) return Undo();
  if (event->matches(QKeySequence::Redo)) return Redo();

  const Position caret = Clamped(caret_);
  const std::size_t lastLine = LineCount() - 1;
  const auto vertical = [&](long long delta) {
    const long long target = std::clamp<long long>(static_cast<long long>(caret.line) + delta, 0,
                                                   static_cast<long long>(lastLine));
    const auto line = static_cast<std::size_t>(target);
    const std::size_t column = ColumnAtOrBeforeDisplay(Line(line), preferredDisplayColumn_);
    const std::size_t keep = preferredDisplayColumn_;
    MoveCaret({line, column}, shift);
    preferredDisplayColumn_ = keep;
  };

  switch (event->key()) {
    case Qt::Key_Left:
      if (!shift && HasSelection()) return MoveCaret(SelectionStart(), false);
      if (control) return MoveCaret(WordLeft(caret), shift);
      if (caret.column > 0) return MoveCaret({caret.line, caret.column - 1}, shift);
      if (caret.line > 0) return MoveCaret({caret.line - 1, Line(caret.line - 1).size()}, shift);
      return MoveCaret(caret, shift);
    case Qt::Key_Right:
      if (!shift && HasSelection()) return MoveCaret(SelectionEnd(), false);
      if (control) return MoveCaret(WordRight(caret), shift);
      if (caret.column < Line(caret.line).size())
        return MoveCaret({caret.line, caret.column + 1}, shift);
      if (caret.line < lastLine) return MoveCaret({caret.line + 1, 0}, shift);
      return MoveCaret(caret, shift);
    case Qt::Key_Up:
      return vertical(-1);
    case Qt::Key_Down:
      return vertical(1);
    case Qt::Key_PageUp:
      verticalScrollBar()->setValue(verticalScrollBar()->value() - VisibleLines());
      return vertical(-VisibleLines());
    case Qt::Key_PageDown:
      verticalScrollBar()->setValue(verticalScrollBar()->value() + VisibleLines());
      return vertical(VisibleLines());
    case Qt::Key_Home:
      return MoveCaret(control ? Position{0, 0} : Position{caret.line, 0}, shift);
    case Qt::Key_End:
      return MoveCaret(control ? Position{lastLine, Line(lastLine).size()}
                               : Position{caret.line, Line(caret.line).size()},
                       shift);
    case Qt::Key_Backspace:
      if (HasSelection()) return Replace(SelectionStart(), SelectionEnd(), {}, false);
      if (caret.column > 0) return Replace({caret.line, caret.column - 1}, caret, {}, true);
      if (caret.line > 0)
        return Replace({caret.line - 1, Line(caret.line - 1).size()}, caret, {}, false);
      return;
    case Qt::Key_Delete:
      if (HasSelection()) return Replace(SelectionStart(), SelectionEnd(), {}, false);
      if (caret.column < Line(caret.line).size())
        return Replace(caret, {caret.line, caret.column + 1}, {}, true);
      if (caret.line < lastLine) return Replace(caret, {caret.line + 1, 0}, {}, false);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return Replace(SelectionStart(), SelectionEnd(), "\n", false);
    case Qt::Key_Tab:
      if (control) {
        QAbstractScrollArea::focusNextPrevChild(true);
        return;
      }
      return Replace(SelectionStart(), SelectionEnd(), "\t", !HasSelection());
    case Qt::Key_Backtab:
      if (control) QAbstractScrollArea::focusNextPrevChild(false);
      return;
    default:
      break;
  }

  const QString typed = event->text();
  const bool printable = !typed.isEmpty() && std::all_of(typed.begin(), typed.end(), [](QChar c) {
    return c.unicode() >= 0x20 && c.unicode() != 0x7F &&
           !(c.unicode() >= 0x80 && c.unicode() < 0xA0);
  });
  if (printable) {
    Replace(SelectionStart(), SelectionEnd(), typed.toLatin1().toStdString(), !HasSelection());
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void ShapeTextView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  selectingWithMouse_ = true;
  MoveCaret(PositionAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void ShapeTextView::mouseMoveEvent(QMouseEvent* event) {
  if (selectingWithMouse_ && (event->buttons() & Qt::LeftButton)) {
    MoveCaret(PositionAt(event->position().toPoint()), true);
  } else {
    selectingWithMouse_ = false;
  }
}

void ShapeTextView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const auto [begin, end] = WordAt(PositionAt(event->position().toPoint()));
  anchor_ = begin;
  MoveCaret(end, true);
}

void ShapeTextView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  RestartBlink();
  viewport()->update();
}

void ShapeTextView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  blink_.stop();
  selectingWithMouse_ = false;
  viewport()->update();
}

void ShapeTextView::timerEvent(QTimerEvent* event) {
  if (event->timerId() != blink_.timerId()) return QAbstractScrollArea::timerEvent(event);
  caretShown_ = !caretShown_;
  viewport()->update();
}

QString ShapeTextView::Caption(Text text) const {
  return QString::fromStdString(TextFrom(texts_, text));
}

void ShapeTextView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(Caption(Text::MenuUndo), this, &ShapeTextView::Undo)->setEnabled(CanUndo());
  menu.addAction(Caption(Text::MenuRedo), this, &ShapeTextView::Redo)->setEnabled(CanRedo());
  menu.addSeparator();
  menu.addAction(Caption(Text::MenuCut), this, &ShapeTextView::Cut)->setEnabled(HasSelection());
  menu.addAction(Caption(Text::MenuCopy), this, &ShapeTextView::Copy)->setEnabled(HasSelection());
  menu.addAction(Caption(Text::MenuPaste), this, &ShapeTextView::Paste)
      ->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
  menu.addAction(Caption(Text::MenuDelete), this,
                 [this] { Replace(SelectionStart(), SelectionEnd(), {}, false); })
      ->setEnabled(HasSelection());
  menu.addSeparator();
  menu.addAction(Caption(Text::MenuSelectAll), this, &ShapeTextView::SelectAll);
  menu.exec(event->globalPos());
}

void ShapeTextView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    UpdateMetrics();
    UpdateScrollBars();
    viewport()->update();
  }
}

bool ShapeTextView::focusNextPrevChild(bool) {
  return false;
}

void ShapeTextView::inputMethodEvent(QInputMethodEvent* event) {
  const QString committed = event->commitString();
  if (!committed.isEmpty())
    Replace(SelectionStart(), SelectionEnd(), committed.toLatin1().toStdString(), false);
  event->accept();
}

QVariant ShapeTextView::inputMethodQuery(Qt::InputMethodQuery query) const {
  const Position caret = Clamped(caret_);
  switch (query) {
    case Qt::ImCursorRectangle: {
      const qreal x = XOfDisplayColumn(DisplayColumn(Line(caret.line), caret.column));
      const long long row = static_cast<long long>(caret.line) - verticalScrollBar()->value();
      return QRectF(x, static_cast<qreal>(row * lineHeight_), 1, lineHeight_).toRect();
    }
    case Qt::ImFont:
      return font();
    case Qt::ImEnabled:
      return true;
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}

}  // namespace quarvel
