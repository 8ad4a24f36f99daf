#include "app/QtSystemInfo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QOperatingSystemVersion>
#include <QScreen>
#include <QSysInfo>

#include "settings/ProgramFiles.h"

namespace quarvel {

int QtSystemInfo::ScreenWidth() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().width() : 0;
}

int QtSystemInfo::ScreenHeight() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().height() : 0;
}

OsVersion QtSystemInfo::OperatingSystem() const {
  OsVersion os;
#ifdef _WIN32
  const QOperatingSystemVersion current = QOperatingSystemVersion::current();
  os.platform = OsVersion::Platform::WindowsNT;
  os.major = current.majorVersion();
  os.minor = current.minorVersion();
  os.name = QSysInfo::prettyProductName().toStdString();
#else
  os.platform = OsVersion::Platform::NonWindows;
  const QOperatingSystemVersion current = QOperatingSystemVersion::current();
  os.major = current.majorVersion();
  os.minor = current.minorVersion();
  os.name = QSysInfo::prettyProductName().toStdString();
  if (os.name.empty()) os.name = QSysInfo::productType().toStdString();
#endif
  return os;
}

std::string QtSystemInfo::ExecutablePath() const {
  return QCoreApplication::applicationFilePath().toStdString();
}

std::string QtSystemInfo::UserConfigDir() const {
  const QByteArray configHome = qgetenv(kConfigHomeVariable);
  return UserConfigFolder(configHome.isNull() ? nullptr : configHome.constData(),
                          QDir::homePath().toStdString());
}

std::string QtSystemInfo::DateTimeText() const {
  const QLocale locale = QLocale::system();
  // Drops the zone ("t" outside quotes) and the blanks it leaves.
  QString timeFormat;
  bool quoted = false;
  for (const QChar c : locale.timeFormat(QLocale::LongFormat)) {
    if (c == QLatin1Char('\'')) quoted = !quoted;
    if (quoted || c != QLatin1Char('t')) timeFormat += c;
  }
  timeFormat = timeFormat.simplified();
  const QDateTime now = QDateTime::currentDateTime();
  return (locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
          locale.toString(now.time(), timeFormat))
      .toStdString();
}

}  // namespace quarvel
