// The texts of one language of the shipped language file, for the parts of
// the core that take their texts from a TextSource.
#pragma once
#include <memory>
#include <string>

#include "ports/Texts.h"
#include "settings/IniFile.h"
#include "settings/ProgramFiles.h"

namespace quarvel::testing {

inline std::string ShippedLanguageFile() {
  return std::string(QUARVEL_SOURCE_DIR) + "/lang/Quarvel_L.INI";
}

inline TextSource LanguageTexts(const std::string& language) {
  auto file = std::make_shared<IniFile>(ShippedLanguageFile());
  return
      [file, language](Text text) { return LanguageText(*file, language, static_cast<int>(text)); };
}

}  // namespace quarvel::testing
