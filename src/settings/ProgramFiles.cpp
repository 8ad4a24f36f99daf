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

#ifdef _WIN32
// Windows answers for folders by their access rights only when a file is
// made there ("Program Files" is read-only for users without looking so).
bool FolderIsWritable(const fs::path& folder) {
  wchar_t probe[MAX_PATH];
  if (::GetTempFileNameW(folder.c_str(), L"qv", 0, probe) == 0) return false;
  ::DeleteFileW(probe);
  return true;
}
#else
bool FolderIsWritable(const fs::path& folder) {
  return ::access(folder.c_str(), W_OK) == 0;
}
#endif

}  // namespace

std::string ProgramIniPath(const SystemInfo& system) {
  const fs::path executable = PathOf(system.ExecutablePath());
  fs::path beside = executable;
  beside.replace_extension(".INI");
  const fs::path folder = beside.parent_path().empty() ? fs::path(".") : beside.parent_path();
  if (FolderIsWritable(folder)) return Utf8Of(beside);
  return Utf8Of(PathOf(system.UserConfigDir()) / beside.filename());
}

std::string LanguageFilePath(const SystemInfo& system) {
  return Utf8Of(PathOf(system.ExecutablePath()).parent_path() / "Quarvel_L.INI");
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

std::string ChosenLanguage(const IniFile& languageFile) {
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
