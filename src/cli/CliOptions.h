#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/Error.h"
#include "format/ShapeFileForms.h"
#include "view/Camera.h"
#include "view/ViewLook.h"

namespace quarvel::cli {

// More threads than this would only wait for the disk; a typo such as
// "--jobs 1000" should not start a thousand.
inline constexpr int kMostJobs = 64;
// An hour: a save of the largest shapes takes seconds, so a longer wait means
// a run that hangs.
inline constexpr int kLongestLockWait = 3600;

struct CliOptions {
  std::vector<std::string> shapes;  // each worked on alone, in this order
  std::optional<std::string> settingsFile;
  std::optional<int> lods;
  // Over the settings file's tolerances, as if typed on the settings page.
  std::optional<long double> pointsTolerance;
  std::optional<long double> normalsTolerance;
  std::vector<std::string> distances;
  std::vector<std::string> commands;  // in the order given
  std::optional<std::string> output;  // "-" is standard output; one shape only
  // Every shape's result under its own file name in this folder.
  std::optional<std::string> outDir;
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
  // A picture of the shape as the view shows it, after the commands; with
  // several shapes one NAME.png each in `outDir`.
  std::optional<std::string> renderPng;
  int renderLod = 1;
  view::ViewDirection renderView = view::ViewDirection::Iso;
  int renderWidth = 1024, renderHeight = 768;
  view::ColourBy colourBy = view::ColourBy::Subobject;
  bool flat = false;  // every colour exactly as in the legend, no light
  // Generate with a stored plan made for other elements (another count or
  // other names) instead of refusing it.
  bool forcePlan = false;
  bool quiet = false;  // only errors
  // Shapes worked on at once; without it, as many as the machine has cores.
  std::optional<int> jobs;
  // How long a save waits for another run saving the same file.
  int lockWaitSeconds = 60;
  bool help = false;
  bool version = false;

  // Whether anything is written (a shape, a printout) or shown.
  bool Writes() const { return output || outDir || inPlace || printPdf || renderPng; }
  bool Shows() const { return info || check || json; }
  // The options that override what a settings file says.
  bool OverridesSettings() const {
    return lods || !distances.empty() || pointsTolerance || normalsTolerance || vertexLimit;
  }
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
