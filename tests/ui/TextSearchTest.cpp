// The forward search wraps round near the end, searches from one character
// before the caret and leaves the caret behind the match, so that repeated
// searches walk through the text.
#include "ui/TextSearch.h"

#include <gtest/gtest.h>

namespace quarvel {
namespace {

TEST(TextSearch, RepeatedSearchesWalkThroughTheMatchesAndStopBehindTheLast) {
  const std::string text = "abchierarchyxyzhierarchy";  // at 3 and 15
  ASSERT_EQ(text.size(), 24u);
  const auto find = [&](std::size_t from) -> std::optional<std::size_t> {
    const auto at = text.find("hierarchy", from);
    return at == std::string::npos ? std::nullopt : std::optional<std::size_t>(at);
  };
  SearchOutcome outcome = ForwardSearchFrom(0, text.size(), find);
  EXPECT_TRUE(outcome.found);
  EXPECT_EQ(outcome.caret, 5u);  // two behind the start of the first
  outcome = ForwardSearchFrom(outcome.caret, text.size(), find);
  EXPECT_TRUE(outcome.found);
  EXPECT_EQ(outcome.caret, 18u);  // three behind the start of the second
  outcome = ForwardSearchFrom(outcome.caret, text.size(), find);
  EXPECT_FALSE(outcome.found);
  EXPECT_EQ(outcome.caret, 18u);

  // In the last two characters the search starts again at the beginning.
  for (const std::size_t nearEnd : {22u, 23u, 24u})
    EXPECT_EQ(ForwardSearchFrom(nearEnd, text.size(), find).caret, 5u) << nearEnd;
  const SearchOutcome beforeThem = ForwardSearchFrom(21, text.size(), find);
  EXPECT_FALSE(beforeThem.found);
  EXPECT_EQ(beforeThem.caret, 21u);
}

TEST(TextSearch, LinesAreSearchedWithTheirLineEndsCounted) {
  const TextLines lines = {"shape (", "\thierarchy ( 3", "\tHierarchy"};
  // Line 1 starts at 9, its "hierarchy" at 10.
  EXPECT_EQ(FindInText(lines, "hierarchy", 0), std::optional<std::size_t>(10));
  EXPECT_EQ(FindInText(lines, "hierarchy", 11), std::nullopt);  // capital H is another word
  EXPECT_EQ(FindInText(lines, "(", 7), std::optional<std::size_t>(20));  // from a line end on
  EXPECT_EQ(FindInText(lines, "", 0), std::nullopt);

  // From inside the first line end: the part starts at its CR.
  const SearchOutcome outcome = ForwardSearch(lines, 8, "hierarchy");
  EXPECT_TRUE(outcome.found);
  EXPECT_EQ(outcome.caret, 13u);
  EXPECT_FALSE(ForwardSearch(lines, outcome.caret, "hierarchy").found);

  EXPECT_EQ(FirstOccurrence({"shape (", "\tmatrices ( 2"}, "matrices"), 11u);
  EXPECT_EQ(FirstOccurrence(lines, "matrices"), 0u);
}

TEST(TextSearch, AnEmptyTextOrAnEmptyKeyFindsNothing) {
  EXPECT_EQ(ForwardSearch({}, 0, "hierarchy").found, false);
  EXPECT_EQ(ForwardSearch({}, 7, "hierarchy").caret, 0u);
  EXPECT_EQ(FirstOccurrence({}, "matrices"), 0u);
  const SearchOutcome outcome = ForwardSearch({"abc", "def"}, 4, "");
  EXPECT_FALSE(outcome.found);
  EXPECT_EQ(outcome.caret, 4u);
}

}  // namespace
}  // namespace quarvel
