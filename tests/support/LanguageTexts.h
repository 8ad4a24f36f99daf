// The texts of one language of the shipped language file, for the parts of
// the core that take their texts from a TextSource.
#pragma once
#include <memory>
#include <optional>
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

// A message of the core as a German user reads it.
inline std::optional<std::string> InGerman(const std::optional<Message>& message) {
  if (!message) return std::nullopt;
  return message->In(LanguageTexts("Deutsch"));
}

}  // namespace quarvel::testing
