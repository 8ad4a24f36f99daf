#include "cli/CliOptions.h"

#include <optional>
#include <utility>

#include "assignment/VertexLimit.h"
#include "common/Convert.h"
#include "session/Verbs.h"

namespace quarvel::cli {

namespace {

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const auto comma = text.find(',', start);
    parts.push_back(
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return parts;
}

// The value among `choices` that `name` names.
template <typename T, std::size_t N>
std::optional<T> Chosen(const std::string& name, const std::pair<const char*, T> (&choices)[N]) {
  for (const auto& [word, value] : choices)
    if (name == word) return value;
  return std::nullopt;
}

// The value among `choices` that option `option` names, or a usage error
// that lists them.
template <typename T, std::size_t N>
T ChosenOrRefused(const std::string& option, const std::string& name,
                  const std::pair<const char*, T> (&choices)[N]) {
  if (const std::optional<T> value = Chosen(name, choices)) return *value;
  std::string list;
  for (const auto& choice : choices) list += (list.empty() ? "" : ", ") + std::string(choice.first);
  throw UsageError(Text::CliChoiceValue, {{"option", option}, {"choices", list}, {"value", name}});
}

}  // namespace

std::vector<std::string> KnownCommands() {
  std::vector<std::string> verbs;
  for (const Verb& verb : VerbTable()) verbs.push_back(verb.name);
  return verbs;
}

std::string UsageText() {
  std::string commands;
  for (const auto& command : KnownCommands()) commands += (commands.empty() ? "" : ", ") + command;
  return R"(Usage: quarvel-cli [options] SHAPE...

Opens each shape file (.s) as the window's "Öffnen" does, in any of its three
forms (UTF-16 text, binary, compressed): analyses it, gives every element the
default plan and applies the settings file beside it (SHAPE with the extension
.Quarvel) when there is one. Then runs the given commands and writes the
result. Several shapes are worked on one by one with the same options, each on
its own: a refusal of one does not stop the others.

The plan:
  --settings FILE        take the plan from FILE, not from the file beside SHAPE
  --lods N               number of LODs (1..99), over the settings file's
  --distances D1,D2,..   their distances in metres (1..2000), over the file's
  --points-tolerance T   merge-points tolerance in metres ("." as decimal point)
  --normals-tolerance T  merge-normals tolerance ("." as decimal point)
  --vertex-limit N       most vertices of a sub-object (1000..65535)
  --auto-split           split every LOD within the vertex limit first
  --force-plan           apply a stored plan made for other elements
  --force-limit          let generate write sub-objects above the vertex limit

Commands ()" +
         commands + R"():
  --do CMD[,CMD...]      run the commands in the order given

Output:
  -o OUT                 the result into OUT (one shape; "-" standard output)
  --out-dir DIR          write each result to DIR under its own file name
  --in-place             save over SHAPE as "Speichern" does, with SHAPE.BAK
  --format FORM          write as text, binary or compressed (default: as read)
  --print-pdf OUT.pdf    write the settings printout (one shape; "-" as for -o)
  --render-png OUT.png   draw the shape as the view shows it (several: into --out-dir)

Pictures (with --render-png):
  --lod N                the LOD drawn (default 1)
  --view V               iso (default), front, side or top
  --size WxH             the picture's size in pixels (default 1024x768)
  --colour-by C          subobject (default), element or vtx-state
  --flat                 exactly the legend's colours: no light, no smoothing

Reports:
  --info                 print the element, sub-object, LOD and matrix tables
  --check                check SHAPE as the simulator will load it
  --json                 with --info or --check: one JSON line per shape
  --quiet                only errors: no warnings, notes, progress or summary

Running:
  --jobs N               work on N shapes at once (default: the number of cores)
  --lock-wait S          wait S s for a run saving the same file (0..3600, 60)
  --force                open a file in none of the three forms (no mark)
  --lang de|en           the language of the messages
  --version              show the program's name and version
  --                     end of the options: every further argument is a SHAPE
  -h, --help             show this text

Details:
  The settings file's LOD count, distances and tolerances give way to the
  options above (a note says so once). A stored plan whose element count or
  element names differ from the shape's is refused by generate unless
  --force-plan. --vertex-limit defaults to the "Limits" of quarvel-cli.INI,
  else 14000: the older simulator draws sub-objects wrongly from about 14000
  on, and 65535 is the most that 16-bit indices reach. --auto-split keeps the
  elements in row order, "0" and "999" stay, and it runs after the settings
  are loaded and before any --do and --print-pdf. The printout is A4
  landscape and shows the tables before the commands of a --do given after it
  and after those of a --do given before it.

  --check checks every block by the format's grammar (value types, counts, the
  blocks each holds) and every index, in every LOD and sub-object.

  Every message starts with the file and, where there is one, its line, as
  "SHAPE:LINE: error: text", "SHAPE: warning: text" or "SHAPE: note: text"
  (the line of a binary file is that of its text as the simulator's converter
  writes it). The window's questions are answered Yes, except the
  generation's question about a sub-object above the vertex limit (see
  --force-limit). With more than one shape a summary line ends the run, and
  standard error shows the progress while it runs when it is a terminal.
  Messages follow the locale's language (LC_ALL, LC_MESSAGES, LANG) when it
  is German, else English; the kinds "error", "warning", "note" and the JSON
  keys stay English, for scripts and editors.

  --render-png draws without a display (OpenGL through Mesa's EGL without
  surfaces, the software renderer where there is no GPU). Elements planned
  "999" for the LOD are not drawn, those planned "0" are striped; a shape
  split already is coloured by its own sub-objects. With several shapes the
  pictures go into --out-dir as NAME.png, and the shapes too when --do or
  --format changes them.

  A save never replaces a folder, a device, a pipe, a write-protected file or
  the file SHAPE itself, neither as the output nor as the output's backup (so
  "x.BAK -o x.s" is refused when x.s exists); it writes through a symbolic
  link to the file the link points to. Two runs saving the same file take
  turns: the second waits (see --lock-wait) and then works on the first's
  result. A shape or settings file that is not a regular file is refused
  before it is read.

Exit status (the worst over all shapes): 0 success (with --check: no error,
warnings allowed); 1 a command was refused or failed, or --check found an
error (nothing is written); 2 wrong usage; 3 SHAPE cannot be read; 4 the
shape cannot be written (nothing is changed on disk); 5 the shape was saved
but its settings file cannot be written (do not run the command again:
SHAPE.BAK would then lose the previous version).

Examples:
  quarvel-cli loco.s --do generate -o loco_split.s
  quarvel-cli loco.s --info --json
  quarvel-cli --check Routes/X/SHAPES/*.s
  quarvel-cli loco.s --points-tolerance 0.001 --do merge-points,merge-normals,fix-materials -o out.s
  quarvel-cli loco.s --lods 3 --print-pdf loco_plan.pdf
  quarvel-cli loco.s --auto-split --vertex-limit 12000 --do generate -o loco_split.s
  quarvel-cli *.s --do generate --out-dir split
)";
}

CliOptions ParseCommandLine(const std::vector<std::string>& arguments) {
  CliOptions options;
  const auto value = [&](std::size_t& i, const std::string& name) -> const std::string& {
    if (i + 1 >= arguments.size()) throw UsageError(Text::CliNeedsValue, {{"option", name}});
    return arguments[++i];
  };
  bool optionsEnded = false;  // by "--", so that a shape may be named "-x.s"
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
      options.shapes.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--version") {
      options.version = true;
    } else if (argument == "-h" || argument == "--help") {
      options.help = true;
    } else if (argument == "--settings") {
      options.settingsFile = value(i, argument);
    } else if (argument == "--points-tolerance" || argument == "--normals-tolerance") {
      // Read with "." whatever the locale, so that a script means the same
      // number everywhere.
      const auto tolerance = TryStrToFloatDot(value(i, argument));
      if (!tolerance || !(*tolerance >= 0))
        throw UsageError(Text::CliToleranceNumber, {{"option", argument}});
      (argument == "--points-tolerance" ? options.pointsTolerance : options.normalsTolerance) =
          *tolerance;
    } else if (argument == "--lods") {
      const auto n = TryStrToInt(value(i, argument));
      if (!n || *n < 1 || *n > 99) throw UsageError(Text::CliLodsNumber, {});
      options.lods = *n;
    } else if (argument == "--distances") {
      options.distances = SplitCommas(value(i, argument));
      for (const auto& distance : options.distances) {
        const auto metres = TryStrToInt(distance);
        if (!metres || *metres < 1 || *metres > 2000)
          throw UsageError(Text::CliDistanceNumber, {{"value", distance}});
      }
    } else if (argument == "--do") {
      for (const auto& command : SplitCommas(value(i, argument))) {
        if (FindVerb(command) == nullptr)
          throw UsageError(Text::CliUnknownCommand, {{"command", command}});
        options.commands.push_back(command);
      }
    } else if (argument == "--print-pdf") {
      if (options.printPdf) throw UsageError(Text::CliPrintOnce, {});
      options.printPdf = value(i, argument);
      options.printAfterCommands = options.commands.size();
    } else if (argument == "-o" || argument == "--output") {
      options.output = value(i, argument);
    } else if (argument == "--out-dir") {
      options.outDir = value(i, argument);
    } else if (argument == "--in-place") {
      options.inPlace = true;
    } else if (argument == "--format") {
      const std::string& form = value(i, argument);
      const std::pair<const char*, format::ShapeForm> forms[] = {
          {"text", format::ShapeForm::Text},
          {"binary", format::ShapeForm::Binary},
          {"compressed", format::ShapeForm::Compressed}};
      options.format = Chosen(form, forms);
      if (!options.format) throw UsageError(Text::CliFormatValue, {{"value", form}});
    } else if (argument == "--lang") {
      // The language itself was chosen before parsing (see LanguageCode).
      const std::string& code = value(i, argument);
      if (code != "de" && code != "en") throw UsageError(Text::CliLangValue, {{"value", code}});
    } else if (argument == "--info") {
      options.info = true;
    } else if (argument == "--check") {
      options.check = true;
    } else if (argument == "--json") {
      options.json = true;
    } else if (argument == "--force") {
      options.force = true;
    } else if (argument == "--force-limit") {
      options.forceLimit = true;
    } else if (argument == "--render-png") {
      options.renderPng = value(i, argument);
    } else if (argument == "--lod") {
      const auto n = TryStrToInt(value(i, argument));
      if (!n || *n < 1 || *n > 99) throw UsageError(Text::CliLodNumber, {});
      options.renderLod = *n;
    } else if (argument == "--view") {
      const std::pair<const char*, view::ViewDirection> views[] = {
          {"iso", view::ViewDirection::Iso},
          {"front", view::ViewDirection::Front},
          {"side", view::ViewDirection::Side},
          {"top", view::ViewDirection::Top}};
      options.renderView = ChosenOrRefused(argument, value(i, argument), views);
    } else if (argument == "--colour-by") {
      const std::pair<const char*, view::ColourBy> colourings[] = {
          {"subobject", view::ColourBy::Subobject},
          {"element", view::ColourBy::Element},
          {"vtx-state", view::ColourBy::VtxState}};
      options.colourBy = ChosenOrRefused(argument, value(i, argument), colourings);
    } else if (argument == "--size") {
      const std::string& size = value(i, argument);
      const auto x = size.find('x');
      const auto width = TryStrToInt(size.substr(0, x));
      const auto height = x == std::string::npos ? std::nullopt : TryStrToInt(size.substr(x + 1));
      // Below 16 pixels nothing can be seen; above 8192 the software
      // renderer runs out of its largest framebuffer.
      if (!width || !height || *width < 16 || *height < 16 || *width > 8192 || *height > 8192)
        throw UsageError(Text::CliSizeValue, {{"value", size}});
      options.renderWidth = *width;
      options.renderHeight = *height;
    } else if (argument == "--flat") {
      options.flat = true;
    } else if (argument == "--force-plan") {
      options.forcePlan = true;
    } else if (argument == "--quiet") {
      options.quiet = true;
    } else if (argument == "--jobs") {
      const auto n = TryStrToInt(value(i, argument));
      if (!n || *n < 1 || *n > kMostJobs)
        throw UsageError(Text::CliJobsNumber, {{"max", IntToStr(kMostJobs)}});
      options.jobs = *n;
    } else if (argument == "--lock-wait") {
      const auto seconds = TryStrToInt(value(i, argument));
      if (!seconds || *seconds < 0 || *seconds > kLongestLockWait)
        throw UsageError(Text::CliLockWaitNumber, {{"max", IntToStr(kLongestLockWait)}});
      options.lockWaitSeconds = *seconds;
    } else if (argument == "--auto-split") {
      options.autoSplit = true;
    } else if (argument == "--vertex-limit") {
      const auto n = TryStrToInt(value(i, argument));
      if (!n || *n < kLowestVertexLimit || *n > kIndexableVertices)
        throw UsageError(Text::CliVertexLimitNumber, {{"min", IntToStr(kLowestVertexLimit)},
                                                      {"max", IntToStr(kIndexableVertices)}});
      options.vertexLimit = *n;
    } else {
      throw UsageError(Text::CliUnknownOption, {{"option", argument}});
    }
  }
  if (options.help || options.version) return options;
  if (options.shapes.empty()) throw UsageError(Text::CliNoShape, {});
  if (int{options.output.has_value()} + int{options.outDir.has_value()} + int{options.inPlace} > 1)
    throw UsageError(Text::CliOutputOrInPlace, {});
  const std::string shapeCount = std::to_string(options.shapes.size());
  if (options.shapes.size() > 1 && options.output)
    throw UsageError(Text::CliOneShape, {{"option", "-o"}, {"count", shapeCount}});
  if (options.shapes.size() > 1 && options.renderPng && !options.outDir)
    throw UsageError(Text::CliPicturesNeedOutDir, {});
  if (options.shapes.size() > 1 && options.printPdf)
    throw UsageError(Text::CliOneShape, {{"option", "--print-pdf"}, {"count", shapeCount}});
  if (options.json && !options.info && !options.check) throw UsageError(Text::CliJsonWith, {});
  if (options.format && !options.output && !options.outDir && !options.inPlace)
    throw UsageError(Text::CliFormatWith, {});
  if (options.check && (options.info || options.Writes() || !options.commands.empty() ||
                        options.autoSplit || options.vertexLimit || options.forceLimit))
    throw UsageError(Text::CliCheckAlone, {});
  if (options.info && options.output == "-") throw UsageError(Text::CliInfoAndStdout, {});
  if (options.printPdf == "-" && (options.info || options.output == "-"))
    throw UsageError(Text::CliStdoutTwice, {});
  if (!options.distances.empty() && !options.lods)
    options.lods = static_cast<int>(options.distances.size());
  if (options.lods && !options.distances.empty() &&
      static_cast<int>(options.distances.size()) != *options.lods)
    throw UsageError(Text::CliDistancesForLods,
                     {{"distances", std::to_string(options.distances.size())},
                      {"lods", std::to_string(*options.lods)}});
  return options;
}

}  // namespace quarvel::cli
