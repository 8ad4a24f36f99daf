// File names are UTF-8 text everywhere in the program; std::filesystem keeps
// them in the system's own form. On Windows that is UTF-16, and the plain
// std::string conversions would go through the ANSI code page, which turns
// every character outside it (and on some systems every umlaut) into "?"
// or an exception. Elsewhere the bytes pass unchanged.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace quarvel {

inline std::filesystem::path PathOf(std::string_view utf8) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
  return std::filesystem::path(std::string(utf8));
#endif
}

inline std::string Utf8Of(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
#else
  return path.string();
#endif
}

}  // namespace quarvel
