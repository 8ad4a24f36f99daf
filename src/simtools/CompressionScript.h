#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "common/Error.h"

namespace quarvel {

// The simulator's converter between the plain and the compressed form of
// shape files, and where it usually lives below the installation.
inline constexpr std::string_view kUtilityName = "ffeditc_unicode.exe";
inline constexpr std::string_view kUtilityBelowSimulator = "\\utils\\ffedit\\ffeditc_unicode.exe";
// The batch file that runs the converter, written beside the program.
inline constexpr std::string_view kScriptName = "temp.bat";
// The converter's output in its own folder, which the batch file moves over
// the chosen shape.
inline constexpr std::string_view kUtilityOutputName = "temp.s";

// A batch file that cannot be written as it must be, or a stale output of
// the converter that cannot be cleared away.
class ScriptError : public Error {
 public:
  using Error::Error;
};

// True when the file name of `path`, lower-cased, is the converter's and the
// file exists.
bool IsUtilityPath(const std::string& path);

// The drive part of a Windows path: "D:" for a drive path, "\\server\share"
// for a network path, "" for anything else.
std::string DrivePart(std::string_view windowsPath);
// Everything up to and including the last separator ("" when there is none).
std::string FolderPart(std::string_view windowsPath);

// The five lines of the batch file for the converter at `utility` and the
// shape `shape`, both as the batch file's interpreter names them: go to the
// converter's drive and folder, convert the shape into its output, move the
// output over the shape, wait for a key so that the messages can be read.
std::vector<std::string> CompressionScriptLines(std::string_view utility, std::string_view shape);

// The batch file's bytes: the system's ANSI code page (1252 where the
// system has none), CR LF after every line. Throws ScriptError naming
// `scriptPath` when a line holds a character the code page cannot write:
// the batch file would name some other file.
std::string EncodeScript(const std::vector<std::string>& lines, const std::string& scriptPath);

// Writes the batch file (never half of it); throws WriteError naming the
// file when it cannot be written, ScriptError as EncodeScript does.
void WriteScript(const std::string& scriptPath, const std::vector<std::string>& lines);

// Deletes what an earlier run of the converter at `utility` (a host path)
// left behind: the batch file moves the output over the chosen shape even
// when the converter failed, and a stale output would then replace the shape
// by another one. Throws ScriptError when an output is there to stay.
void RemoveStaleUtilityOutput(const std::string& utility);

}  // namespace quarvel
