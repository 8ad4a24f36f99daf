// The window's tables: a model that shows a StringGrid (row 0 as the header
// row) and a table view that asks the form before a cell becomes current or is
// edited, and hands every keystroke of its cell editor to the form.
#pragma once
#include <QAbstractTableModel>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "assignment/VertexLimit.h"
#include "form/StringGrid.h"

class QLineEdit;

namespace quarvel {

class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  GridModel(StringGrid& grid, bool editable, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Follows the grid's size and shows its cells again. Rows and columns are
  // added or removed at the end, so an open editor and the current cell stay.
  void Sync();

  StringGrid& grid() const { return grid_; }
  // Asks how a cell (grid coordinates) is to be drawn; without it every
  // cell is plain. The cells' texts stay what the grid holds.
  using EmphasisQuery = std::function<CellEmphasis(int col, int row)>;
  void SetEmphasis(EmphasisQuery emphasis) { emphasis_ = std::move(emphasis); }
  // Model row of a grid row and back: grid row 0 is the header.
  static int GridRow(int modelRow) { return modelRow + 1; }

 private:
  StringGrid& grid_;
  bool editable_;
  EmphasisQuery emphasis_;
  int rows_ = 0;
  int columns_ = 0;
};

class GridView : public QTableView {
  Q_OBJECT

 public:
  // Grid coordinates (column, row with the header as row 0), as the form
  // addresses cells.
  struct Handlers {
    std::function<bool(int col, int row)> selectCell;
    std::function<void(int col, int row, const std::string& text)> setEditText;
    // The user ended an edit with Enter, Tab or Escape.
    std::function<void()> editCommitted;
  };

  GridView(StringGrid& grid, bool editable, Handlers handlers, QWidget* parent = nullptr);

  // Shows the grid as it is now: size, cells, headers, column widths and the
  // current cell.
  void SyncFromGrid();
  GridModel& gridModel() const { return *model_; }
  int RowHeight() const { return rowHeight_; }
  void SetRowHeight(int height);
  // Keeps column 0 in sight while the table scrolls sideways, as
  // spreadsheets keep a frozen first column.
  void FreezeFirstColumn();
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

  // Called by the cell editor after every keystroke.
  void EditorTextEdited(QLineEdit* editor, const QPersistentModelIndex& index, const QString& text);
  void EditCommitted() {
    if (handlers_.editCommitted) handlers_.editCommitted();
  }

  // While the form runs a handler no editor is closed: a message box runs an
  // event loop of its own, and an editor closed in there is deleted while the
  // keystroke that led to the box is still being handled inside it. Closes
  // asked for meanwhile are carried out when the handler has ended.
  void HoldEditors() { ++holds_; }
  void ReleaseEditors();

 protected:
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void resizeEvent(QResizeEvent* event) override;
  // Jumping to a cell by its text would bypass the form's consent.
  void keyboardSearch(const QString&) override {}

 private:
  bool MaySelect(const QModelIndex& index);
  void PlaceFrozenColumn();
  // Scrolls sideways so that a cell right of the frozen column is not hidden under it.
  void UncoverFromFrozenColumn(const QModelIndex& index);

  GridModel* model_;
  Handlers handlers_;
  QPersistentModelIndex approved_;  // the last cell the form allowed
  bool asking_ = false;             // the form is deciding on a move
  int rowHeight_ = 18;
  QTableView* frozen_ = nullptr;
  int holds_ = 0;
  std::vector<std::pair<QPointer<QWidget>, QAbstractItemDelegate::EndEditHint>> heldCloses_;
};

// The cell editor: a frameless line edit whose every keystroke reaches the
// form. Enter, Tab and Escape close it; the text has already reached the grid.
class GridDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit GridDelegate(GridView* view) : QStyledItemDelegate(view), view_(view) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  GridView* view_;
};

}  // namespace quarvel
