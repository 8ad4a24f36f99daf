#include "app/QtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace quarvel {

QtLanguage::~QtLanguage() {
  if (translator_ && QCoreApplication::instance() != nullptr)
    QCoreApplication::removeTranslator(translator_.get());
}

void QtLanguage::Use(const std::string& locale) {
  if (locale == current_) return;
  current_ = locale;
  if (translator_) {
    QCoreApplication::removeTranslator(translator_.get());
    translator_.reset();
  }
  if (locale.empty()) return;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral("qtbase_") + QString::fromStdString(locale),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return;
  QCoreApplication::installTranslator(translator.get());
  translator_ = std::move(translator);
}

}  // namespace quarvel
