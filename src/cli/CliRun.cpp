#include "cli/CliRun.h"

#include <algorithm>
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
#include "cli/CliLanguage.h"
#include "cli/CliOptions.h"
#include "common/Convert.h"
#include "document/DocumentPaths.h"
#include "session/Session.h"
#include "session/Verbs.h"
#include "settings/ProgramFiles.h"
#include "settings/SettingsFile.h"
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
           const std::string& executablePath, const PdfPrinterFactory& pdfPrinter,
           const Environment& environment) {
  CliSystem system(executablePath);
  const TextSource texts =
      LanguageFileTexts(LanguageFilePath(system), LanguageCode(arguments, environment));
  const auto say =
      [&](Text text, std::initializer_list<std::pair<std::string_view, std::string>> values = {}) {
        return Worded(texts, text, values);
      };
  CliOptions options;
  try {
    options = ParseCommandLine(arguments);
  } catch (const UsageError& error) {
    err << "quarvel-cli: " << error.In(texts) << "\n" << say(Text::CliTryHelp) << "\n";
    return kUsage;
  }
  if (options.help) {
    out << UsageText();
    return kSuccess;
  }
  if (options.version) {
    out << "quarvel-cli " << QUARVEL_VERSION << "\n";
    return kSuccess;
  }

  switch (UnicodeMark(options.shape)) {
    case FileMark::Unreadable:
      err << "error: " << say(Text::CliCannotRead, {{"path", options.shape}}) << "\n";
      return kCannotRead;
    case FileMark::Missing:
      if (!options.force) {
        err << "error: " << say(Text::CliNoUnicodeMark, {{"path", options.shape}}) << "\n";
        return kCannotRead;
      }
      break;
    case FileMark::Unicode:
      break;
  }
  if (options.check) return RunCheck(options.shape, options.json, texts, out, err);

  // An output that is the shape itself (by any spelling or link) would
  // destroy what the run reads; the printout may neither replace the files
  // kept beside it.
  const std::optional<FileIdentity> input = IdentityOf(options.shape);
  const auto isOneOf = [](const std::string& path, std::initializer_list<std::string> files) {
    const std::optional<FileIdentity> target = IdentityOf(path);
    return target && std::any_of(files.begin(), files.end(), [&](const std::string& file) {
             return IdentityOf(file) == target;
           });
  };
  if (options.output && *options.output != "-" && input && IdentityOf(*options.output) == input) {
    err << "quarvel-cli: " << say(Text::CliOutputIsInput, {{"path", *options.output}}) << "\n";
    return kUsage;
  }
  if (options.printPdf && *options.printPdf != "-" &&
      isOneOf(*options.printPdf,
              {options.shape, options.settingsFile.value_or(SettingsPathFor(options.shape)),
               BackupPathFor(FollowLinks(options.shape))})) {
    err << "quarvel-cli: " << say(Text::CliPdfOverInput, {{"path", *options.printPdf}}) << "\n";
    return kUsage;
  }

  std::unique_ptr<Printer> pdf;
  if (options.printPdf) {
    if (!pdfPrinter) {
      err << "error: " << say(Text::CliNoPdf) << "\n";
      return kUsage;
    }
    pdf = pdfPrinter(*options.printPdf);
  }
  Printer& printer = pdf ? *pdf : NoDefaultPrinter();

  CliDialogs dialogs(err);
  Session session(SessionPorts{dialogs, texts, {}});
  // Messages name the lines of the file, which an editor shows.
  const NumberLinesAsInFile fileLines(session.text);
  const auto run = [&](const std::function<Outcome()>& operation) {
    return RunGuarded(dialogs, session.Texts(), operation);
  };
  const bool started =
      run([&] {
        // The program INI as the window reads it; the command line never
        // writes it.
        const IniFile programIni(ProgramIniPath(system));
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
      err << "error: " << say(Text::CliSettingsNotFound, {{"path", *options.settingsFile}}) << "\n";
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
    err << "error: " << say(Text::CliNotAnalysed, {{"path", options.shape}}) << "\n";
    return kCannotRead;
  }
  // An empty file (opened with --force) has nothing to analyse; written back
  // it would become three bytes that no program reads as a shape.
  if (session.text.Empty()) {
    err << "error: " << say(Text::CliEmpty, {{"path", options.shape}}) << "\n";
    return kCommandFailed;
  }

  if (options.pointsTolerance) session.plan.pointTolerance = *options.pointsTolerance;
  if (options.normalsTolerance) session.plan.normalTolerance = *options.normalsTolerance;
  if (options.autoSplit) {
    for (int lod = 1; lod <= session.plan.lodCount; ++lod) {
      if (run([&] { return session.AutoSplit(lod); }).Stopped()) {
        err << "error: " << say(Text::CliCannotSplit, {{"lod", IntToStr(lod)}}) << "\n";
        return kCommandFailed;
      }
    }
  }

  // The printout when it is due after `commandsRun` commands.
  const auto printIfDue = [&](std::size_t commandsRun) {
    if (!options.printPdf || options.printAfterCommands != commandsRun) return int{kSuccess};
    const Outcome printed = run([&] { return session.Print(printer, system); });
    if (printed.kind() == Outcome::Kind::Unavailable) {
      err << "error: " << say(Text::CliPrintUnavailable, {{"reason", printed.message()}}) << "\n";
      return int{kCommandFailed};
    }
    if (printed.Stopped()) {
      err << "error: " << say(Text::CliCannotWrite, {{"path", *options.printPdf}}) << "\n";
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
      err << "error: " << TextFrom(texts, verb.unavailable) << "\n";
      return kCommandFailed;
    }
    if (const Outcome outcome = run([&] { return verb.run(session); }); outcome.Stopped()) {
      err << "error: " << say(Text::CliCommandFailed, {{"command", name}}) << "\n";
      if (outcome.cause() == Outcome::Cause::VertexLimit)
        err << "error: " << say(Text::CliOverLimitHint, {{"limit", IntToStr(session.vertexLimit)}})
            << "\n";
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
    err << "error: "
        << say(Text::CliNotInBinary,
               {{"line", IntToStr(ShownLine(problem.line))}, {"reason", problem.message}})
        << '\n';
    return int{kCannotWrite};
  };
  if (options.output == "-") {
    const format::ShapeFileBytes file =
        format::EncodeShapeFile(session.text.All(), session.file.form, session.bom,
                                session.file.subHeaderTail, session.Texts());
    if (file.refusal) return refusedInBinary(*file.refusal);
    out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    out.flush();
    if (!out) {
      err << "error: " << say(Text::CliCannotWriteStdout) << "\n";
      return kCannotWrite;
    }
  } else if (options.output) {
    const format::ShapeSaveResult saved =
        format::SaveShapeFile(*options.output, session.text.All(), session.file.form, session.bom,
                              session.file.subHeaderTail, session.Texts(), {}, session.sourceFile);
    if (saved.refusal) return refusedInBinary(*saved.refusal);
    if (saved.failure) {
      err << "error: "
          << say(Text::CliCannotWriteBecause,
                 {{"path", *options.output}, {"reason", saved.failure->In(texts)}})
          << '\n';
      return kCannotWrite;
    }
  } else if (options.inPlace) {
    // The two halves of "Speichern", so that the exit status says which
    // file failed.
    if (!run([&] { return session.WriteText({}); }).IsDone()) {
      err << "error: " << say(Text::CliCannotWrite, {{"path", options.shape}}) << "\n";
      return kCannotWrite;
    }
    if (!run([&] {
          session.SaveSettings();
          return Outcome::Done();
        })) {
      err << "error: "
          << say(Text::CliSettingsNotWritten,
                 {{"settings", session.SettingsPath()}, {"path", options.shape}})
          << "\n";
      return kCannotWriteSettings;
    }
  }
  return kSuccess;
}

}  // namespace quarvel::cli
