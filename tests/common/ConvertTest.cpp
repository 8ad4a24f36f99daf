#include "common/Convert.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/Error.h"

namespace quarvel {
namespace {

TEST(StrToInt, DecimalOnlyWithin32Bits) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"0", 0},
      {"+17", 17},
      {"-2147483648", -2147483647 - 1},
      {"2147483647", 2147483647},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"", std::nullopt},
      {"-", std::nullopt},
      {" 5", std::nullopt},
      {"5 ", std::nullopt},
      {"0x1F", std::nullopt},
      {"$1F", std::nullopt},
      {"1.0", std::nullopt},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(TryStrToInt(text), expected) << "'" << text << "'";
  try {
    StrToInt("12a");
    FAIL() << "no exception";
  } catch (const ConvertError& error) {
    EXPECT_STREQ(error.what(), "'12a' ist kein gültiger Integerwert");
  }
  EXPECT_EQ(StrToIntDef("x", 7), 7);
}

class Separator : public ::testing::Test {
 protected:
  ~Separator() override { SetDecimalSeparator('.'); }
};

TEST_F(Separator, UserNumbersFollowTheSeparatorShapeNumbersAlwaysUseADot) {
  SetDecimalSeparator(',');
  EXPECT_EQ(StrToFloat("0,001"), 0.001L);
  EXPECT_EQ(StrToFloat("-1,5E3"), -1500.0L);
  EXPECT_EQ(StrToFloat(",5"), 0.5L);
  EXPECT_FALSE(TryStrToFloat("0.001"));
  EXPECT_FALSE(TryStrToFloat("1,000,0"));
  EXPECT_FALSE(TryStrToFloat("e5"));
  EXPECT_FALSE(TryStrToFloat("1e"));
  EXPECT_EQ(TryStrToFloatDot("14.86123507911419"), 14.86123507911419L);
  EXPECT_FALSE(TryStrToFloatDot("0,5"));
  try {
    StrToFloat("abc");
    FAIL() << "no exception";
  } catch (const ConvertError& error) {
    EXPECT_STREQ(error.what(), "'abc' ist kein gültiger Gleitkommawert");
  }
}

TEST_F(Separator, FloatToStrGivesFifteenSignificantDigitsInTheGeneralFormat) {
  SetDecimalSeparator(',');
  const std::pair<long double, const char*> cases[] = {
      {0, "0"},
      {0.001L, "0,001"},
      {-0.5L, "-0,5"},
      {2000, "2000"},
      {0.00001L, "0,00001"},
      {1e-7L, "1E-7"},
      {1.5e20L, "1,5E20"},
      {123456789012345.0L, "123456789012345"},
      {1e15L, "1E15"},
      {1.0L / 3, "0,333333333333333"},
      {0.1L, "0,1"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FloatToStr(value), text);
  SetDecimalSeparator('.');
  EXPECT_EQ(FloatToStr(0.001L), "0.001");
  // What is written reads back as the same tolerance.
  EXPECT_EQ(StrToFloat(FloatToStr(0.0025L)), 0.0025L);
}

TEST_F(Separator, TheSeparatorComesFromTheLocaleName) {
  const char* saved[3];
  const char* names[] = {"LC_ALL", "LC_NUMERIC", "LANG"};
  std::string copies[3];
  for (int i = 0; i < 3; ++i) {
    saved[i] = std::getenv(names[i]);
    if (saved[i] != nullptr) copies[i] = saved[i];
  }
  const auto set = [&](const char* all, const char* numeric, const char* lang) {
    const char* values[] = {all, numeric, lang};
    for (int i = 0; i < 3; ++i) values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
  };
  set(nullptr, nullptr, "de_DE.UTF-8");
  EXPECT_EQ(SystemDecimalSeparator(), ',');
  set(nullptr, "en_GB.UTF-8", "de_DE.UTF-8");
  EXPECT_EQ(SystemDecimalSeparator(), '.');
  set("fr_FR", "en_GB.UTF-8", nullptr);
  EXPECT_EQ(SystemDecimalSeparator(), ',');
  set(nullptr, nullptr, "C");
  EXPECT_EQ(SystemDecimalSeparator(), '.');
  for (int i = 0; i < 3; ++i)
    saved[i] ? setenv(names[i], copies[i].c_str(), 1) : unsetenv(names[i]);
}

}  // namespace
}  // namespace quarvel
