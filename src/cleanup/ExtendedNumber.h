#pragma once
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

}  // namespace quarvel
