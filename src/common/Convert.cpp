#include "common/Convert.h"

#include <cstdio>
#include <cstdlib>

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "common/Error.h"

namespace quarvel {

namespace {

// One per thread: the command line works on several shapes at once, and a
// merge sets "." for its own numbers only.
char& SeparatorSetting() {
  thread_local char separator = SystemDecimalSeparator();
  return separator;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Accepts [sign] digits [sep digits] [(e|E) [sign] digits], at least one digit
// in the mantissa, and returns it with "." as separator for from_chars.
std::optional<std::string> NormaliseFloat(std::string_view text, char separator) {
  text = TrimBlanks(text);
  std::string out;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') out += '-';
    ++i;
  }
  int mantissaDigits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') out += text[i++], ++mantissaDigits;
  if (i < text.size() && text[i] == separator) {
    out += '.';
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') out += text[i++], ++mantissaDigits;
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    out += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) out += text[i++];
    int exponentDigits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') out += text[i++], ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  return out;
}

std::optional<long double> ParseFloat(std::string_view text, char separator) {
  const auto normalised = NormaliseFloat(text, separator);
  if (!normalised) return std::nullopt;
#ifdef _WIN32
  // mingw's std::from_chars reads a long double only to the precision of a
  // double; its strtold rounds correctly, and the text is plain decimal
  // with "." here, which is what the "C" locale the program keeps reads.
  char* end = nullptr;
  errno = 0;
  const long double value = std::strtold(normalised->c_str(), &end);
  if (errno == ERANGE || end != normalised->c_str() + normalised->size()) return std::nullopt;
  return value;
#else
  long double value = 0;
  const char* first = normalised->data();
  const char* last = first + normalised->size();
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last) return std::nullopt;
  return value;
#endif
}

}  // namespace

std::optional<int> TryStrToInt(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::size_t i = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    i = 1;
  }
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
    return std::nullopt;
  return static_cast<int>(value);
}

int StrToInt(std::string_view text) {
  if (const auto value = TryStrToInt(text)) return *value;
  throw ConvertError(Text::NotAnInteger, {{"text", std::string(text)}});
}

int StrToIntDef(std::string_view text, int fallback) {
  return TryStrToInt(text).value_or(fallback);
}

std::string IntToStr(long long value) {
  return std::to_string(value);
}

char DecimalSeparator() {
  return SeparatorSetting();
}
void SetDecimalSeparator(char separator) {
  SeparatorSetting() = separator;
}

char SystemDecimalSeparator() {
  // The locale name decides; the C library's own locale is never consulted
  // for parsing, so reading it here changes nothing else.
  const char* names[] = {"LC_ALL", "LC_NUMERIC", "LANG"};
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    const std::string locale(value);
    const std::string language = locale.substr(0, locale.find_first_of("_.@"));
    static const char* commaLanguages[] = {"de", "fr", "it", "es", "nl", "pt", "da", "sv", "nb",
                                           "nn", "no", "fi", "pl", "cs", "sk", "hu", "ru", "uk",
                                           "tr", "el", "ro", "sl", "hr", "bg", "et", "lv", "lt"};
    for (const char* comma : commaLanguages)
      if (language == comma) return ',';
    return '.';
  }
  return '.';
}

std::optional<long double> TryStrToFloat(std::string_view text) {
  return ParseFloat(text, DecimalSeparator());
}

long double StrToFloat(std::string_view text) {
  if (const auto value = TryStrToFloat(text)) return *value;
  throw ConvertError(Text::NotAFloat, {{"text", std::string(text)}});
}

std::optional<long double> TryStrToFloatEitherSeparator(std::string_view text) {
  if (const auto value = ParseFloat(text, DecimalSeparator())) return value;
  return ParseFloat(text, DecimalSeparator() == '.' ? ',' : '.');
}

std::optional<long double> TryStrToFloatDot(std::string_view text) {
  return ParseFloat(text, '.');
}

long double RoundToSignificantDigits(long double value, int digits) {
  if (value == 0 || !std::isfinite(value)) return value;
  char text[64];
  std::snprintf(text, sizeof text, "%.*Lg", digits, value);
  return std::strtold(text, nullptr);
}

std::string FloatToStr(long double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  // Fifteen significant digits, then the shortest text showing them.
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  if (error != std::errc()) return "0";
  const std::string scientific(buffer, end);
  const auto ePos = scientific.find('e');
  std::string mantissa = scientific.substr(0, ePos);
  const int exponent = std::stoi(scientific.substr(ePos + 1));
  const bool negative = mantissa[0] == '-';
  if (negative) mantissa.erase(0, 1);
  std::string digits;
  for (char c : mantissa)
    if (c != '.') digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  const char separator = DecimalSeparator();
  if (exponent >= 15 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) out += separator + digits.substr(1);
    out += 'E' + std::to_string(exponent);
  } else if (exponent < 0) {
    out += '0';
    out += separator;
    out += std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  } else {
    const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integerDigits) {
      out += digits + std::string(integerDigits - digits.size(), '0');
    } else {
      out += digits.substr(0, integerDigits) + separator + digits.substr(integerDigits);
    }
  }
  return out;
}

}  // namespace quarvel
