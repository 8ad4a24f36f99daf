#pragma once
#include <string>
#include <vector>

namespace quarvel {

// A table of texts as the window shows it: row 0 holds the headers. Changing
// the row or column count never erases a cell: cells outside the current size
// keep their text and show again when the table grows.
class StringGrid {
 public:
  StringGrid(int colCount, int rowCount) : colCount_(colCount), rowCount_(rowCount) {}

  int ColCount() const { return colCount_; }
  int RowCount() const { return rowCount_; }
  void SetColCount(int count) { colCount_ = count < 0 ? 0 : count; }
  void SetRowCount(int count) { rowCount_ = count < 0 ? 0 : count; }

  // (column, row), as the window addresses its cells.
  const std::string& Cell(int col, int row) const;
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
  int colCount_;
  int rowCount_;
  int col_ = 0;
  int row_ = 1;
  std::vector<std::vector<std::string>> cells_;  // [row][col], grown on demand
};

}  // namespace quarvel
