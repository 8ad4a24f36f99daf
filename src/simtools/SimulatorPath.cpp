#include "simtools/SimulatorPath.h"

#include <cstdlib>
#include <optional>

#include "common/Utf8Path.h"
#include "simtools/WineRegistry.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace quarvel {

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

// The entry of `folder` named `name`, or one whose name differs only in case.
fs::path ExistingEntry(const fs::path& folder, const std::string& name) {
  std::error_code error;
  fs::path exact = folder / name;
  if (fs::exists(exact, error)) return exact;
  fs::directory_iterator entries(folder, error);
  if (error) return exact;
  for (const fs::directory_entry& entry : entries) {
    const std::string candidate = Utf8Of(entry.path().filename());
    if (SameNameIgnoringCase(candidate, name)) return entry.path();
  }
  return exact;
}

#ifdef _WIN32
std::string WideToUtf8(const std::wstring& wide) {
  if (wide.empty()) return "";
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

// The value in one view of the registry; nothing when the key or the value
// is missing or the value is no string.
std::optional<std::string> ReadRegistryString(REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                    L"SOFTWARE\\Microsoft\\Microsoft Games\\Train Simulator\\1.0", 0,
                    KEY_READ | view, &key) != ERROR_SUCCESS)
    return std::nullopt;
  std::optional<std::string> result;
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key, L"EXE Path", nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
      type == REG_SZ) {
    std::wstring buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, L"EXE Path", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &bytes) == ERROR_SUCCESS &&
        type == REG_SZ) {
      buffer.resize(bytes / sizeof(wchar_t));
      while (!buffer.empty() && buffer.back() == L'\0') buffer.pop_back();
      result = WideToUtf8(buffer);
    }
  }
  RegCloseKey(key);
  return result;
}
#endif

}  // namespace

fs::path AppendIgnoringCase(fs::path base, std::string_view tail) {
  std::size_t at = 0;
  while (at < tail.size()) {
    while (at < tail.size() && IsSeparator(tail[at])) ++at;
    std::size_t end = at;
    while (end < tail.size() && !IsSeparator(tail[end])) ++end;
    if (end > at) base = ExistingEntry(base, std::string(tail.substr(at, end - at)));
    at = end;
  }
  return base;
}

std::string JoinSimulatorPath(const std::string& base, std::string_view windowsTail) {
#ifdef _WIN32
  return base + std::string(windowsTail);
#else
  if (base.empty()) return "";
  return AppendIgnoringCase(fs::path(base), windowsTail).string();
#endif
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
  return path;
}

std::string HostSimulatorRegistry::SimulatorPath() const {
  const char* override = std::getenv(kSimulatorPathVariable);
  if (override != nullptr && *override != '\0') return WithoutTrailingSeparator(override);
#ifdef _WIN32
  // The simulator's set-up is a 32-bit program: on a 64-bit system its key
  // lives in the 32-bit view, which is where a 32-bit program looks first.
  if (auto path = ReadRegistryString(KEY_WOW64_32KEY)) return *path;
  if (auto path = ReadRegistryString(KEY_WOW64_64KEY)) return *path;
  return "";
#else
  return WineSimulatorRegistry().SimulatorPath();
#endif
}

}  // namespace quarvel
