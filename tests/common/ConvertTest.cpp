#include "common/Convert.h"

#include <gtest/gtest.h>

#include "common/Error.h"
#include "support/LanguageTexts.h"

namespace quarvel {
namespace {

template <typename F>
std::string ErrorText(F&& convert) {
  try {
    convert();
  } catch (const ConvertError& error) {
    return error.In(testing::LanguageTexts("Deutsch"));
  }
  return "no error";
}

TEST(StrToInt, DecimalOnlyWithin32Bits) {
  EXPECT_EQ(TryStrToInt("+17"), 17);
  EXPECT_EQ(TryStrToInt("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(TryStrToInt("2147483647"), 2147483647);
  for (const char* bad :
       {"2147483648", "-2147483649", "99999999999999999999", "", "-", " 5", "0x1F", "$1F", "1.0"})
    EXPECT_FALSE(TryStrToInt(bad)) << "'" << bad << "'";
  EXPECT_EQ(ErrorText([] { StrToInt("12a"); }), "'12a' ist kein gültiger Integerwert");
}

class Separator : public ::testing::Test {
 protected:
  ~Separator() override { SetDecimalSeparator('.'); }
};

TEST_F(Separator, UserNumbersFollowTheSeparatorShapeNumbersAlwaysUseADot) {
  SetDecimalSeparator(',');
  EXPECT_EQ(StrToFloat("0,001"), 0.001L);
  EXPECT_EQ(StrToFloat("-1,5E3"), -1500.0L);
  for (const char* bad : {"0.001", "1,000,0", "e5", "1e", ""})
    EXPECT_FALSE(TryStrToFloat(bad)) << bad;
  EXPECT_EQ(TryStrToFloatDot("14.86123507911419"), 14.86123507911419L);
  EXPECT_FALSE(TryStrToFloatDot("0,5"));
  EXPECT_EQ(ErrorText([] { StrToFloat("abc"); }), "'abc' ist kein gültiger Gleitkommawert");
}

TEST_F(Separator, FloatToStrGivesFifteenSignificantDigitsInTheGeneralFormat) {
  SetDecimalSeparator(',');
  // clang-format off
  const std::pair<long double, const char*> cases[] = {
      {0, "0"}, {0.001L, "0,001"}, {-0.5L, "-0,5"}, {2000, "2000"}, {0.00001L, "0,00001"},
      {1e-7L, "1E-7"}, {1.5e20L, "1,5E20"}, {123456789012345.0L, "123456789012345"},
      {1e15L, "1E15"}, {1.0L / 3, "0,333333333333333"}, {0.1L, "0,1"}};
  // clang-format on
  for (const auto& [value, text] : cases) EXPECT_EQ(FloatToStr(value), text);
  // What is written reads back as the same tolerance.
  EXPECT_EQ(StrToFloat(FloatToStr(0.0025L)), 0.0025L);
  SetDecimalSeparator('.');
  EXPECT_EQ(FloatToStr(0.001L), "0.001");
}

}  // namespace
}  // namespace quarvel
