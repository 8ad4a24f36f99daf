// The shipped language file: every text in every language, with the same
// places left to the program.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "common/Convert.h"
#include "support/LanguageTexts.h"

namespace quarvel::testing {
namespace {

std::set<std::string> Placeholders(const std::string& text) {
  static const std::regex placeholder(R"(\{[a-z]+\})");
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder);
       it != std::sregex_iterator(); ++it)
    found.insert(it->str());
  return found;
}

TEST(LanguageFile, EveryTextIsThereInEveryLanguageWithTheSamePlaceholders) {
  const IniFile file(ShippedLanguageFile());
  const std::vector<std::string> languages = {"Deutsch", "English"};
  for (int number = 1; number <= static_cast<int>(kLastText); ++number) {
    if (number == 29) continue;  // never used
    const std::string german = LanguageText(file, "Deutsch", number);
    ASSERT_FALSE(german.empty()) << "S" << number;
    for (const std::string& language : languages) {
      const std::string text = LanguageText(file, language, number);
      EXPECT_FALSE(text.empty()) << language << " S" << number;
      EXPECT_EQ(Placeholders(text), Placeholders(german)) << language << " S" << number;
    }
  }
}

TEST(LanguageFile, TheNewMessagesReadAsBeforeInGermanAndInEnglishUnderEnglish) {
  struct Case {
    Text text;
    std::initializer_list<std::pair<std::string_view, std::string>> values;
    const char* german;
    const char* english;
  };
  const Case cases[] = {
      {Text::SubobjectOverLimit,
       {{"subobject", "1"}, {"lod", "2"}, {"vertices", "8309"}, {"limit", "1500"}},
       "Subobjekt 1 von LOD 2 hat 8309 Vertices, mehr als die Grenze von 1500 Vertices",
       "Sub-object 1 of LOD 2 has 8309 vertices, more than the limit of 1500 vertices"},
      {Text::AloneOverLimit,
       {{"lod", "1"}, {"limit", "1000"}},
       "LOD 1: Diese Elemente haben schon allein mehr als 1000 Vertices und stehen deshalb in "
       "Subobjekten für sich:",
       "LOD 1: these elements alone have more than 1000 vertices and so stand in sub-objects of "
       "their own:"},
      {Text::WholeNumbersFromTo,
       {{"min", "1000"}, {"max", "65535"}},
       "Bitte nur ganze Zahlen von 1000 bis 65535 eintragen!",
       "Please enter only whole numbers from 1000 to 65535!"},
      {Text::SourceDamaged,
       {{"line", "12"}, {"message", "<message>"}},
       "Die Datei ist fehlerhaft (Zeile 12): <message> Abbruch der Aktion.",
       "The file is damaged (line 12): <message> Action cancelled."},
      {Text::LayoutFaceCountChanged,
       {{"name", "Rad"}, {"row", "3"}},
       "Die Flächenzahl des Elements \"Rad\" (Zeile 3 der Elementtabelle) passt nicht zur "
       "Auswertung der Datei (wurde der Text seit dem Öffnen geändert?). Abbruch der Aktion.",
       "The face count of the element \"Rad\" (line 3 of the element table) does not match the "
       "analysis of the file (was the text changed since it was opened?). Action cancelled."},
      {Text::NoSuchNormal,
       {{"owner", "vertex"}, {"value", "7"}, {"table", "normals"}, {"entries", "<entries>"}},
       "\"vertex\" verweist auf Normale 7, die es nicht gibt (\"normals\" hat <entries>).",
       "\"vertex\" refers to normal 7, which does not exist (\"normals\" has <entries>)."},
      {Text::BracketsUnclosed,
       {{"block", "shape"}, {"count", "2"}},
       "Die Klammer hinter \"shape\" wird nicht geschlossen (es fehlen 2 schließende Klammern).",
       "The bracket after \"shape\" is not closed (2 closing brackets are missing)."},
  };
  // A value from the shape that looks like a placeholder stays as it is.
  EXPECT_EQ(WithValues("{name} in {line}", {{"name", "{line}"}, {"line", "7"}}), "{line} in 7");
  const TextSource german = LanguageTexts("Deutsch");
  const TextSource english = LanguageTexts("English");
  for (const Case& c : cases) {
    EXPECT_EQ(WithValues(german(c.text), c.values), c.german);
    EXPECT_EQ(WithValues(english(c.text), c.values), c.english);
  }
}

}  // namespace
}  // namespace quarvel::testing
