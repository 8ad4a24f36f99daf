#include "common/Text.h"

#include <gtest/gtest.h>

namespace quarvel {
namespace {

TEST(Text, ShapeNamesCrossBetweenLatin1AndUtf8WithoutLoss) {
  std::string every;
  for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
  EXPECT_EQ(Utf8ToLatin1(Latin1ToUtf8(every)), every);
  EXPECT_EQ(Latin1ToUtf8("Gr\xFC\xDF"), "Grüß");
  EXPECT_EQ(Utf8ToLatin1("€ Zug 🚂"), "? Zug ?") << "characters a shape cannot hold";
  EXPECT_EQ(Utf8ToLatin1("\xC3"), "\xC3") << "a broken sequence keeps its byte";
  EXPECT_EQ(Cp1252ToUtf8("\x80\x8A\x9F\x81\xE4"), "€Š\u0178\u0081ä");
  EXPECT_TRUE(IsValidUtf8("Grüße €"));
  EXPECT_FALSE(IsValidUtf8("Gr\xFC\xDF"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
}

TEST(Text, CaseIsIgnoredForAsciiAndLatin1Letters) {
  EXPECT_TRUE(SameTextIgnoringCase("DEUTSCH", "deutsch"));
  EXPECT_TRUE(SameTextIgnoringCase("Ärger", "äRGER"));
  EXPECT_FALSE(SameTextIgnoringCase("Deutsch", "Deutsc"));
  EXPECT_FALSE(SameTextIgnoringCase("×", "÷")) << "the multiplication sign is no letter";
  EXPECT_EQ(CaseFoldUtf8("ÀÉÎ x"), "àéî x");
  EXPECT_EQ(AnsiLowerLatin1("MAIN_\xC4"), "main_\xE4");
  EXPECT_EQ(Pos("ab", "xxabab"), 3u);
  EXPECT_EQ(Pos("q", "xx"), 0u);
}

}  // namespace
}  // namespace quarvel
