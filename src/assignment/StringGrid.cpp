#include "assignment/StringGrid.h"

namespace quarvel {

const std::string& StringGrid::Cell(int col, int row) const {
  static const std::string empty;
  if (row < 0 || col < 0 || static_cast<std::size_t>(row) >= cells_.size()) return empty;
  const auto& cells = cells_[static_cast<std::size_t>(row)];
  return static_cast<std::size_t>(col) < cells.size() ? cells[static_cast<std::size_t>(col)]
                                                      : empty;
}

void StringGrid::SetCell(int col, int row, std::string text) {
  if (row < 0 || col < 0) return;
  const auto r = static_cast<std::size_t>(row);
  const auto c = static_cast<std::size_t>(col);
  if (r >= cells_.size()) {
    if (text.empty()) return;
    cells_.resize(r + 1);
  }
  auto& cells = cells_[r];
  if (c >= cells.size()) {
    if (text.empty()) return;
    cells.resize(c + 1);
  }
  cells[c] = std::move(text);
}

int StringGrid::ColWidth(int col) const {
  if (col >= 0 && static_cast<std::size_t>(col) < colWidths.size() &&
      colWidths[static_cast<std::size_t>(col)] > 0)
    return colWidths[static_cast<std::size_t>(col)];
  return defaultColWidth;
}

void StringGrid::SetColWidth(int col, int width) {
  if (col < 0) return;
  if (static_cast<std::size_t>(col) >= colWidths.size())
    colWidths.resize(static_cast<std::size_t>(col) + 1, 0);
  colWidths[static_cast<std::size_t>(col)] = width;
}

}  // namespace quarvel
