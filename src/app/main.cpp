#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/TQVForm.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // Qt's own buttons and dialogs in the user's language, where Qt ships it.
  QTranslator qtTranslations;
  if (qtTranslations.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTranslations);

  quarvel::TQVForm QVForm;
  QVForm.show();
  return application.exec();
}
