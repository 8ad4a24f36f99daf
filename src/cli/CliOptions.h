#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/Error.h"
#include "format/ShapeFileForms.h"

namespace quarvel::cli {

struct CliOptions {
  std::string shape;
  std::optional<std::string> settingsFile;
  std::optional<int> lods;
  // Over the settings file's tolerances, as if typed on the settings page.
  std::optional<long double> pointsTolerance;
  std::optional<long double> normalsTolerance;
  std::vector<std::string> distances;
  std::vector<std::string> commands;  // in the order given
  std::optional<std::string> output;  // "-" is standard output
  // The form the shape is written in; without it, the form SHAPE is in.
  std::optional<format::ShapeForm> format;
  // The settings printout as a PDF file, after this many of `commands`.
  std::optional<std::string> printPdf;
  std::size_t printAfterCommands = 0;
  bool inPlace = false;
  bool info = false;
  bool check = false;
  bool json = false;
  bool force = false;  // open a file without the Unicode mark
  std::optional<int> vertexLimit;
  bool autoSplit = false;
  // Generate sub-objects above the vertex limit instead of refusing.
  bool forceLimit = false;
  bool help = false;
  bool version = false;
};

// A command line that asks for something the program cannot do; what() says
// what to change.
class UsageError : public Error {
 public:
  using Error::Error;
};

// Throws UsageError on any mistake.
CliOptions ParseCommandLine(const std::vector<std::string>& arguments);

// The commands `--do` knows: the session's verbs, in the order of the
// window's panels.
std::vector<std::string> KnownCommands();

std::string UsageText();

}  // namespace quarvel::cli
