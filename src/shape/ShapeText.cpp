#include "shape/ShapeText.h"

#include <algorithm>

namespace quarvel {

const std::string& ShapeText::EmptyLine() {
  static const std::string empty;
  return empty;
}

void ShapeText::Changed() {
  modified_ = true;
  ++revision_;
  if (listener_) listener_();
}

void ShapeText::Replace(std::size_t index, std::string line) {
  if (index >= lines_.size()) return;
  lines_[index] = std::move(line);
  Changed();
}

void ShapeText::Insert(std::size_t index, std::string line) {
  if (index > lines_.size()) index = lines_.size();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
  if (index > 0) {
    ShiftContinuations(index, 0, 1);
    continuations_.insert(std::lower_bound(continuations_.begin(), continuations_.end(), index),
                          index);
  }
  Changed();
}

void ShapeText::Delete(std::size_t index) {
  DeleteRange(index, 1);
}

void ShapeText::DeleteRange(std::size_t index, std::size_t count) {
  if (index >= lines_.size() || count == 0) return;
  if (count > lines_.size() - index) count = lines_.size() - index;
  const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(index);
  lines_.erase(first, first + static_cast<std::ptrdiff_t>(count));
  ShiftContinuations(index, count, 0);
  Changed();
}

void ShapeText::Append(std::string line) {
  lines_.push_back(std::move(line));
  Changed();
}

void ShapeText::Clear() {
  lines_.clear();
  continuations_.clear();
  Changed();
}

void ShapeText::Assign(const Lines& lines) {
  lines_ = lines;
  continuations_.clear();
  Changed();
}

void ShapeText::Assign(Lines&& lines) {
  lines_ = std::move(lines);
  continuations_.clear();
  Changed();
}

ShapeText::Lines ShapeText::Take() {
  Lines taken = std::move(lines_);
  lines_.clear();
  Changed();
  return taken;
}

void ShapeText::Splice(std::size_t first, std::size_t removed, Lines inserted) {
  if (first > lines_.size()) first = lines_.size();
  if (removed > lines_.size() - first) removed = lines_.size() - first;
  const auto at = lines_.begin() + static_cast<std::ptrdiff_t>(first);
  const std::size_t common = std::min(removed, inserted.size());
  for (std::size_t k = 0; k < common; ++k) lines_[first + k] = std::move(inserted[k]);
  if (removed > common) {
    lines_.erase(at + static_cast<std::ptrdiff_t>(common),
                 at + static_cast<std::ptrdiff_t>(removed));
  } else if (inserted.size() > common) {
    lines_.insert(at + static_cast<std::ptrdiff_t>(common),
                  std::make_move_iterator(inserted.begin() + static_cast<std::ptrdiff_t>(common)),
                  std::make_move_iterator(inserted.end()));
  }
  ShiftContinuations(first, removed, inserted.size());
  Changed();
}

std::size_t ShapeText::FileLine(std::size_t index) const {
  const auto before = std::upper_bound(continuations_.begin(), continuations_.end(), index);
  return index + 1 - static_cast<std::size_t>(before - continuations_.begin());
}

void ShapeText::ShiftContinuations(std::size_t index, std::size_t removed, std::size_t inserted) {
  if (continuations_.empty()) return;
  const auto from = std::lower_bound(continuations_.begin(), continuations_.end(), index);
  const auto to = std::lower_bound(from, continuations_.end(), index + removed);
  const auto kept = continuations_.erase(from, to);
  for (auto it = kept; it != continuations_.end(); ++it) *it = *it - removed + inserted;
}

}  // namespace quarvel
