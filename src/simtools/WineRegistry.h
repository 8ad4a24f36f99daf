#pragma once
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "ports/Ports.h"

namespace quarvel {

// The string value `valueName` of the first of `keys` that holds one, read from
// a Wine registry file such as "system.reg" (keys there are relative to the
// hive, e.g. "Software\Microsoft\..."; `keys` may carry the hive's own
// "SOFTWARE\" spelling, names match without regard to case). Only plain
// string values count: expandable strings, numbers and binary data are
// passed over. An unreadable file gives nothing.
std::optional<std::string> ReadWineRegistryString(const std::filesystem::path& file,
                                                  std::initializer_list<std::string_view> keys,
                                                  std::string_view valueName);

// The host path of a Windows path inside the Wine prefix: the drive letter
// through the prefix's "dosdevices" links ("drive_c" for C: in a prefix that
// has none), every further folder matched without regard to case where the
// exact spelling does not exist. Paths that are not on a drive, or on a drive
// the prefix does not map, give the empty string.
std::string WindowsPathToWineHost(const std::filesystem::path& prefix,
                                  std::string_view windowsPath);

// The inverse: the Windows path under which programs in the Wine prefix see
// the host path `hostPath` (relative paths are taken from the current
// folder). The drive is the one whose "dosdevices" link leads to the longest
// leading part of the path, links in either resolved; a path that no drive
// holds is on Z:, the host's root. The case of every name is kept.
std::string WineHostToWindowsPath(const std::filesystem::path& prefix, const std::string& hostPath);

// The prefix Wine uses for this user: $WINEPREFIX, else ~/.wine ("" when
// neither can be found).
std::filesystem::path DefaultWinePrefix();

// The simulator's folder as registered in a Wine prefix.
class WineSimulatorRegistry : public SimulatorRegistry {
 public:
  // The user's prefix, looked up again at every call.
  WineSimulatorRegistry() = default;
  explicit WineSimulatorRegistry(std::filesystem::path prefix) : prefix_(std::move(prefix)) {}
  std::string SimulatorPath() const override;

 private:
  std::optional<std::filesystem::path> prefix_;
};

}  // namespace quarvel
