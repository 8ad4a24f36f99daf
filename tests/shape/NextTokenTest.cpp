#include <gtest/gtest.h>

#include "shape/NextToken.h"

namespace quarvel {
namespace {

TEST(NextToken, SkipsBlanksToTheNextToken) {
  std::size_t start = 1, end = 0;
  NextToken("  abc def", start, end);
  EXPECT_EQ(start, 3u);
  EXPECT_EQ(end, 6u);
  start = 4;
  NextToken("abc   ", start, end);
  EXPECT_EQ(start, 6u);
  EXPECT_EQ(end, 6u);
  start = 4;
  NextToken("abc 12", start, end);
  EXPECT_EQ(start, 5u);
  EXPECT_EQ(end, 7u);
}

}  // namespace
}  // namespace quarvel
