// The program's own files: its INI (the LOD set-up and the vertex limit it
// starts with, the folders it last used) and the language file.
#pragma once
#include <string>
#include <vector>

#include "ports/Ports.h"
#include "settings/IniFile.h"

namespace quarvel {

// A program installed under a prefix (no language file beside the
// executable, one in the prefix's shared data folder) keeps the user's files
// in the user's configuration folder. A program in one folder (the build
// tree, an unpacked archive) keeps them beside the executable, unless that
// folder is not writable.
bool IsInstalledProgram(const SystemInfo& system);

// The program INI, by the rule above.
std::string ProgramIniPath(const SystemInfo& system);
// The language file: beside the executable, or in the shared data folder of
// an installed program.
std::string LanguageFilePath(const SystemInfo& system);
// Where the window writes the language chosen: into the language file itself,
// or, where the program's files are not the user's to write, into a file of
// the same name in the user's configuration folder that holds only the
// choice.
std::string LanguageChoicePath(const SystemInfo& system);
// The environment's say in where the user's files go: the folder of every
// program's settings (%APPDATA% on Windows), and the home folder.
#ifdef _WIN32
inline constexpr const char* kConfigHomeVariable = "APPDATA";
inline constexpr const char* kHomeVariable = "USERPROFILE";
#else
inline constexpr const char* kConfigHomeVariable = "XDG_CONFIG_HOME";
inline constexpr const char* kHomeVariable = "HOME";
#endif
// `configHome`/quarvel where it names a folder by its whole path, else
// `home`/.config/quarvel.
std::string UserConfigFolder(const char* configHome, const std::string& home);

// What the program INI starts a session with; hand-edited values outside the
// ranges the settings page offers are brought into them.
struct ProgramSetup {
  int lods = 1;
  std::vector<std::string> distances;  // of LODs 1..lods
  int vertexLimit = 0;
};
ProgramSetup ReadProgramSetup(const IniFile& programIni);

// The language chosen (in `choice` when it holds one, else in the language
// file), and its text number `number`.
std::string ChosenLanguage(const IniFile& languageFile, const IniFile& choice);
std::string LanguageText(const IniFile& languageFile, const std::string& language, int number);

// The section of the language whose Locale is `code` ("de", "en"); empty when
// the file has none.
std::string LanguageWithLocale(const IniFile& languageFile, const std::string& code);

}  // namespace quarvel
