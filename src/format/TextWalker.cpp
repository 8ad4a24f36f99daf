#include "format/TextWalker.h"

namespace quarvel::format {

namespace detail {

std::string Quoted(std::string_view name) {
  return "\"" + Latin1ToUtf8(name) + "\"";
}

std::string Entries(const TextSource& texts, long long count) {
  if (count == 1) return TextFrom(texts, Text::OneEntry);
  return Worded(texts, Text::SomeEntries, {{"count", IntToStr(count)}});
}

std::string TypeName(const TextSource& texts, ValueType type) {
  switch (type) {
    case ValueType::Uint:
      return TextFrom(texts, Text::AnUnsignedNumber);
    case ValueType::Sint:
      return TextFrom(texts, Text::AWholeNumber);
    case ValueType::Dword:
      return TextFrom(texts, Text::AHexValue);
    case ValueType::Float:
      return TextFrom(texts, Text::AFloat);
    case ValueType::String:
    case ValueType::Token:
      break;
  }
  return TextFrom(texts, Text::AName);
}

std::string BadValue(const TextSource& texts, ValueType type, std::string_view text,
                     std::string_view owner) {
  Text why = Text::ValueNoFloat;
  switch (type) {
    case ValueType::Uint:
      if (IsValueText(ValueType::Sint, text)) {
        why = Text::ValueNegative;
        break;
      }
      [[fallthrough]];
    case ValueType::Sint:
      why = Text::ValueNoInteger;
      break;
    case ValueType::Dword:
      why = Text::ValueNoHex;
      break;
    case ValueType::Float:
      break;
    case ValueType::String:
    case ValueType::Token:
      // Any token is a name or a string: the walk never refuses one.
      break;
  }
  return Worded(texts, why, {{"value", Latin1ToUtf8(text)}, {"block", Latin1ToUtf8(owner)}});
}

}  // namespace detail

}  // namespace quarvel::format
