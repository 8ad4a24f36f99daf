// What the form asks of the running system: screen size, operating system,
// where the executable lives and the user's configuration folder.
#pragma once
#include "form/Ports.h"

namespace quarvel {

class QtSystemInfo : public SystemInfo {
 public:
  int ScreenWidth() const override;
  int ScreenHeight() const override;
  OsVersion OperatingSystem() const override;
  std::string ExecutablePath() const override;
  // $XDG_CONFIG_HOME/quarvel, else ~/.config/quarvel.
  std::string UserConfigDir() const override;
};

}  // namespace quarvel
