#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "cli/CliRun.h"
#include "common/FileReplace.h"

#ifdef QUARVEL_CLI_PDF
#include <QGuiApplication>
#include <QtGlobal>

#include "app/PdfPrinter.h"
#include "common/Error.h"
#endif

int main(int argc, char** argv) {
  // A user's Ctrl-C or a kill stops a run over a whole route at once; the
  // files being saved keep their old versions.
  quarvel::StopOnSignals();
  std::error_code error;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) executable = std::filesystem::absolute(argv[0], error);

  quarvel::cli::PdfPrinterFactory pdfPrinter;
#ifdef QUARVEL_CLI_PDF
  // Qt draws the pages and needs an application for its fonts. It is made
  // only for a printout, on the platform without a screen, so the command
  // line keeps running where there is no display.
  char platformOption[] = "-platform";
  char platform[] = "offscreen";
  char* qtArguments[] = {argv[0], platformOption, platform, nullptr};
  int qtArgumentCount = 3;
  std::unique_ptr<QGuiApplication> application;
  pdfPrinter = [&](const std::string& path) -> std::unique_ptr<quarvel::Printer> {
    if (!application) {
      // Standard error carries the form's messages; Qt's notes on its set-up
      // (no runtime folder, no screen) are no business of the user's.
      qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << text.toStdString() << '\n';
      });
      application = std::make_unique<QGuiApplication>(qtArgumentCount, qtArguments);
    }
    if (path != "-") return std::make_unique<quarvel::PdfPrinter>(path);
    return std::make_unique<quarvel::PdfPrinter>(path, [](std::string_view bytes) {
      std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      std::cout.flush();
      if (!std::cout) throw quarvel::WriteError("-");
    });
  };
#endif
  return quarvel::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                              executable.string(), pdfPrinter, quarvel::cli::ProcessEnvironment(),
                              ::isatty(STDERR_FILENO) == 1);
}
