#include "format/TextWalker.h"

namespace quarvel::format {

namespace detail {

std::string Quoted(std::string_view name) {
  return "\"" + Latin1ToUtf8(name) + "\"";
}

std::string Entries(long long count) {
  return IntToStr(count) + (count == 1 ? " Eintrag" : " Einträge");
}

const char* TypeName(ValueType type) {
  switch (type) {
    case ValueType::Uint:
      return "eine Zahl ohne Vorzeichen";
    case ValueType::Sint:
      return "eine ganze Zahl";
    case ValueType::Dword:
      return "ein Hexadezimalwert";
    case ValueType::Float:
      return "eine Gleitkommazahl";
    case ValueType::String:
    case ValueType::Token:
      break;
  }
  return "ein Name";
}

std::string BadValue(ValueType type, std::string_view text, std::string_view owner) {
  const std::string value = "'" + Latin1ToUtf8(text) + "' in " + Quoted(owner);
  switch (type) {
    case ValueType::Uint:
      if (IsValueText(ValueType::Sint, text))
        return value + " ist negativ; hier gehört eine Zahl ohne Vorzeichen hin.";
      [[fallthrough]];
    case ValueType::Sint:
      return value + " ist kein gültiger Integerwert.";
    case ValueType::Dword:
      return value + " ist kein gültiger Hexadezimalwert.";
    case ValueType::Float:
      return value + " ist keine gültige Gleitkommazahl.";
    case ValueType::String:
    case ValueType::Token:
      break;
  }
  return value + " ist kein gültiger Name.";
}

}  // namespace detail

}  // namespace quarvel::format
