// The program's own files: its INI (the LOD set-up and the vertex limit it
// starts with, the folders it last used) and the language file.
#pragma once
#include <string>
#include <vector>

#include "ports/Ports.h"
#include "settings/IniFile.h"

namespace quarvel {

// Beside the executable when that folder is writable, else in the user's
// configuration folder.
std::string ProgramIniPath(const SystemInfo& system);
// Always beside the executable.
std::string LanguageFilePath(const SystemInfo& system);

// What the program INI starts a session with; hand-edited values outside the
// ranges the settings page offers are brought into them.
struct ProgramSetup {
  int lods = 1;
  std::vector<std::string> distances;  // of LODs 1..lods
  int vertexLimit = 0;
};
ProgramSetup ReadProgramSetup(const IniFile& programIni);

// The language chosen in the language file, and its text number `number`.
std::string ChosenLanguage(const IniFile& languageFile);
std::string LanguageText(const IniFile& languageFile, const std::string& language, int number);

// The section of the language whose Locale is `code` ("de", "en"); empty when
// the file has none.
std::string LanguageWithLocale(const IniFile& languageFile, const std::string& code);

}  // namespace quarvel
