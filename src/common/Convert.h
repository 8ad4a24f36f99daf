#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace quarvel {

// Decimal integers only: an optional sign and digits, within 32 bits. No
// blanks, no hexadecimal, no locale: a shape must read the same everywhere.
std::optional<int> TryStrToInt(std::string_view text);
// Throws ConvertError (not an integer).
int StrToInt(std::string_view text);
// The value, or `fallback` when the text is not a decimal integer.
int StrToIntDef(std::string_view text, int fallback);
std::string IntToStr(long long value);

// The separator that numbers typed by the user and numbers in INI files use.
// Initialised from the system locale, one per thread; the merge commands and
// tests set it.
char DecimalSeparator();
void SetDecimalSeparator(char separator);
// Reads the separator of the user's locale (LC_NUMERIC, LC_ALL or LANG).
char SystemDecimalSeparator();

// Floating-point text with the current decimal separator (no thousands
// separators); throws ConvertError (not a floating-point value).
long double StrToFloat(std::string_view text);
std::optional<long double> TryStrToFloat(std::string_view text);
// A tolerance typed or stored by the user: either separator, since a
// tolerance has no thousands and a settings file may come from a system
// with the other one.
std::optional<long double> TryStrToFloatEitherSeparator(std::string_view text);
// Floating-point text of the shape: "." always.
std::optional<long double> TryStrToFloatDot(std::string_view text);
// General format with up to 15 significant digits and the current separator:
// 0.001 -> "0,001" under a German locale, 1e-7 -> "1E-7", 0 -> "0".
std::string FloatToStr(long double value);
// `value` rounded to `digits` significant digits, for a measure the user
// reads rather than a value the program goes on with.
long double RoundToSignificantDigits(long double value, int digits);

}  // namespace quarvel
