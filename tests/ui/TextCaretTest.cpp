// Caret offsets count every line end as two characters, the way the jumps and
// the search count; tabs take the view to the next multiple of eight columns.
#include "ui/TextCaret.h"

#include <gtest/gtest.h>

namespace quarvel {
namespace {

TEST(TextCaret, OffsetsCountTwoCharactersPerLineEnd) {
  const TextLines lines = {"ab", "cde", ""};
  EXPECT_EQ(TextLength(lines), 11u);
  EXPECT_EQ(OffsetOfPosition(lines, {1, 2}), 6u);
  EXPECT_EQ(OffsetOfPosition(lines, {1, 99}), 7u);  // behind the line: its end
  EXPECT_EQ(OffsetOfPosition(lines, {7, 0}), 9u);   // behind the text: the last line
  const std::pair<std::size_t, TextPosition> places[] = {
      {0, {0, 0}}, {2, {0, 2}}, {3, {0, 2}},  // CR and LF stand at the end of the line
      {4, {1, 0}}, {9, {2, 0}}, {11, {2, 0}}, {1000, {2, 0}}};
  for (const auto& [offset, position] : places) {
    EXPECT_EQ(PositionOfOffset(lines, offset), position) << offset;
  }
  // Every place the caret can stand on goes there and back.
  for (std::size_t line = 0; line < lines.size(); ++line)
    for (std::size_t column = 0; column <= lines[line].size(); ++column)
      EXPECT_EQ(PositionOfOffset(lines, OffsetOfPosition(lines, {line, column})),
                (TextPosition{line, column}));
}

TEST(TextCaret, AnEmptyTextIsOneEmptyLine) {
  const TextLines none;
  EXPECT_EQ(TextLength(none), 0u);
  EXPECT_EQ(PositionOfOffset(none, 5), (TextPosition{0, 0}));
  EXPECT_EQ(OffsetOfPosition(none, {3, 3}), 0u);
  EXPECT_EQ(ClampedPosition(none, {3, 3}), (TextPosition{0, 0}));
}

TEST(TextCaret, TabsReachTheNextMultipleOfEightColumns) {
  const std::string line = "\tab\tc";  // a at 8, b at 9, the tab up to 16, c at 16
  EXPECT_EQ(DisplayColumn(line, 1), 8u);
  EXPECT_EQ(DisplayColumn(line, 3), 10u);
  EXPECT_EQ(DisplayColumn(line, 4), 16u);
  EXPECT_EQ(DisplayColumn(line, 99), 17u);
  EXPECT_EQ(DisplayWidth(line), 17u);
  EXPECT_EQ(DisplayWidth("plain"), 5u);
  EXPECT_EQ(ExpandTabs(line, 6, 12), "  ab  ");
  EXPECT_EQ(ExpandTabs(line, 0, 99), std::string(8, ' ') + "ab" + std::string(6, ' ') + "c");

  // A click goes to the nearer edge of the tab; a move up or down never
  // lands behind the column it came from.
  EXPECT_EQ(ColumnNearestDisplay(line, 3.9), 0u);
  EXPECT_EQ(ColumnNearestDisplay(line, 4.1), 1u);
  EXPECT_EQ(ColumnNearestDisplay(line, 40), line.size());
  EXPECT_EQ(ColumnAtOrBeforeDisplay(line, 7), 0u);
  EXPECT_EQ(ColumnAtOrBeforeDisplay(line, 8), 1u);
  EXPECT_EQ(ColumnAtOrBeforeDisplay(line, 12), 3u);
  EXPECT_EQ(ColumnAtOrBeforeDisplay(line, 99), line.size());
}

}  // namespace
}  // namespace quarvel
