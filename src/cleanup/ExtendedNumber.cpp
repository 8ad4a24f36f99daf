#include "cleanup/ExtendedNumber.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace quarvel {

namespace {

// Every power of ten up to 10^27 is exact in the 64-bit mantissa (5^27 <
// 2^64), and so is every significand of up to 19 digits. One multiplication
// or division of two exact values rounds once, so it gives the nearest value.
// This way takes what ScanShortDecimal leaves: leading zeros and zeros beyond
// the 19th digit.
constexpr int kMaxExactPower = detail::kMaxShortScale;
constexpr int kMaxExactDigits = 19;

// Exponents beyond this are out of every range; clamping keeps the sum from
// overflowing while the slow path still sees the text as written.
constexpr long kExponentClamp = 100000;

using detail::IsDigit;

// The C library's conversion rounds correctly; the "C" locale keeps the
// user's locale out of it.
std::optional<long double> ParseSlowly(std::string_view text) {
#ifdef _WIN32
  // mingw-w64's own strtold (the system's C library has none for 80-bit
  // values) rounds correctly; no part of the program leaves the C library's
  // "C" locale there, and Windows has no locale_t to pass.
  const std::string terminated(text);
  char* end = nullptr;
  errno = 0;
  const long double value = strtold(terminated.c_str(), &end);
#else
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  if (cLocale == static_cast<locale_t>(0)) return std::nullopt;
  const std::string terminated(text);
  char* end = nullptr;
  errno = 0;
  const long double value = strtold_l(terminated.c_str(), &end, cLocale);
#endif
  if (end != terminated.c_str() + terminated.size()) return std::nullopt;
  if (errno == ERANGE && std::isinf(value)) return std::nullopt;
  return value;
}

}  // namespace

bool FullExtendedPrecision() {
  static const bool full = [] {
    volatile long double smallest = 0x1p-63L;  // computed at run time, not by the compiler
    return std::numeric_limits<long double>::digits == 64 && 1.0L + smallest != 1.0L;
  }();
  return full;
}

std::optional<long double> ParseExtended(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  if (FullExtendedPrecision()) {
    const ShortDecimal decimal = ScanShortDecimal(p, end);
    if (decimal.end != nullptr && decimal.end == end) {
      long double value;
      ShortDecimalInto(decimal, value);
      return value;
    }
  }
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';

  // Up to 19 significant digits go into the significand; `scale` is the
  // power of ten of its last digit. Zeros beyond that only move the point,
  // any other digit there needs the slow way.
  std::uint64_t significand = 0;
  int taken = 0;
  long scale = 0;
  bool tooManyDigits = false;
  const char* const mantissa = p;
  for (; p != end && IsDigit(*p); ++p) {
    if (taken < kMaxExactDigits) {
      significand = significand * 10 + static_cast<std::uint64_t>(*p - '0');
      taken += significand != 0;
    } else if (*p == '0') {
      ++scale;
    } else {
      tooManyDigits = true;
    }
  }
  std::size_t mantissaDigits = static_cast<std::size_t>(p - mantissa);
  if (p != end && *p == '.') {
    const char* const fraction = ++p;
    for (; p != end && IsDigit(*p); ++p) {
      if (taken < kMaxExactDigits) {
        significand = significand * 10 + static_cast<std::uint64_t>(*p - '0');
        taken += significand != 0;
        --scale;
      } else if (*p != '0') {
        tooManyDigits = true;
      }
    }
    mantissaDigits += static_cast<std::size_t>(p - fraction);
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    bool exponentNegative = false;
    if (p != end && (*p == '+' || *p == '-')) exponentNegative = *p++ == '-';
    if (p == end || !IsDigit(*p)) return std::nullopt;
    long exponent = 0;
    for (; p != end && IsDigit(*p); ++p)
      if (exponent < kExponentClamp) exponent = exponent * 10 + (*p - '0');
    scale += exponentNegative ? -exponent : exponent;
  }
  if (p != end) return std::nullopt;

  if (significand == 0 && !tooManyDigits) return negative ? -0.0L : 0.0L;
  if (!tooManyDigits && scale >= -kMaxExactPower && scale <= kMaxExactPower &&
      FullExtendedPrecision()) {
    const auto value = static_cast<long double>(significand);
    const long double result = scale >= 0 ? value * detail::kExactPowersOfTen[scale]
                                          : value / detail::kExactPowersOfTen[-scale];
    return negative ? -result : result;
  }
  return ParseSlowly(text);
}

}  // namespace quarvel
