// The values of the shape format as text: what counts as a uint, a signed
// integer, a dword, a float or a string in a shape's text, their binary
// values, and the way the simulator's converter writes each of them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "format/Grammar.h"

namespace quarvel::format {

// Whether `text` (a token of the text, a string with its quotes) is a value
// of `type`. A dword has one to eight hex digits (the converter writes
// eight); a signed value may also be written as its unsigned 32 bits
// ("4294967295" for -1); a float is a decimal number with an optional
// exponent, no hex, no "inf".
inline bool IsValueText(ValueType type, std::string_view text);

// A short run of decimal digits: a valid uint and sint, and what most
// values of a big shape are.
inline bool IsShortDigits(std::string_view text) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

namespace detail {

bool IsValueTextInFull(ValueType type, std::string_view text);

inline bool IsHexDigit(char c) {
  return static_cast<unsigned char>(c - '0') < 10 ||
         static_cast<unsigned char>((c | 0x20) - 'a') < 6;
}

// "-12.5", "0.707107": a float without an exponent, which cannot leave a
// float's range.
inline bool IsPlainDecimal(std::string_view text) {
  std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
  std::size_t digits = 0;
  for (; i < text.size() && static_cast<unsigned char>(text[i] - '0') < 10; ++i) ++digits;
  if (i < text.size() && text[i] == '.')
    for (++i; i < text.size() && static_cast<unsigned char>(text[i] - '0') < 10; ++i) ++digits;
  return digits > 0 && i == text.size();
}

}  // namespace detail

// Checked millions of times in a big shape: the usual forms are settled
// here, the rest by the full rules.
inline bool IsValueText(ValueType type, std::string_view text) {
  switch (type) {
    case ValueType::Uint:
    case ValueType::Sint:
      if (IsShortDigits(text)) return true;
      break;
    case ValueType::Dword:
      if (text.size() == 8) {
        bool hex = true;
        for (char c : text) hex &= detail::IsHexDigit(c);
        if (hex) return true;
      }
      break;
    case ValueType::Float:
      if (detail::IsPlainDecimal(text)) return true;
      break;
    case ValueType::String:
    case ValueType::Token:
      return !text.empty();
  }
  return detail::IsValueTextInFull(type, text);
}

// The 32 bits of a number value whose text IsValueText accepts.
std::uint32_t NumberBits(ValueType type, std::string_view text);

// The characters of a string token: unquoted, escapes resolved.
std::string StringValue(std::string_view text);

// The text of a value as the converter writes it: uints and sints in
// decimal, dwords as eight lowercase hex digits, floats as C's "%g" of the
// single value with a three-digit exponent ("2.38419e-007"), strings bare
// unless they hold blanks, brackets or quotes.
void AppendNumberText(std::string& out, ValueType type, std::uint32_t bits);
// The same into `buffer`, which holds kNumberTextSize characters; returns
// the end of the text.
inline constexpr std::size_t kNumberTextSize = 32;
char* WriteNumberText(char* buffer, ValueType type, std::uint32_t bits);
void AppendStringText(std::string& out, std::string_view value);

}  // namespace quarvel::format
