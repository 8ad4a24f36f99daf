#include "cli/CliRun.h"

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <locale>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/CliCheck.h"
#include "cli/CliDialogs.h"
#include "cli/CliInfo.h"
#include "cli/CliOptions.h"
#include "common/Convert.h"
#include "form/Commands.h"
#include "form/Form.h"
#include "form/TableColumns.h"
#include "shape/LineNumbers.h"
#include "shape/ShapeFile.h"
#include "simtools/ScriptLauncher.h"

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

enum class Mark { Unicode, Missing, Unreadable };

// Whether the file is text with the Unicode mark or one of the binary forms,
// which open without asking.
Mark UnicodeMark(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path)) return Mark::Unreadable;
  char bytes[24] = {};
  in.read(bytes, sizeof bytes);
  const std::string_view first(bytes, static_cast<std::size_t>(in.gcount()));
  return HasUnicodeMark(first) || format::FormOfFile(first) != format::ShapeForm::Text
             ? Mark::Unicode
             : Mark::Missing;
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           const std::string& executablePath, const PdfPrinterFactory& pdfPrinter) {
  CliOptions options;
  try {
    options = ParseCommandLine(arguments);
  } catch (const UsageError& error) {
    err << "quarvel-cli: " << error.what() << "\nTry 'quarvel-cli --help' for more information.\n";
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
  if (options.check) return RunCheck(options.shape, options.json, out, err);

  std::unique_ptr<Printer> pdf;
  if (options.printPdf) {
    if (!pdfPrinter) {
      err << "error: --print-pdf: this quarvel-cli was built without Qt and writes no PDF\n";
      return kUsage;
    }
    pdf = pdfPrinter(*options.printPdf);
  }
  Printer& printer = pdf ? *pdf : NoDefaultPrinter();

  CliDialogs dialogs(err);
  CliSystem system(executablePath);
  NoSimulator registry;
  HostLauncher launcher;
  Form form(FormPorts{dialogs, system, registry, launcher, printer});
  form.persistProgramIni = false;
  // Messages name the lines of the file, which an editor shows.
  const NumberLinesAsInFile fileLines(form.shapeText);
  if (!form.Run([&] { form.FormCreate(); })) return kCommandFailed;
  // Nobody answers the question about a sub-object above the limit: the
  // plan is refused unless the command line lifts the limit.
  form.oversizeHandling =
      options.forceLimit ? Form::OversizeHandling::Proceed : Form::OversizeHandling::Refuse;
  if (options.vertexLimit) form.Run([&] { form.VertLimitSpinEditChange(*options.vertexLimit); });

  if (options.lods) {
    const int n = *options.lods;
    form.Run([&] {
      form.LODAnzSpinEditChange(n);
      for (int i = 1; i <= n && i <= static_cast<int>(options.distances.size()); ++i)
        form.StringGrid4.SetCell(kDistanceColumn, i,
                                 options.distances[static_cast<std::size_t>(i - 1)]);
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
  const bool opened = form.Run([&] { return form.OpenShape(options.shape); }).IsDone();
  dialogs.recorded = nullptr;
  if (!opened) {
    err << "error: " << options.shape << " could not be read or analysed\n";
    return kCannotRead;
  }
  // An empty file (opened with --force) has nothing to analyse; written back
  // it would become three bytes that no program reads as a shape.
  if (form.shapeText.Empty()) {
    err << "error: " << options.shape << " is empty: the analysis finds no element\n";
    return kCommandFailed;
  }

  if (options.pointsTolerance) {
    form.PointTolerance = *options.pointsTolerance;
    form.DeltaPointsEdit.text = FloatToStr(form.PointTolerance);
  }
  if (options.normalsTolerance) {
    form.NormalTolerance = *options.normalsTolerance;
    form.DeltaNormalsEdit.text = FloatToStr(form.NormalTolerance);
  }
  if (options.autoSplit) {
    for (int lod = 1; lod <= form.LodCount; ++lod) {
      if (form.Run([&] { return form.AutoSplitLod(lod); }).Stopped()) {
        err << "error: --auto-split: LOD " << lod << " cannot be split; nothing is written\n";
        return kCommandFailed;
      }
    }
  }

  // The printout when it is due after `commandsRun` commands.
  const auto printIfDue = [&](std::size_t commandsRun) {
    if (!options.printPdf || options.printAfterCommands != commandsRun) return int{kSuccess};
    const Outcome printed = form.Run([&] { return form.E_DruckenButtonClick(); });
    if (printed.kind() == Outcome::Kind::Unavailable) {
      err << "error: --print-pdf: " << printed.message() << "\n";
      return int{kCommandFailed};
    }
    if (printed.Stopped()) {
      err << "error: " << *options.printPdf << " cannot be written\n";
      return int{kCannotWrite};
    }
    return int{kSuccess};
  };

  std::size_t commandsRun = 0;
  for (const std::string& verb : options.commands) {
    if (const int status = printIfDue(commandsRun++); status != kSuccess) return status;
    const Command& command = *FindCommandByVerb(verb);
    const Outcome outcome = form.RunCommand(command);
    if (outcome.kind() == Outcome::Kind::Unavailable) {
      // A command that never ran showed no box: its reason goes here.
      err << "error: " << outcome.message() << "\n";
      return kCommandFailed;
    }
    if (outcome.Stopped()) {
      err << "error: " << verb << " was refused or failed; nothing is written\n";
      if (form.refusedForVertexLimit)
        err << "error: a sub-object has more than " << form.VertexLimit
            << " vertices; --auto-split splits every LOD within the limit, --vertex-limit sets "
               "another one, --force-limit generates anyway\n";
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

  if (options.format) form.shapeFile.form = *options.format;
  const auto refusedInBinary = [&](const ShapeProblem& problem) {
    err << "error: the shape cannot be written in binary form: line " << ShownLine(problem.line)
        << ": " << problem.message << '\n';
    return int{kCannotWrite};
  };
  if (options.output == "-") {
    const format::ShapeFileBytes file = format::EncodeShapeFile(
        form.shapeText.All(), form.shapeFile.form, form.FileBom, form.shapeFile.subHeaderTail);
    if (file.refusal) return refusedInBinary(*file.refusal);
    out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    out.flush();
    if (!out) {
      err << "error: the shape cannot be written to standard output\n";
      return kCannotWrite;
    }
  } else if (options.output) {
    const format::ShapeSaveResult saved =
        format::SaveShapeFile(*options.output, form.shapeText.All(), form.shapeFile.form,
                              form.FileBom, form.shapeFile.subHeaderTail, {}, form.textSourceFile);
    if (saved.refusal) return refusedInBinary(*saved.refusal);
    if (saved.failure) {
      err << "error: " << *options.output << " cannot be written: " << *saved.failure << '\n';
      return kCannotWrite;
    }
  } else if (options.inPlace) {
    // The two halves of "Speichern", so that the exit status says which
    // file failed.
    const Outcome written = form.Run([&] { return form.WriteShapeText(); });
    if (!written.IsDone()) {
      err << "error: " << options.shape << " cannot be written\n";
      return kCannotWrite;
    }
    if (!form.Run([&] { form.SaveSettings(); })) {
      err << "error: the settings file " << form.SettingsFilePath() << " cannot be written; "
          << options.shape << " itself was saved\n";
      return kCannotWriteSettings;
    }
  }
  return kSuccess;
}

}  // namespace quarvel::cli
