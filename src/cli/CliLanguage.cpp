#include "cli/CliLanguage.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "settings/IniFile.h"
#include "settings/ProgramFiles.h"

namespace quarvel::cli {

std::string LanguageCode(const std::vector<std::string>& arguments,
                         const Environment& environment) {
  for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == "--") break;
    if (arguments[i] == "--lang" && (arguments[i + 1] == "de" || arguments[i + 1] == "en"))
      return arguments[i + 1];
  }
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = environment ? environment(variable) : nullptr;
    if (value == nullptr || *value == '\0') continue;
    // "de", "de_DE.UTF-8", "de_AT@euro": the language comes first.
    const std::string locale(value);
    return locale.rfind("de", 0) == 0 &&
                   (locale.size() == 2 || !std::isalpha(static_cast<unsigned char>(locale[2])))
               ? "de"
               : "en";
  }
  return "en";
}

Environment ProcessEnvironment() {
  return [](const char* name) -> const char* { return std::getenv(name); };
}

TextSource LanguageFileTexts(const std::string& languageFilePath, const std::string& code) {
  if (!std::filesystem::is_regular_file(languageFilePath)) return {};
  auto file = std::make_shared<IniFile>(languageFilePath);
  std::string language = LanguageWithLocale(*file, code);
  if (language.empty()) language = LanguageWithLocale(*file, "en");
  return
      [file, language](Text text) { return LanguageText(*file, language, static_cast<int>(text)); };
}

}  // namespace quarvel::cli
