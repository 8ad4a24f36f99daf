#include "format/Values.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace quarvel::format {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decimal digits only, at most 2^32 - 1.
bool IsUnsignedText(std::string_view text) {
  if (text.empty() || text.size() > 10) return false;
  for (char c : text)
    if (!IsDigit(c)) return false;
  return text.size() < 10 || text <= "4294967295";
}

bool IsSignedText(std::string_view text) {
  if (!text.empty() && text[0] == '-') {
    const std::string_view digits = text.substr(1);
    return IsUnsignedText(digits) && (digits.size() < 10 || digits <= "2147483648");
  }
  return IsUnsignedText(text);
}

bool IsDwordText(std::string_view text) {
  if (text.empty() || text.size() > 8) return false;
  for (char c : text)
    if (HexDigit(c) < 0) return false;
  return true;
}

// "-0.707107", "40": the nearest single value of a decimal without an
// exponent and with at most 15 digits, from the double quotient of two
// exact numbers, which is the nearest double. Rounding that to single gives
// the nearest single value unless it lies exactly halfway between two
// singles (then the exact value may lie on either side) or outside the
// normal singles; those are left to the full parse. Most floats of a shape
// are of this kind, and the full parse costs many times more.
std::optional<float> ParsePlainFloat(std::string_view text) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) ++i;
  std::uint64_t mantissa = 0;
  int digits = 0, fraction = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    if (mantissa != 0 || c != '0') ++digits;
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
    if (point) ++fraction;
    if (digits > 15 || fraction > 15) return std::nullopt;
  }
  const double quotient = static_cast<double>(mantissa) / kPowersOfTen[fraction];
  if (quotient == 0) return negative ? -0.0f : 0.0f;
  if (quotient < 1.2e-38 || quotient > 3.4e38) return std::nullopt;
  // A double has 29 more mantissa bits than a single; halfway is the top
  // one of them alone.
  const auto low = std::bit_cast<std::uint64_t>(quotient) & ((std::uint64_t{1} << 29) - 1);
  if (low == (std::uint64_t{1} << 28)) return std::nullopt;
  const auto value = static_cast<float>(quotient);
  return negative ? -value : value;
}

// The parse of a float token into the nearest single value; out of range
// when it is too big for one (a too small one becomes zero).
std::optional<float> ParseFloat(std::string_view text) {
  if (const std::optional<float> plain = ParsePlainFloat(text)) return plain;
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  float value = 0;
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (end != last) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    double wide = 0;
    std::from_chars(first, last, wide, std::chars_format::general);
    if (wide > 1 || wide < -1) return std::nullopt;
    return std::signbit(wide) ? -0.0f : 0.0f;
  }
  if (error != std::errc()) return std::nullopt;
  return value;
}

// [+-] digits [. digits] [e [+-] digits], with digits on at least one side
// of the point; no hex, no "inf" or "nan".
bool IsFloatText(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  if (i < n && (text[i] == '-' || text[i] == '+')) ++i;
  std::size_t digits = 0;
  while (i < n && IsDigit(text[i])) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i == n) return true;
  if (text[i] != 'e' && text[i] != 'E') return false;
  ++i;
  if (i < n && (text[i] == '-' || text[i] == '+')) ++i;
  const std::size_t exponentStart = i;
  while (i < n && IsDigit(text[i])) ++i;
  if (i != n || i == exponentStart) return false;
  // Only an exponent can take a value beyond a float's range.
  return ParseFloat(text).has_value();
}

std::uint32_t UnsignedValue(std::string_view text) {
  std::uint64_t value = 0;
  for (char c : text) value = value * 10 + static_cast<std::uint64_t>(c - '0');
  return static_cast<std::uint32_t>(value);
}

}  // namespace

bool detail::IsValueTextInFull(ValueType type, std::string_view text) {
  switch (type) {
    case ValueType::Uint:
      return IsUnsignedText(text);
    case ValueType::Sint:
      return IsSignedText(text);
    case ValueType::Dword:
      return IsDwordText(text);
    case ValueType::Float:
      return IsFloatText(text);
    case ValueType::String:
    case ValueType::Token:
      return !text.empty();
  }
  return false;
}

std::uint32_t NumberBits(ValueType type, std::string_view text) {
  switch (type) {
    case ValueType::Uint:
      return UnsignedValue(text);
    case ValueType::Sint:
      if (!text.empty() && text[0] == '-') return 0u - UnsignedValue(text.substr(1));
      return UnsignedValue(text);
    case ValueType::Dword: {
      std::uint32_t value = 0;
      for (char c : text) value = value * 16 + static_cast<std::uint32_t>(HexDigit(c));
      return value;
    }
    case ValueType::Float:
      return std::bit_cast<std::uint32_t>(ParseFloat(text).value_or(0.0f));
    case ValueType::String:
    case ValueType::Token:
      break;
  }
  return 0;
}

std::string StringValue(std::string_view text) {
  if (text.size() < 2 || text.front() != '"') return std::string(text);
  std::string value;
  value.reserve(text.size());
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' && i + 2 < text.size()) {
      c = text[++i];
      if (c == 'n') c = '\n';
      if (c == 't') c = '\t';
    }
    value.push_back(c);
  }
  return value;
}

char* WriteNumberText(char* buffer, ValueType type, std::uint32_t bits) {
  char* const limit = buffer + kNumberTextSize;
  char* end = buffer;
  switch (type) {
    case ValueType::Uint:
    case ValueType::Token:
    case ValueType::String:
      end = std::to_chars(buffer, limit, bits).ptr;
      break;
    case ValueType::Sint:
      end = std::to_chars(buffer, limit, static_cast<std::int32_t>(bits)).ptr;
      break;
    case ValueType::Dword: {
      static constexpr char kHex[] = "0123456789abcdef";
      for (int shift = 28; shift >= 0; shift -= 4) *end++ = kHex[(bits >> shift) & 0xF];
      break;
    }
    case ValueType::Float: {
      // Six digits as the converter writes them. A float that came from
      // other text (an exporter's "1.905255888325765") needs more to be read
      // back as itself; it gets as many as that takes, up to nine, so that
      // no file loses precision on its way through the text.
      const float single = std::bit_cast<float>(bits);
      for (int precision = 6; precision <= 9; ++precision) {
        end = std::to_chars(buffer, limit, static_cast<double>(single), std::chars_format::general,
                            precision)
                  .ptr;
        // The converter's C runtime writes at least three exponent digits.
        char* e =
            static_cast<char*>(std::memchr(buffer, 'e', static_cast<std::size_t>(end - buffer)));
        if (e != nullptr) {
          char* digits = e + 2;  // behind the sign
          const auto count = end - digits;
          if (count < 3) {
            const auto pad = 3 - count;
            std::memmove(digits + pad, digits, static_cast<std::size_t>(count));
            std::memset(digits, '0', static_cast<std::size_t>(pad));
            end += pad;
          }
        }
        if (!std::isfinite(single)) break;
        const std::optional<float> back =
            ParseFloat(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
        if (back && std::bit_cast<std::uint32_t>(*back) == bits) break;
      }
      break;
    }
  }
  return end;
}

void AppendNumberText(std::string& out, ValueType type, std::uint32_t bits) {
  char buffer[kNumberTextSize];
  out.append(buffer, WriteNumberText(buffer, type, bits));
}

void AppendStringText(std::string& out, std::string_view value) {
  const bool bare = !value.empty() && value.find_first_of(" \t\r\n()\"") == std::string_view::npos;
  if (bare) {
    out.append(value);
    return;
  }
  out.push_back('"');
  for (char c : value) {
    if (c == '"' || c == '\\') {
      out.push_back('\\');
    } else if (c == '\n') {
      out.append("\\n");
      continue;
    } else if (c == '\t') {
      out.append("\\t");
      continue;
    }
    out.push_back(c);
  }
  out.push_back('"');
}

}  // namespace quarvel::format
