// Qt's own texts (the buttons of message boxes, file dialogs, context menus)
// in the language the user chose for the program's captions.
#pragma once
#include <QTranslator>
#include <memory>
#include <string>

namespace quarvel {

class QtLanguage {
 public:
  ~QtLanguage();
  // `locale` such as "de"; empty, or a language Qt has no translation for,
  // leaves Qt's texts in English.
  void Use(const std::string& locale);
  const std::string& Current() const { return current_; }

 private:
  std::string current_;
  std::unique_ptr<QTranslator> translator_;
};

}  // namespace quarvel
