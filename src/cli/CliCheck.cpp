#include "cli/CliCheck.h"

#include <nlohmann/json.hpp>

#include "cli/CliDialogs.h"
#include "cli/CliRun.h"
#include "common/Error.h"
#include "format/ShapeCheck.h"
#include "format/ShapeFileForms.h"
#include "shape/ShapeFile.h"

namespace quarvel::cli {

int RunCheck(bool json, const TextSource& texts, ShapeReport& report) {
  ShapeText text;
  std::string bom;
  format::ShapeFileInfo file;
  try {
    ReadShapeCallbacks callbacks;
    callbacks.continueWithoutUnicodeMark = [] { return true; };
    format::ReadShapeFileInAnyForm(report.Path(), text, bom, file, callbacks);
  } catch (const Error& error) {
    report.Error(Worded(texts, Text::CliCannotReadBecause,
                        {{"path", report.Path()}, {"reason", error.In(texts)}}));
    return kCannotRead;
  }
  // What the file carried around its shape, which has no line.
  for (const auto& warning : file.warnings) report.Warning(warning.In(texts));

  const std::vector<ShapeProblem> problems = CheckShape(text.All(), texts);
  // The problems are what was asked for: they go to standard output, but
  // count like every other message.
  ShapeReport found(report.Path(), report.Quiet());
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const ShapeProblem& problem : problems) {
    const char* severity = problem.kind == ProblemKind::Error ? "error" : "warning";
    found.Say(severity, problem.message, text.FileLine(problem.line));
    list.push_back({{"line", text.FileLine(problem.line)},
                    {"severity", severity},
                    {"message", problem.message}});
  }
  report.warnings += found.warnings;
  report.errors.insert(report.errors.end(), found.errors.begin(), found.errors.end());
  report.out +=
      json ? nlohmann::ordered_json{{"file", report.Path()}, {"problems", list}}.dump() + '\n'
           : found.messages;
  const bool anyError = !found.errors.empty();
  return anyError ? kCommandFailed : kSuccess;
}

}  // namespace quarvel::cli
