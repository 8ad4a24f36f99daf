#pragma once
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

namespace quarvel {

// The 80-bit extended value nearest to a decimal number of the shape text:
// an optional sign, digits with "." as separator and an optional exponent
// introduced by E or e (as in -1.5e-007). At least one digit is needed before
// the exponent; nothing may follow it. Results beyond the extended range are
// no numbers (nullopt); results below it are rounded as far as they go.
std::optional<long double> ParseExtended(std::string_view text);

// Whether extended arithmetic rounds to the whole 64-bit mantissa in this
// process (an x87 unit set to 53 bits, as Windows sets it, does not). The
// quick ways of reading and merging rely on it and step aside otherwise.
bool FullExtendedPrecision();

// A decimal as exporters write them, read without the C library: at most 19
// digits, so that they make one exact 64-bit integer, times a power of ten of
// at most 27 either way, which is exact in extended precision too. One
// multiplication or division of two exact values rounds once, so with
// FullExtendedPrecision() the value is the nearest extended value.
struct ShortDecimal {
  std::uint64_t digits = 0;
  int scale = 0;  // the power of ten of the last digit
  bool negative = false;
  const char* end = nullptr;  // past the number's last character; null: no short decimal
};

namespace detail {
inline constexpr int kMaxShortScale = 27;
inline constexpr long double kExactPowersOfTen[kMaxShortScale + 1] = {
    1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
    1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
    1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
inline bool IsDigit(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}

// Appends the run of digits at `p` to `digits` and returns its end. Eight
// characters are taken at a time while the text has them: the digits'
// count then needs no branch, nor their value a multiplication each. (Digits
// beyond 19 wrap around; such a number is not short anyway.)
inline const char* TakeDigits(const char* p, const char* const end, std::uint64_t& digits) {
  constexpr std::uint64_t kZeros = 0x3030303030303030;
  constexpr std::uint64_t kPowers[9] = {1,      10,      100,      1000,     10000,
                                        100000, 1000000, 10000000, 100000000};
  while (end - p >= 8) {
    std::uint64_t chunk;
    std::memcpy(&chunk, p, 8);  // the first character in the lowest byte
    // A byte is a digit when it and it plus 6 both lie in 0x30..0x3f; what
    // carries out of a byte reaches only those after the first non-digit.
    const std::uint64_t notDigit = ((chunk & 0xF0F0F0F0F0F0F0F0) ^ kZeros) |
                                   (((chunk + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) ^ kZeros);
    const int run = notDigit == 0 ? 8 : std::countr_zero(notDigit) / 8;
    if (run == 0) return p;
    // The run's digits at the top, zeros below them, then eight digits
    // folded into one number: pairs, fours, the eight.
    std::uint64_t value = (chunk - kZeros) << (8 * (8 - run));
    value = value * 10 + (value >> 8);
    value = (((value & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
             (((value >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
            32;
    digits = digits * kPowers[run] + value;
    p += run;
    if (run < 8) return p;
  }
  for (; p != end && IsDigit(*p); ++p) digits = digits * 10 + static_cast<unsigned>(*p - '0');
  return p;
}
}  // namespace detail

// The short decimal at the start of [p, end), in the syntax ParseExtended
// reads; it ends before the first character that cannot continue it, and the
// caller decides whether that is where its token ends. A number that is not
// short (too many digits, a power beyond 27, no digit, an exponent without
// digits) gives none, and ParseExtended must read the whole token.
inline ShortDecimal ScanShortDecimal(const char* p, const char* const end) {
  using detail::IsDigit;
  ShortDecimal decimal;
  if (p != end) {
    // Either sign is as likely: no branch on which.
    decimal.negative = *p == '-';
    p += static_cast<int>(decimal.negative) | static_cast<int>(*p == '+');
  }
  std::uint64_t digits = 0;
  const char* const first = p;
  p = detail::TakeDigits(p, end, digits);
  long count = p - first;
  if (p != end && *p == '.') {
    const char* const fraction = ++p;
    p = detail::TakeDigits(p, end, digits);
    decimal.scale = -static_cast<int>(p - fraction);
    count += p - fraction;
  }
  if (count == 0 || count > 19) return {};
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (p == end || !IsDigit(*p)) return {};
    int exponent = 0;
    for (; p != end && IsDigit(*p); ++p)
      if (exponent < 100000) exponent = exponent * 10 + (*p - '0');
    decimal.scale += negative ? -exponent : exponent;
  }
  if (digits == 0) {
    decimal.scale = 0;  // zero, whatever the power
  } else if (decimal.scale < -detail::kMaxShortScale || decimal.scale > detail::kMaxShortScale) {
    return {};
  }
  decimal.digits = digits;
  decimal.end = p;
  return decimal;
}

// The value by the extended unit: one rounding, so exact with
// FullExtendedPrecision().
inline long double ShortDecimalValue(const ShortDecimal& decimal) {
  const auto digits = static_cast<long double>(decimal.digits);
  const long double value = decimal.scale >= 0 ? digits * detail::kExactPowersOfTen[decimal.scale]
                                               : digits / detail::kExactPowersOfTen[-decimal.scale];
  return decimal.negative ? -value : value;
}

namespace detail {

#if defined(__SIZEOF_INT128__) && (defined(__x86_64__) || defined(__i386__))
// The x87 extended format: a 64-bit significand with its leading bit, then
// 15 bits of exponent (bias 16383) and the sign.
inline constexpr bool kBuildsExtendedBits = std::numeric_limits<long double>::digits == 64 &&
                                            std::numeric_limits<long double>::max_exponent == 16384;
using Uint128 = unsigned __int128;

// R = ceil(2^shift / 10^k), as large as fits 128 bits: 2^127 <= R < 2^128.
struct Reciprocal {
  std::uint64_t high = 0, low = 0;
  int shift = 0;
};

constexpr Reciprocal MakeReciprocal(int k) {
  Uint128 power = 1;
  for (int i = 0; i < k; ++i) power *= 10;
  int log2 = 0;
  while ((power >> (log2 + 1)) != 0) ++log2;
  const int shift = log2 + 128;
  // Long division of 2^shift, one bit at a time; the remainder stays below
  // 10^k < 2^90 and the quotient below 2^128.
  Uint128 quotient = 0, remainder = 0;
  for (int bit = shift; bit >= 0; --bit) {
    remainder = remainder << 1 | (bit == shift ? 1 : 0);
    quotient <<= 1;
    if (remainder >= power) {
      remainder -= power;
      quotient |= 1;
    }
  }
  ++quotient;  // 10^k never divides a power of two
  return {static_cast<std::uint64_t>(quotient >> 64), static_cast<std::uint64_t>(quotient), shift};
}

inline constexpr std::array<Reciprocal, kMaxShortScale + 1> kReciprocals = [] {
  std::array<Reciprocal, kMaxShortScale + 1> reciprocals{};
  for (int k = 1; k <= kMaxShortScale; ++k)
    reciprocals[static_cast<std::size_t>(k)] = MakeReciprocal(k);
  return reciprocals;
}();
static_assert([] {
  for (int k = 1; k <= kMaxShortScale; ++k)
    if (kReciprocals[static_cast<std::size_t>(k)].high >> 63 != 1) return false;
  return true;
}());
#else
inline constexpr bool kBuildsExtendedBits = false;
#endif

}  // namespace detail

// Stores the short decimal's value into `value`. Integers, and digits over a
// power of ten up to 10^27, are worked out in integers and written as the
// 80 bits they are, which spares the extended unit's slow division and the
// trips of 80-bit values through memory; others go through
// ShortDecimalValue. Exact with FullExtendedPrecision(), like that.
//
// The quotient N / 10^k of the digits N (shifted to 64 full bits) is found
// as N * R / 2^shift: R exceeds 2^shift / 10^k by less than 1, so the
// product exceeds the exact N * 2^shift / 10^k by less than N < 2^64. Its
// bits below the 64 of the result therefore round it correctly unless they
// lie within 2^64 above one half; then, once in about 2^63 numbers, the
// division decides. (A quotient exactly halfway cannot occur: a quotient of
// 10^k that is a binary fraction has at most 64 significant bits.)
inline void ShortDecimalInto(const ShortDecimal& decimal, long double& value) {
#if defined(__SIZEOF_INT128__) && (defined(__x86_64__) || defined(__i386__))
  if constexpr (detail::kBuildsExtendedBits) {
    if (decimal.scale <= 0) {
      std::uint64_t significand = 0;
      int exponent = 0;  // biased
      if (decimal.digits != 0) {
        const int leadingZeros = std::countl_zero(decimal.digits);
        const std::uint64_t n = decimal.digits << leadingZeros;
        if (decimal.scale == 0) {
          significand = n;
          exponent = 16383 + 63 - leadingZeros;
        } else {
          using detail::Uint128;
          const detail::Reciprocal& r =
              detail::kReciprocals[static_cast<std::size_t>(-decimal.scale)];
          const Uint128 low = static_cast<Uint128>(n) * r.low;
          const Uint128 high = static_cast<Uint128>(n) * r.high + (low >> 64);  // product >> 64
          const bool top = (high >> 127) != 0;  // the product reaches 2^191
          const int below = top ? 128 : 127;    // bits of the product below the result
          significand = static_cast<std::uint64_t>(high >> (below - 64));
          exponent = 16383 + 63 + below - r.shift - leadingZeros;
          // The bits below, from the 64th on, against one half.
          const std::uint64_t rest =
              top ? static_cast<std::uint64_t>(high)
                  : static_cast<std::uint64_t>(high) & ~(std::uint64_t{1} << 63);
          const std::uint64_t half = top ? std::uint64_t{1} << 63 : std::uint64_t{1} << 62;
          if (rest == half) {
            value = ShortDecimalValue(decimal);
            return;
          }
          // Up or down is as good as random: no branch on it.
          significand += static_cast<std::uint64_t>(rest > half);
          if (significand == 0) {
            significand = std::uint64_t{1} << 63;
            ++exponent;
          }
        }
      }
      const auto signAndExponent =
          static_cast<std::uint16_t>(exponent | (decimal.negative ? 0x8000 : 0));
      auto* const bytes = reinterpret_cast<unsigned char*>(&value);
      std::memcpy(bytes, &significand, sizeof significand);
      std::memcpy(bytes + sizeof significand, &signAndExponent, sizeof signAndExponent);
      return;
    }
  }
#endif
  value = ShortDecimalValue(decimal);
}

}  // namespace quarvel
