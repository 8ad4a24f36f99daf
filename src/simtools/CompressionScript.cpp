#include "simtools/CompressionScript.h"

#include <filesystem>
#include <optional>

#include "common/FileReplace.h"
#include "common/Text.h"
#include "common/Utf8Path.h"
#include "simtools/SimulatorPath.h"

namespace quarvel {

namespace fs = std::filesystem;

namespace {

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

}  // namespace

bool IsUtilityPath(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  return SameTextIgnoringCase(Utf8Of(PathOf(path).filename()), kUtilityName) &&
         fs::is_regular_file(PathOf(path), error);
}

std::string DrivePart(std::string_view windowsPath) {
  constexpr std::string_view kSeparators = "\\/";
  if (windowsPath.size() >= 2 && kSeparators.find(windowsPath[0]) != std::string_view::npos &&
      kSeparators.find(windowsPath[1]) != std::string_view::npos) {
    // The server's name, then the share's.
    const std::size_t server = windowsPath.find_first_of(kSeparators, 2);
    const std::size_t share = server == std::string_view::npos
                                  ? server
                                  : windowsPath.find_first_of(kSeparators, server + 1);
    return std::string(windowsPath.substr(0, share));
  }
  if (windowsPath.size() >= 2 && windowsPath[1] == ':')
    return std::string(windowsPath.substr(0, 2));
  return "";
}

std::string FolderPart(std::string_view windowsPath) {
  const std::size_t last = windowsPath.find_last_of("\\/");
  return last == std::string_view::npos ? "" : std::string(windowsPath.substr(0, last + 1));
}

std::vector<std::string> CompressionScriptLines(std::string_view utility, std::string_view shape) {
  return {
      DrivePart(utility),
      "cd " + Quoted(FolderPart(utility)),
      std::string(kUtilityName) + " " + Quoted(shape) + " /O:" + std::string(kUtilityOutputName),
      "move " + std::string(kUtilityOutputName) + " " + Quoted(shape),
      "pause",
  };
}

std::string EncodeScript(const std::vector<std::string>& lines, const std::string& scriptPath) {
  std::string bytes;
  for (const std::string& line : lines) {
    const std::optional<std::string> encoded = Utf8ToBatchCodePage(line);
    if (!encoded) throw ScriptError(Text::ScriptNotAnsi, {{"path", scriptPath}, {"line", line}});
    bytes += *encoded;
    bytes += "\r\n";
  }
  return bytes;
}

void WriteScript(const std::string& scriptPath, const std::vector<std::string>& lines) {
  WriteFileAtomically(scriptPath, EncodeScript(lines, scriptPath));
}

void RemoveStaleUtilityOutput(const std::string& utility) {
  // The converter may find an output under another case of its name (Wine
  // does), so that one goes too.
  const fs::path output =
      AppendIgnoringCase(PathOf(utility).parent_path(), std::string(kUtilityOutputName));
  std::error_code error;
  if (!fs::exists(fs::symlink_status(output, error))) return;
  fs::remove(output, error);
  if (error) throw ScriptError(Text::OldOutputNotRemoved, {{"path", Utf8Of(output)}});
}

}  // namespace quarvel
