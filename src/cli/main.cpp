#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>  // needs windows.h before it
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "cli/CliRun.h"
#include "common/FileReplace.h"
#include "common/Utf8Path.h"

#ifdef QUARVEL_CLI_PDF
#include <QGuiApplication>
#include <QtGlobal>

#include "app/PdfPrinter.h"
#include "common/Error.h"
#endif

namespace {

// The program's own file, where its language file and INI lie beside it.
std::filesystem::path ExecutablePath(const char* argv0) {
  std::error_code error;
#ifdef _WIN32
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) break;
    if (length < path.size()) return std::filesystem::path(path.substr(0, length));
    path.resize(path.size() * 2);
  }
#else
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) return executable;
#endif
  return std::filesystem::absolute(argv0, error);
}

std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
  // argv holds what the ANSI code page makes of the arguments: a file name
  // outside it would name no file. The wide command line has them all.
  int count = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(quarvel::Utf8Of(wide[i]));
    ::LocalFree(wide);
    return arguments;
  }
#endif
  return std::vector<std::string>(argv + 1, argv + argc);
}

bool ErrorsGoToATerminal() {
#ifdef _WIN32
  return ::_isatty(::_fileno(stderr)) != 0;
#else
  return ::isatty(STDERR_FILENO) == 1;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  // A user's Ctrl-C or a kill stops a run over a whole route at once; the
  // files being saved keep their old versions.
  quarvel::StopOnSignals();
#ifdef _WIN32
  // Every message is UTF-8; the console shows it as such.
  ::SetConsoleOutputCP(CP_UTF8);
  // A shape written to standard output ("-o -") keeps its bytes: in text
  // mode every LF byte of a UTF-16 or compressed shape would gain a CR. The
  // messages end their lines as on Linux, for the scripts that read them.
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
#endif
  const std::filesystem::path executable = ExecutablePath(argv[0]);

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
  return quarvel::cli::RunCli(Arguments(argc, argv), std::cout, std::cerr,
                              quarvel::Utf8Of(executable), pdfPrinter,
                              quarvel::cli::ProcessEnvironment(), ErrorsGoToATerminal());
}
