#include "cli/CliOptions.h"

#include <algorithm>

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

}  // namespace

std::vector<std::string> KnownCommands() {
  std::vector<std::string> verbs;
  for (const Verb& verb : VerbTable()) verbs.push_back(verb.name);
  return verbs;
}

std::string UsageText() {
  return R"(Usage: quarvel-cli SHAPE [options]

Opens a shape file (.s) as the window's "Öffnen" does, in any of its three
forms (UTF-16 text, binary, compressed): analyses it, gives every
element the default plan and applies the settings file beside it (SHAPE with
the extension .Quarvel) when there is one. Then runs the given commands and
writes the result.

Options:
  --settings FILE       take the plan from FILE instead of the settings file
                        beside SHAPE
  --lods N              number of LODs (1..99) before the settings are loaded,
                        as the program's own INI would set it
  --distances D1,D2,..  their distances in metres (1..2000)
  --points-tolerance T  the tolerance of merge-points in metres, such as 0.001,
                        instead of the settings file's
  --normals-tolerance T the tolerance of merge-normals, instead of the
                        settings file's (both read with "." as decimal point)
  --vertex-limit N      the most vertices a sub-object may have (1000..65535;
                        without it the "Limits" of quarvel-cli.INI, else
                        14000): the older simulator draws sub-objects wrongly
                        from about 14000 on, and 65535 is the most that 16-bit
                        indices reach
  --auto-split          split every LOD into sub-objects within the vertex
                        limit, as "Automatisch aufteilen" does in the window
                        (elements in row order; "0" and "999" stay), after the
                        settings are loaded and before any --do and
                        --print-pdf
  --do CMD[,CMD...]     run commands in order: )" +
         [] {
           std::string list;
           for (const auto& command : KnownCommands()) list += (list.empty() ? "" : ", ") + command;
           return list;
         }() +
         R"(
  --print-pdf OUT.pdf   write the settings printout ("Einstellung drucken")
                        to OUT.pdf: A4 landscape, as answering Yes to both
                        of its questions; it shows the tables before the
                        commands of a --do given after it and after those
                        of a --do given before it
  -o OUT                write the resulting shape to OUT (OUT.BAK keeps a file
                        that was there); -o - writes it to standard output
  --in-place            save over SHAPE as "Speichern" does (SHAPE.BAK keeps
                        the previous version, the settings file is written
                        beside it)
  --format FORM         write the shape as text, binary or compressed; without
                        it, in the form SHAPE is in (a compressed shape is
                        saved compressed)
  --info                print the element, sub-object, LOD and matrix tables
  --check               check SHAPE as the simulator will load it: every block
                        by the format's grammar (value types, counts, the
                        blocks each holds), every index, in every LOD and
                        sub-object; prints "LINE: error: text" or
                        "LINE: warning: text" for each problem, LINE being
                        the line of the file (of a binary one: of its text
                        as the simulator's converter writes it)
  --json                with --info or --check: print JSON
  --force               open a file in none of the three forms (no Unicode mark)
                        (nothing else: it does not lift the vertex limit)
  --force-limit         let generate write sub-objects above the vertex limit
                        (after a warning); without it such a plan is refused
  --lang de|en          the language of the messages; without it German when
                        the locale's language is (LC_ALL, LC_MESSAGES, LANG),
                        else English. The kinds "error", "warning" and the
                        JSON keys stay English, for scripts and editors
  --version             show the program's name and version
  --                    end of the options: what follows is SHAPE, even when
                        it starts with "-"
  -h, --help            show this text

Every message the window would show goes to standard error as "KIND: text";
every question is answered Yes, except the generation's question about a
sub-object above the vertex limit (see --force-limit).

A save never replaces a folder, a device, a pipe, a write-protected file or
the file SHAPE itself, neither as the output nor as the output's backup (so
"x.BAK -o x.s" is refused when x.s exists); it writes through a symbolic link
to the file the link points to.

Exit status: 0 success (with --check: no error, warnings allowed); 1 a
command was refused or failed, or --check found an error (nothing is
written); 2 wrong usage; 3 SHAPE cannot be read; 4 the shape cannot be
written (nothing is changed on disk); 5 the shape was saved but its settings
file cannot be written (do not run the command again: SHAPE.BAK would then
lose the previous version).

Examples:
  quarvel-cli loco.s --do generate -o loco_split.s
  quarvel-cli loco.s --info --json
  quarvel-cli loco.s --check
  quarvel-cli loco.s --points-tolerance 0.001 --do merge-points,merge-normals,fix-materials -o out.s
  quarvel-cli loco.s --lods 3 --print-pdf loco_plan.pdf
  quarvel-cli loco.s --auto-split --vertex-limit 12000 --do generate -o loco_split.s
  for s in *.s; do quarvel-cli "$s" --do generate --in-place; done
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
      if (!options.shape.empty())
        throw UsageError(Text::CliOneShape, {{"first", options.shape}, {"second", argument}});
      options.shape = argument;
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
    } else if (argument == "--in-place") {
      options.inPlace = true;
    } else if (argument == "--format") {
      const std::string& form = value(i, argument);
      if (form == "text") {
        options.format = format::ShapeForm::Text;
      } else if (form == "binary") {
        options.format = format::ShapeForm::Binary;
      } else if (form == "compressed") {
        options.format = format::ShapeForm::Compressed;
      } else {
        throw UsageError(Text::CliFormatValue, {{"value", form}});
      }
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
  if (options.shape.empty()) throw UsageError(Text::CliNoShape, {});
  if (options.output && options.inPlace) throw UsageError(Text::CliOutputOrInPlace, {});
  if (options.json && !options.info && !options.check) throw UsageError(Text::CliJsonWith, {});
  if (options.format && !options.output && !options.inPlace)
    throw UsageError(Text::CliFormatWith, {});
  if (options.check &&
      (options.info || options.output || options.inPlace || !options.commands.empty() ||
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
