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

TEST(NextToken, TokensAfterAKeywordAreReplacedInPlace) {
  std::string line = "\t\tdlevel_selection ( 2000 )";
  EXPECT_EQ(TokenAfter(line, "dlevel_selection", 2).text, "2000");
  EXPECT_TRUE(ReplaceTokenAfter(line, "dlevel_selection", 2, "350"));
  EXPECT_EQ(line, "\t\tdlevel_selection ( 350 )");
  EXPECT_FALSE(ReplaceTokenAfter(line, "hierarchy", 1, "x"));
  EXPECT_EQ(line, "\t\tdlevel_selection ( 350 )");
}

}  // namespace
}  // namespace quarvel
