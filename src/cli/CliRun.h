#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/CliLanguage.h"
#include "cli/CliPrinter.h"

namespace quarvel::cli {

enum ExitStatus {
  kSuccess = 0,
  kCommandFailed = 1,
  kUsage = 2,
  kCannotRead = 3,
  kCannotWrite = 4,
  // The shape was saved, its settings file was not: a retry would make the
  // saved shape its own backup.
  kCannotWriteSettings = 5,
};

// The process's own environment.
Environment ProcessEnvironment();

// The whole program: `arguments` without the program name; the language file
// is looked for beside `executablePath`, the locale in `environment`. Without
// `pdfPrinter` (a program built without Qt) --print-pdf is refused. With
// `errIsTerminal` the progress of several shapes is shown on `err`.
int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           const std::string& executablePath, const PdfPrinterFactory& pdfPrinter = {},
           const Environment& environment = ProcessEnvironment(), bool errIsTerminal = false);

}  // namespace quarvel::cli
