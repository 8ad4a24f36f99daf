#pragma once
#include <optional>
#include <string>
#include <vector>

namespace quarvel {

// The data a table shows: the text of each of its cells and what a typed
// cell becomes. Cells it does not hold (none: the grid's own) stay with the
// grid, as do the header row and the layout.
class GridSource {
 public:
  virtual ~GridSource() = default;
  virtual std::optional<std::string> Cell(int col, int row) const = 0;  // row >= 1
  // False: not a cell of the source.
  virtual bool SetCell(int col, int row, const std::string& text) = 0;
  // The data rows, when the source counts them.
  virtual std::optional<int> Rows() const { return std::nullopt; }
  virtual void SetRows(int) {}
};

// A table of texts as the window shows it: row 0 holds the headers. Changing
// the row or column count never erases a cell: cells outside the current size
// keep their text and show again when the table grows.
class StringGrid {
 public:
  StringGrid(int colCount, int rowCount) : colCount_(colCount), rowCount_(rowCount) {}
  StringGrid(const StringGrid&) = delete;
  StringGrid& operator=(const StringGrid&) = delete;

  // From now on the grid shows `source` (which outlives it), with the rows
  // the grid has.
  void Show(GridSource& source) {
    source_ = &source;
    SetRowCount(rowCount_);
  }

  int ColCount() const { return colCount_; }
  int RowCount() const;
  void SetColCount(int count) { colCount_ = count < 0 ? 0 : count; }
  void SetRowCount(int count);

  // (column, row), as the window addresses its cells.
  std::string Cell(int col, int row) const;
  void SetCell(int col, int row, std::string text);

  // The current cell: the one the keyboard focus is on.
  int Col() const { return col_; }
  int Row() const { return row_; }
  void SetCurrent(int col, int row) { col_ = col, row_ = row; }

  // Layout that the window shows.
  std::vector<int> colWidths;  // per column, pixels; 0 means the default width
  int defaultColWidth = 28;
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);

 private:
  GridSource* source_ = nullptr;
  int colCount_;
  int rowCount_;
  int col_ = 0;
  int row_ = 1;
  std::vector<std::vector<std::string>> cells_;  // [row][col], grown on demand
};

}  // namespace quarvel
