// Shape numbers read to the nearest extended value: the quick way for short
// decimals must give exactly what the C library's correct conversion gives.
#include "cleanup/ExtendedNumber.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace quarvel {
namespace {

long double Reference(const std::string& text) {
#ifdef _WIN32
  return strtold(text.c_str(), nullptr);  // the tests keep the "C" locale
#else
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return strtold_l(text.c_str(), nullptr, c);
#endif
}

// Equal to the last bit, the sign of zero included.
::testing::AssertionResult SameValue(const std::string& text) {
  const auto value = ParseExtended(text);
  if (!value) return ::testing::AssertionFailure() << "'" << text << "' not read";
  const long double expected = Reference(text);
  if (*value == expected && std::signbit(*value) == std::signbit(expected))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "'" << text << "' read as " << *value << ", not " << expected;
}

TEST(ExtendedNumber, EveryDecimalIsTheNearestExtendedValue) {
  // Significands from 1 to 24 digits, zeros anywhere, exponents on both sides
  // of the quick way's limits, with and without a point.
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 200000; ++i) {
    std::string text = random() % 4 == 0 ? "-" : (random() % 8 == 0 ? "+" : "");
    const int digits = 1 + static_cast<int>(random() % 24);
    const int point = static_cast<int>(random() % (digits + 2)) - 1;  // -1: none
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      const unsigned roll = random() % 10;
      text += static_cast<char>('0' + (roll < 3 ? 0 : (roll < 5 ? 9 : random() % 10)));
    }
    if (point == digits) text += '.';
    if (random() % 3 != 0)
      text += (random() % 2 ? "e" : "E") + std::to_string(static_cast<int>(random() % 80) - 40);
    ASSERT_TRUE(SameValue(text));
  }
  for (const char* text :
       {"0", "-0", "-0.0", "0e999999999", "1", "-1.5e-007", "0.1", "14.86123507911419", "1.", ".5",
        "+2E3", "9999999999999999999", "18446744073709551615", "18446744073709551617", "1e27",
        "1e28", "123456789012345678e-27", "1e-28", "0.000000000000000000000000000001",
        "1.00000000000000000000000000", "1.18973149535723176502e+4932", "3.6e-4951", "1e-5000",
        // Quotients that are binary fractions: no rounding at all.
        "0.5", "0.0000152587890625", "3814697265625e-18",
        // The largest short significands over every power.
        "0.9999999999999999999", "9999999999999999999e-27", "1000000000000000001e-19"})
    EXPECT_TRUE(SameValue(text));
  EXPECT_TRUE(std::signbit(*ParseExtended("-0.0")));
  EXPECT_EQ(*ParseExtended("0.1"), 0.1L);
}

TEST(ExtendedNumber, FullSignificandsOverEveryShortPowerAreTheNearestValue) {
  // Each power of ten has its own reciprocal in the quick way; nineteen
  // digits use all of its bits.
  std::mt19937_64 random(7);
  for (int scale = 1; scale <= 27; ++scale) {
    for (int i = 0; i < 1000; ++i) {
      const std::uint64_t digits = 1000000000000000000ULL + random() % 9000000000000000000ULL;
      ASSERT_TRUE(SameValue(std::to_string(digits) + "e-" + std::to_string(scale)));
      ASSERT_TRUE(SameValue(std::to_string(digits % 100000) + "e-" + std::to_string(scale)));
    }
  }
}

TEST(ExtendedNumber, OnlyDecimalsWithinTheRangeAreNumbers) {
  for (const char* text : {"", "-", "+", ".", "e5", "-.e1", "1e", "1e+", "1,5", "1.5.2", " 1", "1 ",
                           "0x10", "inf", "nan", "1e5000", "-1.2e4933", "1d5", "1e5.0"})
    EXPECT_FALSE(ParseExtended(text)) << "'" << text << "'";
}

}  // namespace
}  // namespace quarvel
