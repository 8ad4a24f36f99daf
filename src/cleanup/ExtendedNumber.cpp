#include "cleanup/ExtendedNumber.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <string>

namespace quarvel {

namespace {

// Every power of ten up to 10^27 is exact in the 64-bit mantissa (5^27 <
// 2^64), and so is every significand of up to 19 digits. One multiplication
// or division of two exact values rounds once, so it gives the nearest value.
constexpr int kMaxExactPower = 27;
constexpr int kMaxExactDigits = 19;
constexpr long double kPowersOfTen[kMaxExactPower + 1] = {
    1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
    1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
    1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};

// Exponents beyond this are out of every range; clamping keeps the sum from
// overflowing while the slow path still sees the text as written.
constexpr long kExponentClamp = 100000;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The C library's conversion rounds correctly; the "C" locale keeps the
// user's locale out of it.
std::optional<long double> ParseSlowly(std::string_view text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  if (cLocale == static_cast<locale_t>(0)) return std::nullopt;
  const std::string terminated(text);
  char* end = nullptr;
  errno = 0;
  const long double value = strtold_l(terminated.c_str(), &end, cLocale);
  if (end != terminated.c_str() + terminated.size()) return std::nullopt;
  if (errno == ERANGE && std::isinf(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<long double> ParseExtended(std::string_view text) {
  std::size_t i = 0;
  const std::size_t size = text.size();
  bool negative = false;
  if (i < size && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  // The significand without leading zeros; trailing zeros are held back so
  // that "1.50000000000000000000" still takes the fast way.
  std::uint64_t significand = 0;
  int significantDigits = 0;
  int pendingZeros = 0;
  long exponent = 0;  // as written after E
  bool tooManyDigits = false;
  int mantissaDigits = 0;
  const auto takeDigit = [&](char c) {
    ++mantissaDigits;
    if (c == '0') {
      if (significantDigits > 0) ++pendingZeros;
      return;
    }
    if (significantDigits + pendingZeros + 1 > kMaxExactDigits) {
      tooManyDigits = true;
      return;
    }
    for (; pendingZeros > 0; --pendingZeros) significand *= 10, ++significantDigits;
    significand = significand * 10 + static_cast<std::uint64_t>(c - '0');
    ++significantDigits;
  };
  long fractionDigits = 0;
  while (i < size && IsDigit(text[i])) takeDigit(text[i++]);
  if (i < size && text[i] == '.') {
    ++i;
    while (i < size && IsDigit(text[i])) {
      takeDigit(text[i++]);
      ++fractionDigits;
    }
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < size && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool exponentNegative = false;
    if (i < size && (text[i] == '+' || text[i] == '-')) exponentNegative = text[i++] == '-';
    if (i == size || !IsDigit(text[i])) return std::nullopt;
    while (i < size && IsDigit(text[i])) {
      if (exponent < kExponentClamp) exponent = exponent * 10 + (text[i] - '0');
      ++i;
    }
    if (exponentNegative) exponent = -exponent;
  }
  if (i != size) return std::nullopt;

  if (significand == 0 && !tooManyDigits) return negative ? -0.0L : 0.0L;
  // Digits held back and fraction digits both move the decimal point.
  const long scale = exponent + pendingZeros - fractionDigits;
  if (!tooManyDigits && scale >= -kMaxExactPower && scale <= kMaxExactPower) {
    const auto value = static_cast<long double>(significand);
    const long double result =
        scale >= 0 ? value * kPowersOfTen[scale] : value / kPowersOfTen[-scale];
    return negative ? -result : result;
  }
  return ParseSlowly(text);
}

}  // namespace quarvel
