// What the form asks of the running system: screen size, operating system,
// where the executable lives, the user's configuration folder and the date
// and time as the user's locale writes them.
#pragma once
#include "ports/Ports.h"

namespace quarvel {

class QtSystemInfo : public SystemInfo {
 public:
  int ScreenWidth() const override;
  int ScreenHeight() const override;
  OsVersion OperatingSystem() const override;
  std::string ExecutablePath() const override;
  // $XDG_CONFIG_HOME/quarvel, else ~/.config/quarvel; on Windows
  // %APPDATA%\quarvel.
  std::string UserConfigDir() const override;
  // The locale's short date and its long time, without the time zone that
  // Qt's long format adds: the page title of a printout has no use for it.
  std::string DateTimeText() const override;
};

}  // namespace quarvel
