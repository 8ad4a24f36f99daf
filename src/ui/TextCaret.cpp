#include "ui/TextCaret.h"

#include <algorithm>

namespace quarvel {

namespace {

const std::string& LineOf(const TextLines& lines, std::size_t index) {
  static const std::string empty;
  return index < lines.size() ? lines[index] : empty;
}

std::size_t LineCount(const TextLines& lines) {
  return lines.empty() ? 1 : lines.size();
}

}  // namespace

std::size_t TextLength(const TextLines& lines) {
  std::size_t length = 0;
  for (const std::string& line : lines) length += line.size() + kLineEndLength;
  return length;
}

TextPosition ClampedPosition(const TextLines& lines, TextPosition position) {
  position.line = std::min(position.line, LineCount(lines) - 1);
  position.column = std::min(position.column, LineOf(lines, position.line).size());
  return position;
}

std::size_t OffsetOfPosition(const TextLines& lines, TextPosition position) {
  position = ClampedPosition(lines, position);
  std::size_t offset = 0;
  for (std::size_t i = 0; i < position.line; ++i) offset += lines[i].size() + kLineEndLength;
  return offset + position.column;
}

TextPosition PositionOfOffset(const TextLines& lines, std::size_t offset) {
  const std::size_t count = LineCount(lines);
  std::size_t rest = offset;
  for (std::size_t i = 0;; ++i) {
    const std::size_t length = LineOf(lines, i).size();
    if (rest < length + kLineEndLength || i + 1 == count) return {i, std::min(rest, length)};
    rest -= length + kLineEndLength;
  }
}

std::size_t DisplayColumn(std::string_view line, std::size_t column) {
  std::size_t display = 0;
  const std::size_t end = std::min(column, line.size());
  for (std::size_t i = 0; i < end; ++i) display = DisplayColumnAfter(line[i], display);
  return display;
}

std::size_t DisplayWidth(std::string_view line) {
  // Behind the last tab every character is one column: only the indentation
  // needs walking.
  const std::size_t lastTab = line.rfind('\t');
  if (lastTab == std::string_view::npos) return line.size();
  return DisplayColumn(line, lastTab + 1) + (line.size() - lastTab - 1);
}

std::size_t ColumnNearestDisplay(std::string_view line, double display) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const std::size_t next = DisplayColumnAfter(line[i], start);
    if (display < (static_cast<double>(start) + static_cast<double>(next)) / 2) return i;
    start = next;
  }
  return line.size();
}

std::size_t ColumnAtOrBeforeDisplay(std::string_view line, std::size_t display) {
  std::size_t column = 0;
  for (std::size_t start = 0; column < line.size(); ++column) {
    const std::size_t next = DisplayColumnAfter(line[column], start);
    if (next > display) break;
    start = next;
  }
  return column;
}

std::string ExpandTabs(std::string_view line, std::size_t first, std::size_t last) {
  std::string out;
  std::size_t display = 0;
  for (const char c : line) {
    if (display >= last) break;
    const std::size_t next = DisplayColumnAfter(c, display);
    if (c == '\t') {
      for (std::size_t column = std::max(display, first); column < std::min(next, last); ++column)
        out += ' ';
    } else if (display >= first) {
      out += c;
    }
    display = next;
  }
  return out;
}

}  // namespace quarvel
