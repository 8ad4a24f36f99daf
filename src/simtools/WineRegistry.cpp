#include "simtools/WineRegistry.h"

#include <cstdlib>
#include <fstream>
#include <vector>

#include "simtools/SimulatorPath.h"

namespace quarvel {

namespace fs = std::filesystem;

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;  // a lone surrogate
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// Reads an escaped text from `at` up to the unescaped `terminator` and leaves
// `at` behind it. Wine writes backslash escapes for the terminator, the
// backslash itself, control characters (\n, \t, octal) and every character
// outside ASCII (\x and up to four hex digits, UTF-16 code units). Nothing
// when the terminator is missing.
std::optional<std::string> Unescape(std::string_view line, std::size_t& at, char terminator) {
  std::string out;
  char32_t pendingHigh = 0;  // first half of a surrogate pair written as two \x escapes
  auto flushHigh = [&] {
    if (pendingHigh != 0) AppendUtf8(out, pendingHigh);
    pendingHigh = 0;
  };
  auto appendUnit = [&](char32_t unit) {
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      flushHigh();
      pendingHigh = unit;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF && pendingHigh != 0) {
      AppendUtf8(out, 0x10000 + ((pendingHigh - 0xD800) << 10) + (unit - 0xDC00));
      pendingHigh = 0;
    } else {
      flushHigh();
      AppendUtf8(out, unit);
    }
  };
  while (at < line.size()) {
    const char c = line[at++];
    if (c == terminator) {
      flushHigh();
      return out;
    }
    if (c != '\\' || at >= line.size()) {
      flushHigh();
      out.push_back(c);  // plain bytes, already UTF-8
      continue;
    }
    const char e = line[at++];
    switch (e) {
      case 'a':
        appendUnit('\a');
        break;
      case 'b':
        appendUnit('\b');
        break;
      case 'e':
        appendUnit(0x1B);
        break;
      case 'f':
        appendUnit('\f');
        break;
      case 'n':
        appendUnit('\n');
        break;
      case 'r':
        appendUnit('\r');
        break;
      case 't':
        appendUnit('\t');
        break;
      case 'v':
        appendUnit('\v');
        break;
      case 'x': {
        char32_t unit = 0;
        int digits = 0;
        while (digits < 4 && at < line.size() && HexDigit(line[at]) >= 0) {
          unit = unit * 16 + static_cast<char32_t>(HexDigit(line[at++]));
          ++digits;
        }
        appendUnit(digits > 0 ? unit : U'x');
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          char32_t unit = static_cast<char32_t>(e - '0');
          for (int digits = 1; digits < 3 && at < line.size() && line[at] >= '0' && line[at] <= '7';
               ++digits)
            unit = unit * 8 + static_cast<char32_t>(line[at++] - '0');
          appendUnit(unit);
        } else {
          appendUnit(static_cast<unsigned char>(e));  // \\, \", \[, \] and the like
        }
    }
  }
  return std::nullopt;
}

// "SOFTWARE\..." as the machine hive names it; system.reg leaves the hive out
// but spells the rest the same way.
std::string_view WithoutHiveRoot(std::string_view key) {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  return key;
}

}  // namespace

std::optional<std::string> ReadWineRegistryString(const fs::path& file,
                                                  std::initializer_list<std::string_view> keys,
                                                  std::string_view valueName) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::optional<std::string>> found(keys.size());
  int currentKey = -1;  // index into `keys` of the section being read
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.front() == '[') {
      std::size_t at = 1;
      const std::optional<std::string> name = Unescape(line, at, ']');
      currentKey = -1;
      if (!name) continue;
      int index = 0;
      for (std::string_view key : keys) {
        if (SameIgnoringCase(WithoutHiveRoot(*name), WithoutHiveRoot(key))) {
          currentKey = index;
          break;
        }
        ++index;
      }
      continue;
    }
    if (currentKey < 0 || line.front() != '"') continue;
    std::size_t at = 1;
    const std::optional<std::string> name = Unescape(line, at, '"');
    if (!name || !SameIgnoringCase(*name, valueName)) continue;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size() || line[at] != '=') continue;
    ++at;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    // Only "name"="text" is a plain string; str(2):"..." and the rest are not.
    if (at >= line.size() || line[at] != '"') continue;
    ++at;
    if (std::optional<std::string> value = Unescape(line, at, '"'))
      found[static_cast<std::size_t>(currentKey)] = std::move(value);
  }
  for (auto& value : found)
    if (value) return value;
  return std::nullopt;
}

namespace {

// The host folder behind drive `letter` (lower case) of the prefix, through
// its "dosdevices" link; "drive_c" for C: in a prefix that has no links.
std::optional<fs::path> DriveTarget(const fs::path& prefix, char letter) {
  std::error_code error;
  const fs::path devices = prefix / "dosdevices";
  if (!fs::is_directory(devices, error)) {
    // A prefix that was never run by a recent Wine, or was copied without
    // its links, still has its system drive.
    if (letter == 'c') return prefix / "drive_c";
    return std::nullopt;
  }
  const fs::path link = devices / (std::string(1, letter) + ":");
  const fs::file_status status = fs::symlink_status(link, error);
  if (error || !fs::exists(status)) return std::nullopt;
  if (!fs::is_symlink(status)) return link;
  fs::path target = fs::read_symlink(link, error);
  if (error) return std::nullopt;
  if (target.is_relative()) target = devices / target;
  return target.lexically_normal();
}

// The path with every link and "." or ".." resolved as far as it exists, so
// that paths reached through different links compare equal.
fs::path Resolved(const fs::path& path) {
  std::error_code error;
  fs::path resolved = fs::weakly_canonical(fs::absolute(path, error), error);
  if (error) resolved = fs::absolute(path, error).lexically_normal();
  return fs::path(WithoutTrailingSeparator(resolved.string()));
}

// How many leading folders `path` shares with all of `folder`; nothing when
// `folder` is not one of its folders.
std::optional<std::size_t> FolderDepthIn(const fs::path& path, const fs::path& folder) {
  auto inPath = path.begin();
  std::size_t depth = 0;
  for (const fs::path& part : folder) {
    if (part.empty()) continue;  // a trailing separator
    if (inPath == path.end() || *inPath != part) return std::nullopt;
    ++inPath;
    ++depth;
  }
  return depth;
}

}  // namespace

std::string WindowsPathToWineHost(const fs::path& prefix, std::string_view windowsPath) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':') return "";
  const char letter = LowerAscii(windowsPath[0]);
  if (letter < 'a' || letter > 'z') return "";
  const std::optional<fs::path> drive = DriveTarget(prefix, letter);
  if (!drive) return "";
  return WithoutTrailingSeparator(AppendIgnoringCase(*drive, windowsPath.substr(2)).string());
}

std::string WineHostToWindowsPath(const fs::path& prefix, const std::string& hostPath) {
  const fs::path path = Resolved(hostPath);
  char bestLetter = 0;
  std::size_t bestDepth = 0;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const std::optional<fs::path> target = DriveTarget(prefix, letter);
    if (!target) continue;
    const std::optional<std::size_t> depth = FolderDepthIn(path, Resolved(*target));
    if (depth && *depth > bestDepth) {
      bestLetter = letter;
      bestDepth = *depth;
    }
  }
  if (bestLetter == 0) {
    // Z: stands for the host's root, as in every prefix Wine makes.
    bestLetter = 'z';
    bestDepth = 1;
  }
  std::string windows{static_cast<char>(bestLetter - 'a' + 'A'), ':'};
  auto part = path.begin();
  for (std::size_t i = 0; i < bestDepth && part != path.end(); ++i) ++part;
  bool any = false;
  for (; part != path.end(); ++part) {
    if (part->empty()) continue;
    windows += '\\';
    windows += part->string();
    any = true;
  }
  if (!any) windows += '\\';
  return windows;
}

fs::path DefaultWinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0')
    return prefix;
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
    return fs::path(home) / ".wine";
  return {};
}

std::string WineSimulatorRegistry::SimulatorPath() const {
  const fs::path prefix = prefix_ ? *prefix_ : DefaultWinePrefix();
  if (prefix.empty()) return "";
  const std::optional<std::string> value = ReadWineRegistryString(
      prefix / "system.reg", {kSimulatorRegistryKey32, kSimulatorRegistryKey},
      kSimulatorRegistryValue);
  if (!value) return "";
  return WindowsPathToWineHost(prefix, *value);
}

}  // namespace quarvel
