#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSurfaceFormat>
#include <QTranslator>

#include "app/TQVForm.h"

int main(int argc, char** argv) {
  // The 3D view draws with OpenGL 3.3 in the core profile; the format is
  // asked for before the application makes its first context.
  QSurfaceFormat format;
  format.setVersion(3, 3);
  format.setProfile(QSurfaceFormat::CoreProfile);
  format.setDepthBufferSize(24);
  QSurfaceFormat::setDefaultFormat(format);
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
