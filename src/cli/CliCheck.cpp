#include "cli/CliCheck.h"

#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/CliRun.h"
#include "common/Error.h"
#include "format/ShapeCheck.h"
#include "format/ShapeFileForms.h"
#include "shape/ShapeFile.h"

namespace quarvel::cli {

int RunCheck(const std::string& shape, bool json, const TextSource& texts, std::ostream& out,
             std::ostream& err) {
  ShapeText text;
  std::string bom;
  format::ShapeFileInfo file;
  try {
    ReadShapeCallbacks callbacks;
    callbacks.continueWithoutUnicodeMark = [] { return true; };
    format::ReadShapeFileInAnyForm(shape, text, bom, file, callbacks);
  } catch (const Error& error) {
    err << "error: " << shape << " cannot be read: " << error.In(texts) << '\n';
    return kCannotRead;
  }
  // What the file carried around its shape, which has no line.
  for (const auto& warning : file.warnings) err << "warning: " << warning.In(texts) << '\n';

  const std::vector<ShapeProblem> problems = CheckShape(text.All(), texts);
  bool anyError = false;
  const auto severity = [&anyError](const ShapeProblem& problem) {
    anyError |= problem.kind == ProblemKind::Error;
    return problem.kind == ProblemKind::Error ? "error" : "warning";
  };
  if (json) {
    nlohmann::json list = nlohmann::json::array();
    for (const ShapeProblem& problem : problems)
      list.push_back({{"line", text.FileLine(problem.line)},
                      {"severity", severity(problem)},
                      {"message", problem.message}});
    out << list.dump(2) << '\n';
  } else {
    for (const ShapeProblem& problem : problems)
      out << text.FileLine(problem.line) << ": " << severity(problem) << ": " << problem.message
          << "\n";
  }
  return anyError ? kCommandFailed : kSuccess;
}

}  // namespace quarvel::cli
