#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace quarvel {

// Shape lines hold one byte per character (Latin-1). The few places where a
// name crosses into a table, a caption or a message, or a typed distance goes
// into the shape, convert with these two helpers and nowhere else.
std::string Latin1ToUtf8(std::string_view latin1);
// Characters above U+00FF cannot be stored in a shape line; they become "?".
std::string Utf8ToLatin1(std::string_view utf8);

// Windows ANSI (code page 1252) to UTF-8, for INI files written by Windows tools.
std::string Cp1252ToUtf8(std::string_view cp1252);
// UTF-8 to code page 1252, for files that Windows programs read in the ANSI
// code page; nothing when a character has no place in it.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);
// UTF-8 to the system's ANSI code page (1252 on systems that have none);
// nothing when a character has no place in it.
std::optional<std::string> Utf8ToAnsiCodePage(std::string_view utf8);
// UTF-8 to the code page the batch interpreter reads a batch file in: on
// Windows the console's OEM code page (850 on a German system), in which cmd
// reads a new console's batch files; elsewhere (Wine's cmd) as
// Utf8ToAnsiCodePage. Nothing when a character has no place in it.
std::optional<std::string> Utf8ToBatchCodePage(std::string_view utf8);
bool IsValidUtf8(std::string_view text);

// Lower-casing of the ANSI code page on Latin-1 bytes: A-Z and the accented
// capitals (À..Þ except ×) become small letters.
std::string AnsiLowerLatin1(std::string_view latin1);
// Case-blind comparison of UTF-8 texts over ASCII and Latin-1 letters, as the
// profile-file and name comparisons need it.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);
// A key for maps that should ignore case the same way.
std::string CaseFoldUtf8(std::string_view text);

// The first occurrence of `needle` as a 1-based position, 0 when absent.
inline std::size_t Pos(std::string_view needle, std::string_view haystack) {
  const auto at = haystack.find(needle);
  return at == std::string_view::npos ? 0 : at + 1;
}
inline bool Contains(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != std::string_view::npos;
}

}  // namespace quarvel
