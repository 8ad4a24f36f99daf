#include "settings/ProgramFiles.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>

#include "assignment/VertexLimit.h"
#include "common/Convert.h"
#include "common/Utf8Path.h"

namespace quarvel {

namespace fs = std::filesystem;

namespace {

// Where an installed program's shared data lies, seen from its executable's
// folder; the build sets it from the install layout.
#ifndef QUARVEL_DATA_FROM_BIN
#define QUARVEL_DATA_FROM_BIN "../share/quarvel"
#endif

constexpr const char* kLanguageFileName = "Quarvel_L.INI";

fs::path ExecutableFolder(const SystemInfo& system) {
  const fs::path folder = PathOf(system.ExecutablePath()).parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

#ifdef _WIN32
// Windows answers for folders by their access rights only when a file is
// made there ("Program Files" is read-only for users without looking so).
bool Writable(const fs::path& folder) {
  wchar_t probe[MAX_PATH];
  if (::GetTempFileNameW(folder.c_str(), L"qv", 0, probe) == 0) return false;
  ::DeleteFileW(probe);
  return true;
}
#else
bool Writable(const fs::path& folder) {
  return ::access(folder.c_str(), W_OK) == 0;
}
#endif

fs::path InstalledLanguageFile(const SystemInfo& system) {
  return (ExecutableFolder(system) / QUARVEL_DATA_FROM_BIN / kLanguageFileName).lexically_normal();
}

}  // namespace

bool IsInstalledProgram(const SystemInfo& system) {
  std::error_code error;
  return !fs::exists(ExecutableFolder(system) / kLanguageFileName, error) &&
         fs::is_regular_file(InstalledLanguageFile(system), error);
}

std::string ProgramIniPath(const SystemInfo& system) {
  fs::path beside = PathOf(system.ExecutablePath());
  beside.replace_extension(".INI");
  const fs::path user = PathOf(system.UserConfigDir()) / beside.filename();
  // The folders of an installed program belong to its package, also when
  // root could write them.
  if (IsInstalledProgram(system) || !Writable(ExecutableFolder(system))) return Utf8Of(user);
  return Utf8Of(beside);
}

std::string LanguageFilePath(const SystemInfo& system) {
  if (IsInstalledProgram(system)) return Utf8Of(InstalledLanguageFile(system));
  return Utf8Of(PathOf(system.ExecutablePath()).parent_path() / kLanguageFileName);
}

std::string LanguageChoicePath(const SystemInfo& system) {
  if (IsInstalledProgram(system) || !Writable(ExecutableFolder(system)))
    return Utf8Of(PathOf(system.UserConfigDir()) / kLanguageFileName);
  return LanguageFilePath(system);
}

std::string UserConfigFolder(const char* configHome, const std::string& home) {
  // A relative XDG_CONFIG_HOME is invalid and to be ignored.
  if (configHome != nullptr && *configHome != '\0' && PathOf(configHome).is_absolute())
    return Utf8Of(PathOf(configHome) / "quarvel");
  return Utf8Of(PathOf(home.empty() ? "/" : home) / ".config" / "quarvel");
}

ProgramSetup ReadProgramSetup(const IniFile& programIni) {
  ProgramSetup setup;
  // A count beyond the spin box's range would size the tables beyond what
  // every other command accepts.
  setup.lods = std::clamp(programIni.ReadInteger("LODs", "Anzahl", 1), 1, 99);
  for (int lod = 1; lod <= setup.lods; ++lod)
    setup.distances.push_back(programIni.ReadString("LODs", IntToStr(lod), "2000"));
  setup.vertexLimit =
      ClampVertexLimit(programIni.ReadInteger("Limits", "Vertices", kDefaultVertexLimit));
  return setup;
}

std::string ChosenLanguage(const IniFile& languageFile, const IniFile& choice) {
  if (choice.ValueExists("Languages", "Language"))
    return choice.ReadString("Languages", "Language", "Deutsch");
  return languageFile.ReadString("Languages", "Language", "Deutsch");
}

std::string LanguageText(const IniFile& languageFile, const std::string& language, int number) {
  return languageFile.ReadString(language, "S" + IntToStr(number), "");
}

std::string LanguageWithLocale(const IniFile& languageFile, const std::string& code) {
  // The languages are listed as S1, S2, … without a count.
  for (int number = 1;; ++number) {
    const std::string language = languageFile.ReadString("Languages", "S" + IntToStr(number), "");
    if (language.empty()) return "";
    if (languageFile.ReadString(language, "Locale", "") == code) return language;
  }
}

}  // namespace quarvel
