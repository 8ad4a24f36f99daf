#pragma once
#include <compare>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quarvel {

// Places in the text of the text view. The commands see the text as one
// string in which every line is followed by a line end of two characters
// (CR LF); the view keeps lines and places its caret by line and byte index.
// An empty list of lines reads as one empty line.

using TextLines = std::vector<std::string>;

inline constexpr std::size_t kLineEndLength = 2;

struct TextPosition {
  std::size_t line = 0;
  std::size_t column = 0;  // byte index in the line
  friend bool operator==(const TextPosition&, const TextPosition&) = default;
  friend auto operator<=>(const TextPosition&, const TextPosition&) = default;
};

// Every line with its line end.
std::size_t TextLength(const TextLines& lines);
// The position moved onto the text: a line behind the last one is the last
// line, a column behind the line's end is its end.
TextPosition ClampedPosition(const TextLines& lines, TextPosition position);
// Characters before `position` (taken clamped).
std::size_t OffsetOfPosition(const TextLines& lines, TextPosition position);
// Where the caret stands for an offset: inside a line end at the end of that
// line, behind the whole text at the end of the last line.
TextPosition PositionOfOffset(const TextLines& lines, std::size_t offset);

// Tabs: the view shows a tab up to the next multiple of eight columns.
inline constexpr std::size_t kTabWidth = 8;

// The display column behind character `c` when it starts at `displayColumn`.
inline std::size_t DisplayColumnAfter(char c, std::size_t displayColumn) {
  return c == '\t' ? (displayColumn / kTabWidth + 1) * kTabWidth : displayColumn + 1;
}
// The display column at which byte `column` of `line` starts.
std::size_t DisplayColumn(std::string_view line, std::size_t column);
// The display columns the whole line takes.
std::size_t DisplayWidth(std::string_view line);
// The column of the character boundary nearest to display position
// `display` (fractional: a click between two columns).
std::size_t ColumnNearestDisplay(std::string_view line, double display);
// The last column whose display column does not pass `display`: where the
// caret lands when it moves up or down onto this line.
std::size_t ColumnAtOrBeforeDisplay(std::string_view line, std::size_t display);
// Display columns [first, last) of the line with tabs expanded to blanks;
// the caller draws every other byte as its character.
std::string ExpandTabs(std::string_view line, std::size_t first, std::size_t last);

}  // namespace quarvel
