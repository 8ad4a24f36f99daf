// Where the simulator is installed, and the paths below it that the program
// uses: read from the Windows registry, or on Linux from the registry of the
// Wine prefix the simulator runs in. An environment value overrides both.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "ports/Ports.h"

namespace quarvel {

// A host folder that replaces whatever the registry says (tests, portable
// installations, prefixes the program cannot guess).
inline constexpr const char* kSimulatorPathVariable = "QUARVEL_SIMULATOR_PATH";

inline constexpr std::string_view kSimulatorRegistryKey =
    "SOFTWARE\\Microsoft\\Microsoft Games\\Train Simulator\\1.0";
// The same key as a 32-bit program sees it on a 64-bit system.
inline constexpr std::string_view kSimulatorRegistryKey32 =
    "SOFTWARE\\Wow6432Node\\Microsoft\\Microsoft Games\\Train Simulator\\1.0";
inline constexpr std::string_view kSimulatorRegistryValue = "EXE Path";

// `base` followed by `windowsTail`, a path below the installation written the
// Windows way ("\trains\trainset"). On Windows the two are simply joined, so
// an empty base gives the bare tail. Elsewhere the backslashes become the
// host's separators, and each folder of the tail is matched without regard to
// case when the exact spelling does not exist (the simulator's installer
// writes "TRAINS\TRAINSET", its users write "trains\trainset", and Wine does
// not care). An empty base gives the empty string there: a folder below the
// file system's root means nothing on Linux, and an empty folder lets a file
// dialog start where it usually does.
std::string JoinSimulatorPath(const std::string& base, std::string_view windowsTail);

// `base` followed by the folders of `tail` (separated by backslashes or
// slashes). A folder that does not exist as spelt is replaced by an existing
// one whose name differs only in the case of letters; without one the
// spelling stays.
std::filesystem::path AppendIgnoringCase(std::filesystem::path base, std::string_view tail);

// The path without separators at its end (a lone root separator stays).
std::string WithoutTrailingSeparator(std::string path);

// The simulator's folder on this host: the environment override, else the
// Windows registry (Windows) or the Wine prefix's registry (elsewhere).
// Nothing is cached: every call reads again.
class HostSimulatorRegistry : public SimulatorRegistry {
 public:
  std::string SimulatorPath() const override;
};

}  // namespace quarvel
