#include "common/Text.h"

#include <gtest/gtest.h>

namespace quarvel {
namespace {

TEST(Text, ShapeNamesCrossBetweenLatin1AndUtf8AndCompareCaseBlind) {
  std::string every;
  for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
  EXPECT_EQ(Utf8ToLatin1(Latin1ToUtf8(every)), every);
  EXPECT_EQ(Utf8ToLatin1("€ Zug"), "? Zug") << "a character a shape cannot hold";
  EXPECT_EQ(Utf8ToLatin1("\xC3"), "\xC3") << "a broken sequence keeps its byte";
  EXPECT_EQ(Cp1252ToUtf8("\x80\x8A\x81\xE4"), "€Š\u0081ä");
  EXPECT_FALSE(IsValidUtf8("Gr\xFC\xDF"));
  EXPECT_TRUE(SameTextIgnoringCase("Ärger", "äRGER"));
  EXPECT_FALSE(SameTextIgnoringCase("×", "÷")) << "the multiplication sign is no letter";
}

TEST(Text, Utf8GoesIntoCodePage1252OrIsRefused) {
  std::string every;
  for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(every)), every);
  EXPECT_EQ(Utf8ToCp1252("Grüße €"),
            "Gr\xFC\xDF"
            "e \x80");
  EXPECT_EQ(Utf8ToCp1252("Zug \u0080"), std::nullopt) << "a C1 control that 1252 replaced";
  EXPECT_EQ(Utf8ToCp1252("Поезд"), std::nullopt);
}

}  // namespace
}  // namespace quarvel
