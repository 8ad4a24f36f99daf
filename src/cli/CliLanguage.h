// The language quarvel-cli speaks: English, unless the command line or the
// locale asks for German.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ports/Texts.h"

namespace quarvel::cli {

// Reads one variable of the environment; null when it is not set.
using Environment = std::function<const char*(const char*)>;

// "de" or "en": the value of `--lang` when it is one of them, else the
// language of the first of LC_ALL, LC_MESSAGES and LANG that is set and not
// empty (as the C library takes them), else English.
std::string LanguageCode(const std::vector<std::string>& arguments, const Environment& environment);

// The texts of the language file's section for `code`; the English ones when
// the file has no such section, none without the file.
TextSource LanguageFileTexts(const std::string& languageFilePath, const std::string& code);

}  // namespace quarvel::cli
