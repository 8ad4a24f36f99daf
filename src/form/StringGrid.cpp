#include "form/StringGrid.h"

namespace quarvel {

int StringGrid::RowCount() const {
  if (source_)
    if (const auto rows = source_->Rows()) return *rows + 1;
  return rowCount_;
}

void StringGrid::SetRowCount(int count) {
  rowCount_ = count < 0 ? 0 : count;
  if (source_) source_->SetRows(rowCount_ > 0 ? rowCount_ - 1 : 0);
}

std::string StringGrid::Cell(int col, int row) const {
  if (source_ && row >= 1 && col >= 0)
    if (auto text = source_->Cell(col, row)) return *text;
  static const std::string empty;
  if (row < 0 || col < 0 || static_cast<std::size_t>(row) >= cells_.size()) return empty;
  const auto& cells = cells_[static_cast<std::size_t>(row)];
  return static_cast<std::size_t>(col) < cells.size() ? cells[static_cast<std::size_t>(col)]
                                                      : empty;
}

void StringGrid::SetCell(int col, int row, std::string text) {
  if (row < 0 || col < 0) return;
  if (source_ && row >= 1 && source_->SetCell(col, row, text)) return;
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
