#include "cli/CliRun.h"

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <locale>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/CliDialogs.h"
#include "cli/CliInfo.h"
#include "cli/CliOptions.h"
#include "common/Convert.h"
#include "form/Form.h"
#include "shape/ShapeFile.h"

namespace quarvel::cli {

namespace {

// The user's locale for dates and times; none when it is not installed or is
// the C locale, whose dates read month first.
std::optional<std::locale> UserLocale() {
  try {
    std::locale user("");
    const std::string name = user.name();
    if (name == "C" || name == "POSIX" || name.starts_with("C.")) return std::nullopt;
    return user;
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
}

class CliSystem : public SystemInfo {
 public:
  explicit CliSystem(std::string executable) : executable_(std::move(executable)) {}
  int ScreenWidth() const override { return 1920; }
  int ScreenHeight() const override { return 1080; }
  OsVersion OperatingSystem() const override {
    return {OsVersion::Platform::NonWindows, 0, 0, "Linux"};
  }
  std::string ExecutablePath() const override { return executable_; }
  std::string UserConfigDir() const override {
    return std::filesystem::temp_directory_path().string();
  }
  std::string DateTimeText() const override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::ostringstream text;
    if (const std::optional<std::locale> user = UserLocale()) {
      text.imbue(*user);
      text << std::put_time(&local, "%x %X");
    } else {
      text << std::put_time(&local, "%Y-%m-%d %H:%M:%S");
    }
    return text.str();
  }

 private:
  std::string executable_;
};

// Without a window there is no file dialog to start in the simulator's folder.
class NoSimulator : public SimulatorRegistry {
 public:
  std::string SimulatorPath() const override { return ""; }
};

// Boxes shown from `from` on that report a refusal or a failure.
bool RefusedSince(const CliDialogs& dialogs, int warningsBefore, int errorsBefore) {
  return dialogs.warnings > warningsBefore || dialogs.errors > errorsBefore;
}

enum class Mark { Unicode, Missing, Unreadable };

Mark UnicodeMark(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path)) return Mark::Unreadable;
  unsigned char bytes[2] = {0, 0};
  in.read(reinterpret_cast<char*>(bytes), 2);
  return bytes[0] == 0xFF || bytes[1] == 0xFE ? Mark::Unicode : Mark::Missing;
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           const std::string& executablePath, const PdfPrinterFactory& pdfPrinter) {
  CliOptions options;
  try {
    options = ParseCommandLine(arguments);
  } catch (const UsageError& error) {
    err << "quarvel-cli: " << error.message << "\nTry 'quarvel-cli --help' for more information.\n";
    return kUsage;
  }
  if (options.help) {
    out << UsageText();
    return kSuccess;
  }

  switch (UnicodeMark(options.shape)) {
    case Mark::Unreadable:
      err << "error: " << options.shape << " cannot be read\n";
      return kCannotRead;
    case Mark::Missing:
      if (!options.force) {
        err << "error: " << options.shape
            << " does not start with the Unicode mark (it may be compressed); --force opens it "
               "anyway\n";
        return kCannotRead;
      }
      break;
    case Mark::Unicode:
      break;
  }

  std::unique_ptr<Printer> pdf;
  if (options.printPdf) {
    if (!pdfPrinter) {
      err << "error: --print-pdf: this quarvel-cli was built without Qt and writes no PDF\n";
      return kUsage;
    }
    pdf = pdfPrinter(*options.printPdf);
  }
  WatchedPrinter printer(pdf ? *pdf : NoDefaultPrinter());

  CliDialogs dialogs(err);
  CliSystem system(executablePath);
  NoSimulator registry;
  Form form(FormPorts{dialogs, system, registry, printer});
  form.persistProgramIni = false;
  if (!form.Run([&] { form.FormCreate(); })) return kCommandFailed;

  if (options.lods) {
    const int n = *options.lods;
    form.Run([&] {
      form.LODAnzSpinEditChange(n);
      for (int i = 1; i <= n && i <= static_cast<int>(options.distances.size()); ++i)
        form.StringGrid4.SetCell(1, i, options.distances[static_cast<std::size_t>(i - 1)]);
      form.LODAnzSpinEditExit();
    });
  }
  if (options.settingsFile) {
    if (!std::filesystem::is_regular_file(*options.settingsFile)) {
      err << "error: settings file " << *options.settingsFile << " not found\n";
      return kCannotRead;
    }
    form.settingsFileOverride = *options.settingsFile;
  }

  // Everything the window would show while opening: the warnings of the
  // analysis, or the message that the file could not be read.
  std::vector<std::string> openMessages;
  dialogs.recorded = &openMessages;
  const bool opened = form.Run([&] { form.OpenShape(options.shape); }) && form.openSucceeded;
  dialogs.recorded = nullptr;
  if (!opened) {
    err << "error: " << options.shape << " could not be read or analysed\n";
    return kCannotRead;
  }

  // The printout when it is due after `commandsRun` commands.
  const auto printIfDue = [&](std::size_t commandsRun) {
    if (!options.printPdf || options.printAfterCommands != commandsRun) return int{kSuccess};
    const int printed = printer.documents;
    if (!form.Run([&] { form.E_DruckenButtonClick(); })) {
      err << "error: " << *options.printPdf << " cannot be written\n";
      return int{kCannotWrite};
    }
    if (printer.documents == printed) {
      err << "error: --print-pdf: the shape has no elements to print\n";
      return int{kCommandFailed};
    }
    return int{kSuccess};
  };

  std::size_t commandsRun = 0;
  for (const std::string& command : options.commands) {
    if (const int status = printIfDue(commandsRun++); status != kSuccess) return status;
    const int warningsBefore = dialogs.warnings, errorsBefore = dialogs.errors;
    bool ran = true;
    if (command == "generate") {
      if (!form.Sub_ObjectsButton.enabled) {
        err << "error: generate: this shape cannot be split (it has more than one distance level "
               "or "
               "sub-object, or was split already)\n";
        return kCommandFailed;
      }
      ran = form.Run([&] { form.Sub_ObjectsButtonClick(); });
    } else if (command == "delete-animations") {
      ran = form.Run([&] { form.AnimButtonClick(); });
    }
    if (!ran || RefusedSince(dialogs, warningsBefore, errorsBefore)) {
      err << "error: " << command << " was refused or failed; nothing is written\n";
      return kCommandFailed;
    }
  }
  if (const int status = printIfDue(commandsRun); status != kSuccess) return status;

  if (options.info) {
    if (options.json) {
      PrintInfoJson(out, form, openMessages);
    } else {
      PrintInfo(out, form, openMessages);
    }
  }

  if (options.output) {
    if (!WriteShapeFile(*options.output, form.shapeText.All(), form.FileBom)) {
      err << "error: " << *options.output << " cannot be written\n";
      return kCannotWrite;
    }
  } else if (options.inPlace) {
    const int warningsBefore = dialogs.warnings, errorsBefore = dialogs.errors;
    const bool saved = form.Run([&] { form.SpeichernButtonClick(); });
    if (!saved || RefusedSince(dialogs, warningsBefore, errorsBefore)) {
      err << "error: " << options.shape << " cannot be written\n";
      return kCannotWrite;
    }
  }
  return kSuccess;
}

}  // namespace quarvel::cli
