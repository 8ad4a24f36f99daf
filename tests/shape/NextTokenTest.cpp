#include "shape/NextToken.h"

#include <gtest/gtest.h>

namespace quarvel {
namespace {

TEST(NextToken, FindsTheNextRunOfCharactersOtherThanTabAndSpace) {
  struct Case {
    const char* line;
    std::size_t from, start, end;
  };
  const Case cases[] = {
      {"  abc def", 1, 3, 6},
      {"abc   ", 4, 6, 6},  // only blanks left: start stops on the last one
      {"abc 12", 4, 5, 7},
      {"\t\tvertex_sets ( 3", 1, 3, 14},
      {"vertex_sets ( 3", 12, 13, 14},  // "(" is a token between blanks
      {"vertex_sets ( 3", 14, 15, 16},
      {"x\t \ty", 2, 5, 6},
      {"ab", 7, 7, 7},  // behind the line: empty token where it was asked
      {"", 1, 1, 1},
      {"a(b) c", 1, 1, 5},
      {"abc", 0, 1, 4},  // 0 is read as the first position
  };
  for (const Case& c : cases) {
    std::size_t start = c.from, end = 0;
    NextToken(c.line, start, end);
    EXPECT_EQ(start, c.start) << "'" << c.line << "' from " << c.from;
    EXPECT_EQ(end, c.end) << "'" << c.line << "' from " << c.from;
  }
}

TEST(NextToken, TokensAfterAKeywordAreFoundAndReplacedInPlace) {
  const std::string line = "\t\tdlevel_selection ( 2000 )";
  const TokenPosition second = TokenAfter(line, "dlevel_selection", 2);
  EXPECT_TRUE(second.found);
  EXPECT_EQ(second.text, "2000");
  EXPECT_EQ(line.substr(second.start - 1, second.end - second.start), "2000");
  EXPECT_FALSE(TokenAfter(line, "distance_level", 1).found);

  std::string edited = line;
  EXPECT_TRUE(ReplaceTokenAfter(edited, "dlevel_selection", 2, "350"));
  EXPECT_EQ(edited, "\t\tdlevel_selection ( 350 )");
  EXPECT_FALSE(ReplaceTokenAfter(edited, "hierarchy", 1, "x"));
  EXPECT_EQ(edited, "\t\tdlevel_selection ( 350 )");
  // A token asked for behind the end of the line is appended.
  std::string shortLine = "points (";
  EXPECT_TRUE(ReplaceTokenAfter(shortLine, "points", 2, " 7"));
  EXPECT_EQ(shortLine, "points ( 7");
}

}  // namespace
}  // namespace quarvel
