#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quarvel::cli {

struct CliOptions {
  std::string shape;
  std::optional<std::string> settingsFile;
  std::optional<int> lods;
  std::vector<std::string> distances;
  std::vector<std::string> commands;  // in the order given
  std::optional<std::string> output;
  // The settings printout as a PDF file, after this many of `commands`.
  std::optional<std::string> printPdf;
  std::size_t printAfterCommands = 0;
  bool inPlace = false;
  bool info = false;
  bool json = false;
  bool force = false;
  bool help = false;
};

// Throws UsageError with a message for the user on any mistake.
CliOptions ParseCommandLine(const std::vector<std::string>& arguments);

struct UsageError {
  std::string message;
};

// The commands `--do` knows, in the order of the window's command panel.
const std::vector<std::string>& KnownCommands();

std::string UsageText();

}  // namespace quarvel::cli
