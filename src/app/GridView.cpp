#include "app/GridView.h"

#include <QApplication>
#include <QBrush>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>

namespace quarvel {

// ---- GridModel -----------------------------------------------------------------

GridModel::GridModel(StringGrid& grid, bool editable, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), editable_(editable) {
  rows_ = std::max(0, grid_.RowCount() - 1);
  columns_ = std::max(0, grid_.ColCount());
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return QString::fromStdString(grid_.Cell(index.column(), GridRow(index.row())));
    case Qt::ForegroundRole:
    case Qt::FontRole: {
      const CellEmphasis emphasis =
          emphasis_ ? emphasis_(index.column(), GridRow(index.row())) : CellEmphasis::None;
      if (emphasis == CellEmphasis::None) return {};
      if (role == Qt::ForegroundRole) return QBrush(Qt::red);
      if (emphasis != CellEmphasis::BeyondIndexRange) return {};
      // Only the weight: the view's own family and size stay.
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    default:
      return {};
  }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return QString::fromStdString(grid_.Cell(section, 0));
  return section + 1;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (editable_) flags |= Qt::ItemIsEditable;
  return flags;
}

void GridModel::Sync() {
  const int columns = std::max(0, grid_.ColCount());
  if (columns > columns_) {
    beginInsertColumns({}, columns_, columns - 1);
    columns_ = columns;
    endInsertColumns();
  } else if (columns < columns_) {
    beginRemoveColumns({}, columns, columns_ - 1);
    columns_ = columns;
    endRemoveColumns();
  }
  const int rows = std::max(0, grid_.RowCount() - 1);
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  } else if (rows < rows_) {
    beginRemoveRows({}, rows, rows_ - 1);
    rows_ = rows;
    endRemoveRows();
  }
  // Every cell at once: views repaint what they show and leave open editors
  // alone (a single-cell change would reset the editor's text).
  if (rows_ > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
  if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

// ---- GridView ------------------------------------------------------------------

GridView::GridView(StringGrid& grid, bool editable, Handlers handlers, QWidget* parent)
    : QTableView(parent),
      model_(new GridModel(grid, editable, this)),
      handlers_(std::move(handlers)) {
  setModel(model_);
  setItemDelegate(new GridDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  // No editor on a click into the selected cell: Qt waits a double-click
  // interval before opening it and drops the keys typed meanwhile.
  setEditTriggers(editable ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed
                           : QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setCornerButtonEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  QHeaderView* header = horizontalHeader();
  header->setSectionResizeMode(QHeaderView::Fixed);
  header->setMinimumSectionSize(1);
  header->setSectionsClickable(false);
  header->setHighlightSections(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  SetRowHeight(rowHeight_);
  SyncFromGrid();
}

void GridView::SetRowHeight(int height) {
  rowHeight_ = height;
  for (QTableView* view : {static_cast<QTableView*>(this), frozen_}) {
    if (view == nullptr) continue;
    view->verticalHeader()->setDefaultSectionSize(height);
    view->horizontalHeader()->setFixedHeight(height);
  }
  PlaceFrozenColumn();
}

void GridView::FreezeFirstColumn() {
  if (frozen_ != nullptr) return;
  frozen_ = new QTableView(this);
  frozen_->setObjectName(QStringLiteral("FrozenColumn"));
  frozen_->setModel(model_);
  frozen_->setSelectionModel(selectionModel());
  // It only shows: clicks, the wheel and the keyboard reach the table below,
  // which asks the form as for any other cell.
  frozen_->setFocusPolicy(Qt::NoFocus);
  frozen_->setAttribute(Qt::WA_TransparentForMouseEvents);
  frozen_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setFrameShape(QFrame::NoFrame);
  frozen_->setWordWrap(false);
  frozen_->setTextElideMode(Qt::ElideNone);
  frozen_->verticalHeader()->hide();
  frozen_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen_->verticalHeader()->setMinimumSectionSize(1);
  QHeaderView* header = frozen_->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::Fixed);
  header->setMinimumSectionSize(1);
  header->setHighlightSections(false);
  header->setDefaultAlignment(horizontalHeader()->defaultAlignment());
  viewport()->stackUnder(frozen_);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, frozen_->verticalScrollBar(),
          &QScrollBar::setValue);
  SetRowHeight(rowHeight_);
  SyncFromGrid();
  frozen_->show();
}

void GridView::PlaceFrozenColumn() {
  if (frozen_ == nullptr) return;
  for (int col = 1; col < model_->columnCount(); ++col)
    if (!frozen_->isColumnHidden(col)) frozen_->setColumnHidden(col, true);
  const int width = columnWidth(0);
  if (frozen_->columnWidth(0) != width) frozen_->setColumnWidth(0, width);
  frozen_->setGeometry(frameWidth(), frameWidth(), width,
                       viewport()->height() + horizontalHeader()->height());
  frozen_->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void GridView::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  PlaceFrozenColumn();
}

void GridView::UncoverFromFrozenColumn(const QModelIndex& index) {
  if (frozen_ == nullptr || !index.isValid() || index.column() == 0) return;
  const int hidden = columnWidth(0) - visualRect(index).left();
  if (hidden > 0) horizontalScrollBar()->setValue(horizontalScrollBar()->value() - hidden);
}

void GridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  QTableView::scrollTo(index, hint);
  UncoverFromFrozenColumn(index);
}

void GridView::SyncFromGrid() {
  model_->Sync();
  const StringGrid& grid = model_->grid();
  QHeaderView* header = horizontalHeader();
  for (int col = 0; col < model_->columnCount(); ++col) {
    const int width = grid.ColWidth(col);
    if (header->sectionSize(col) != width) header->resizeSection(col, width);
  }
  PlaceFrozenColumn();
  // While the user moves, the view itself goes where the form allowed.
  if (asking_) return;
  const QModelIndex wanted = model_->index(grid.Row() - 1, grid.Col());
  if (wanted.isValid() && wanted != currentIndex())
    selectionModel()->setCurrentIndex(wanted, QItemSelectionModel::ClearAndSelect);
}

bool GridView::MaySelect(const QModelIndex& index) {
  bool allowed = true;
  if (handlers_.selectCell) {
    asking_ = true;
    allowed = handlers_.selectCell(index.column(), GridModel::GridRow(index.row()));
    asking_ = false;
  }
  if (allowed) approved_ = index;
  return allowed;
}

QModelIndex GridView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  const QModelIndex target = QTableView::moveCursor(cursorAction, modifiers);
  if (!target.isValid() || target == currentIndex()) return target;
  return MaySelect(target) ? target : currentIndex();
}

void GridView::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (index.isValid() && index != currentIndex() && !MaySelect(index)) {
    setFocus(Qt::MouseFocusReason);
    event->accept();
    return;
  }
  QTableView::mousePressEvent(event);
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
  // Dragging would move the current cell without asking the form.
  if (event->buttons() != Qt::NoButton) {
    event->accept();
    return;
  }
  QTableView::mouseMoveEvent(event);
}

bool GridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  const bool opensEditor =
      trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger);
  if (opensEditor && index.isValid() && (model_->flags(index) & Qt::ItemIsEditable) &&
      index != approved_ && !MaySelect(index))
    return false;
  return QTableView::edit(index, trigger, event);
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (current.isValid())
    model_->grid().SetCurrent(current.column(), GridModel::GridRow(current.row()));
}

void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  if (holds_ > 0) {
    heldCloses_.emplace_back(editor, hint);
    return;
  }
  QTableView::closeEditor(editor, hint);
}

void GridView::ReleaseEditors() {
  if (holds_ > 0) --holds_;
  if (holds_ > 0) return;
  auto closes = std::move(heldCloses_);
  heldCloses_.clear();
  for (auto& [editor, hint] : closes) {
    if (!editor) continue;
    // A close that only came from a message box taking the focus is dropped:
    // the user goes on typing in the editor once the box is gone.
    const QWidget* focus = QApplication::focusWidget();
    const bool focusStayedHere = focus == nullptr || focus->window() != window() ||
                                 focus == editor || editor->isAncestorOf(focus) || focus == this ||
                                 focus == viewport();
    if (focusStayedHere) {
      editor->setFocus(Qt::OtherFocusReason);
      continue;
    }
    QTableView::closeEditor(editor, hint);
  }
}

void GridView::EditorTextEdited(QLineEdit* editor, const QPersistentModelIndex& index,
                                const QString& text) {
  if (!index.isValid() || !handlers_.setEditText) return;
  // A refusal shows a message box; closing the editor meanwhile deletes it.
  const QPointer<QLineEdit> alive(editor);
  const int col = index.column();
  const int row = GridModel::GridRow(index.row());
  handlers_.setEditText(col, row, text.toStdString());
  if (!alive || !index.isValid()) return;
  const QString cell = QString::fromStdString(model_->grid().Cell(col, row));
  if (alive->text() != cell) alive->setText(cell);
}

// ---- GridDelegate --------------------------------------------------------------

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const {
  auto* editor = new QLineEdit(parent);
  editor->setFrame(false);
  const QPersistentModelIndex persistent(index);
  GridView* view = view_;
  connect(editor, &QLineEdit::textEdited, view, [view, editor, persistent](const QString& text) {
    view->EditorTextEdited(editor, persistent, text);
  });
  return editor;
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event) {
  auto* editor = qobject_cast<QWidget*>(object);
  if (editor != nullptr && event->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Tab:
      case Qt::Key_Backtab:
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Escape:
        emit commitData(editor);
        view_->EditCommitted();
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        return true;
      default:
        break;
    }
  }
  return QStyledItemDelegate::eventFilter(object, event);
}

}  // namespace quarvel
