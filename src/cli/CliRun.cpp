#include "cli/CliRun.h"

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <locale>
#include <optional>
#include <ostream>
#include <sstream>

#include "assignment/LodLevels.h"
#include "cli/CliCheck.h"
#include "cli/CliDialogs.h"
#include "cli/CliInfo.h"
#include "cli/CliOptions.h"
#include "common/Convert.h"
#include "document/DocumentPaths.h"
#include "session/Session.h"
#include "session/Verbs.h"
#include "settings/ProgramFiles.h"
#include "shape/LineNumbers.h"
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

enum class FileMark { Unicode, Missing, Unreadable };

// Whether the file is text with the Unicode mark or one of the binary forms,
// which open without asking.
FileMark UnicodeMark(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path)) return FileMark::Unreadable;
  char bytes[24] = {};
  in.read(bytes, sizeof bytes);
  const std::string_view first(bytes, static_cast<std::size_t>(in.gcount()));
  return HasUnicodeMark(first) || format::FormOfFile(first) != format::ShapeForm::Text
             ? FileMark::Unicode
             : FileMark::Missing;
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
    case FileMark::Unreadable:
      err << "error: " << options.shape << " cannot be read\n";
      return kCannotRead;
    case FileMark::Missing:
      if (!options.force) {
        err << "error: " << options.shape
            << " does not start with the Unicode mark (it may be compressed); --force opens it "
               "anyway\n";
        return kCannotRead;
      }
      break;
    case FileMark::Unicode:
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
  // The program INI and the language file as the window reads them; the
  // command line never writes them.
  std::optional<IniFile> languageFile;
  std::string language;
  Session session(SessionPorts{dialogs,
                               [&](Text text) {
                                 return languageFile ? LanguageText(*languageFile, language,
                                                                    static_cast<int>(text))
                                                     : std::string();
                               },
                               {}});
  // Messages name the lines of the file, which an editor shows.
  const NumberLinesAsInFile fileLines(session.text);
  const auto run = [&](const std::function<Outcome()>& operation) {
    return RunGuarded(dialogs, operation);
  };
  const bool started =
      run([&] {
        const IniFile programIni(ProgramIniPath(system));
        languageFile.emplace(LanguageFilePath(system));
        language = ChosenLanguage(*languageFile);
        const ProgramSetup setup = ReadProgramSetup(programIni);
        for (int lod = 1; lod <= setup.lods; ++lod)
          session.plan.distances.Set(lod, setup.distances[static_cast<std::size_t>(lod - 1)]);
        session.SetLodCount(setup.lods);
        session.vertexLimit = setup.vertexLimit;
        return Outcome::Done();
      }).IsDone();
  if (!started) return kCommandFailed;
  // Nobody answers the question about a sub-object above the limit: the
  // plan is refused unless the command line lifts the limit.
  session.oversize = options.forceLimit ? OversizeHandling::Proceed : OversizeHandling::Refuse;
  if (options.vertexLimit) session.vertexLimit = ClampVertexLimit(*options.vertexLimit);

  if (options.lods) {
    const int n = *options.lods;
    FillEmptyDistances(session.plan, n);
    for (int i = 1; i <= n && i <= static_cast<int>(options.distances.size()); ++i)
      session.plan.distances.Set(i, options.distances[static_cast<std::size_t>(i - 1)]);
    session.SetLodCount(n);
  }
  if (options.settingsFile) {
    if (!std::filesystem::is_regular_file(*options.settingsFile)) {
      err << "error: settings file " << *options.settingsFile << " not found\n";
      return kCannotRead;
    }
    session.settingsOverride = *options.settingsFile;
  }

  // Everything the window would show while opening: the warnings of the
  // analysis, or the message that the file could not be read.
  std::vector<std::string> openMessages;
  dialogs.recorded = &openMessages;
  const bool opened =
      run([&] { return session.Open(FullShapePath(options.shape), OpenView{}); }).IsDone();
  dialogs.recorded = nullptr;
  if (!opened) {
    err << "error: " << options.shape << " could not be read or analysed\n";
    return kCannotRead;
  }
  // An empty file (opened with --force) has nothing to analyse; written back
  // it would become three bytes that no program reads as a shape.
  if (session.text.Empty()) {
    err << "error: " << options.shape << " is empty: the analysis finds no element\n";
    return kCommandFailed;
  }

  if (options.pointsTolerance) session.plan.pointTolerance = *options.pointsTolerance;
  if (options.normalsTolerance) session.plan.normalTolerance = *options.normalsTolerance;
  if (options.autoSplit) {
    for (int lod = 1; lod <= session.plan.lodCount; ++lod) {
      if (run([&] { return session.AutoSplit(lod); }).Stopped()) {
        err << "error: --auto-split: LOD " << lod << " cannot be split; nothing is written\n";
        return kCommandFailed;
      }
    }
  }

  // The printout when it is due after `commandsRun` commands.
  const auto printIfDue = [&](std::size_t commandsRun) {
    if (!options.printPdf || options.printAfterCommands != commandsRun) return int{kSuccess};
    const Outcome printed = run([&] { return session.Print(printer, system); });
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
  for (const std::string& name : options.commands) {
    if (const int status = printIfDue(commandsRun++); status != kSuccess) return status;
    const Verb& verb = *FindVerb(name);
    if (verb.available && !verb.available(session)) {
      // A command that cannot run shows no box: its reason goes here.
      err << "error: " << verb.unavailable << "\n";
      return kCommandFailed;
    }
    if (const Outcome outcome = run([&] { return verb.run(session); }); outcome.Stopped()) {
      err << "error: " << name << " was refused or failed; nothing is written\n";
      if (outcome.cause() == Outcome::Cause::VertexLimit)
        err << "error: a sub-object has more than " << session.vertexLimit
            << " vertices; --auto-split splits every LOD within the limit, --vertex-limit sets "
               "another one, --force-limit generates anyway\n";
      return kCommandFailed;
    }
  }
  if (const int status = printIfDue(commandsRun); status != kSuccess) return status;

  if (options.info) {
    if (options.json) {
      PrintInfoJson(out, session, openMessages);
    } else {
      PrintInfo(out, session, openMessages);
    }
  }

  if (options.format) session.file.form = *options.format;
  const auto refusedInBinary = [&](const ShapeProblem& problem) {
    err << "error: the shape cannot be written in binary form: line " << ShownLine(problem.line)
        << ": " << problem.message << '\n';
    return int{kCannotWrite};
  };
  if (options.output == "-") {
    const format::ShapeFileBytes file = format::EncodeShapeFile(
        session.text.All(), session.file.form, session.bom, session.file.subHeaderTail);
    if (file.refusal) return refusedInBinary(*file.refusal);
    out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    out.flush();
    if (!out) {
      err << "error: the shape cannot be written to standard output\n";
      return kCannotWrite;
    }
  } else if (options.output) {
    const format::ShapeSaveResult saved =
        format::SaveShapeFile(*options.output, session.text.All(), session.file.form, session.bom,
                              session.file.subHeaderTail, {}, session.sourceFile);
    if (saved.refusal) return refusedInBinary(*saved.refusal);
    if (saved.failure) {
      err << "error: " << *options.output << " cannot be written: " << *saved.failure << '\n';
      return kCannotWrite;
    }
  } else if (options.inPlace) {
    // The two halves of "Speichern", so that the exit status says which
    // file failed.
    if (!run([&] { return session.WriteText({}); }).IsDone()) {
      err << "error: " << options.shape << " cannot be written\n";
      return kCannotWrite;
    }
    if (!run([&] {
          session.SaveSettings();
          return Outcome::Done();
        })) {
      err << "error: the settings file " << session.SettingsPath() << " cannot be written; "
          << options.shape << " itself was saved\n";
      return kCannotWriteSettings;
    }
  }
  return kSuccess;
}

}  // namespace quarvel::cli
