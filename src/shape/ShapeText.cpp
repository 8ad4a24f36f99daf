#include "shape/ShapeText.h"

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
  Changed();
}

void ShapeText::Append(std::string line) {
  lines_.push_back(std::move(line));
  Changed();
}

void ShapeText::Clear() {
  lines_.clear();
  Changed();
}

void ShapeText::Assign(const Lines& lines) {
  lines_ = lines;
  Changed();
}

void ShapeText::Assign(Lines&& lines) {
  lines_ = std::move(lines);
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
  Changed();
}

}  // namespace quarvel
