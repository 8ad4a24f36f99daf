#include "cli/CliRun.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <locale>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <thread>

#include "assignment/LodLevels.h"
#include "cli/CliCheck.h"
#include "cli/CliDialogs.h"
#include "cli/CliInfo.h"
#include "cli/CliLanguage.h"
#include "cli/CliOptions.h"
#include "cli/CliRender.h"
#include "common/Convert.h"
#include "common/Utf8Path.h"
#include "document/DocumentPaths.h"
#include "session/Session.h"
#include "session/Verbs.h"
#include "settings/ProgramFiles.h"
#include "settings/SettingsFile.h"
#include "shape/LineNumbers.h"
#include "shape/ShapeFile.h"

namespace quarvel::cli {

namespace {

namespace fs = std::filesystem;

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
  CliSystem(std::string executable, std::string userConfigDir)
      : executable_(std::move(executable)), userConfigDir_(std::move(userConfigDir)) {}
  int ScreenWidth() const override { return 1920; }
  int ScreenHeight() const override { return 1080; }
  OsVersion OperatingSystem() const override {
    return {OsVersion::Platform::NonWindows, 0, 0, "Linux"};
  }
  std::string ExecutablePath() const override { return executable_; }
  // The window's folder: a shared one like the temporary folder would let
  // anybody set up the program INI that the command line reads.
  std::string UserConfigDir() const override { return userConfigDir_; }
  std::string DateTimeText() const override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
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
  std::string userConfigDir_;
};

// Why `path` cannot be opened as a shape; nullopt when it can. Asked before
// anything opens the file: opening a FIFO for reading waits for a writer,
// and a device may never end. `markMissing` tells a file without the
// Unicode mark, which --force opens all the same.
std::optional<Message> WhyNotReadable(const std::string& path, bool& markMissing) {
  if (std::optional<Message> refusal = WhyNoPlainFile(path)) return refusal;
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) {
    Message message{Text::CliCannotReadBecause, {{"path", path}}};
    message.texts.emplace_back("reason", Text::ReasonPermission);
    return message;
  }
  char bytes[24] = {};
  in.read(bytes, sizeof bytes);
  const std::string_view first(bytes, static_cast<std::size_t>(in.gcount()));
  // No shape in any form is shorter than its header; an empty file is left
  // to --force, which finds nothing in it to work on.
  constexpr std::size_t kShortestShape = 16;
  if (!first.empty() && first.size() < kShortestShape)
    return Message{Text::FileTooShort, {{"path", path}, {"size", std::to_string(first.size())}}};
  markMissing = !HasUnicodeMark(first) && format::FormOfFile(first) == format::ShapeForm::Text;
  return std::nullopt;
}

// Whether something other than a regular file is at `path` (links followed).
bool IsSpecialFile(const std::string& path) {
#ifdef _WIN32
  std::error_code error;
  const fs::file_status status = fs::status(PathOf(path), error);
  return !error && fs::exists(status) && !fs::is_regular_file(status);
#else
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
#endif
}

// The file a shape's result is written to: "-" for standard output, "" for
// none.
std::string OutputFor(const CliOptions& options, const std::string& shape) {
  if (options.output) return *options.output;
  // With pictures, the folder gets the shapes only when they change.
  const bool changed = !options.commands.empty() || options.format || options.autoSplit;
  if (options.outDir && (!options.renderPng || changed))
    return Utf8Of(PathOf(*options.outDir) / PathOf(shape).filename());
  if (options.inPlace) return shape;
  return "";
}

// The file the picture of `shape` goes to.
std::string PictureFor(const CliOptions& options, const std::string& shape) {
  if (options.shapes.size() == 1 || !options.outDir) return options.renderPng.value_or("");
  return Utf8Of(PathOf(*options.outDir) / PathOf(shape).filename().replace_extension(".png"));
}

// The options of the command line that take the place of values `settings`
// holds, as the user wrote them.
std::string OverriddenOptions(const CliOptions& options, const std::string& settingsPath) {
  // Most runs over a route give no such option: their settings files are
  // read once, by the session.
  if (!options.OverridesSettings()) return "";
  std::error_code error;
  if (!fs::is_regular_file(PathOf(settingsPath), error)) return "";
  const IniFile settings(settingsPath);
  std::vector<std::string> names;
  if (ReadLodCount(settings) > 0) {
    if (options.lods) names.emplace_back("--lods");
    if (!options.distances.empty()) names.emplace_back("--distances");
  }
  if (options.pointsTolerance && settings.ValueExists(kDeltaSection, "Points"))
    names.emplace_back("--points-tolerance");
  if (options.normalsTolerance && settings.ValueExists(kDeltaSection, "Normals"))
    names.emplace_back("--normals-tolerance");
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  return list;
}

// What every shape's run shares; none of it changes while shapes run.
struct RunContext {
  const CliOptions& options;
  const TextSource& texts;
  const CliSystem& system;
  const PdfPrinterFactory& pdfPrinter;
};

// The whole work on one shape, said in `report`; returns its exit status.
int RunShape(const RunContext& context, ShapeReport& report) {
  const CliOptions& options = context.options;
  const TextSource& texts = context.texts;
  const std::string& shape = report.Path();
  const auto say =
      [&](Text text, std::initializer_list<std::pair<std::string_view, std::string>> values = {}) {
        return Worded(texts, text, values);
      };

  const std::string output = options.check ? std::string() : OutputFor(options, shape);
  const std::string settingsPath = options.settingsFile.value_or(SettingsPathFor(shape));
  // The run's turn at the files it saves, from before the shape is even
  // looked at to after the save: a second run on them waits and then reads
  // this one's result instead of overwriting it, and never opens the shape
  // while the first one replaces it (which Windows refuses to either side).
  std::vector<std::string> saved;
  if (!output.empty() && output != "-") {
    const std::string target = FollowLinks(output);
    saved = {target, BackupPathFor(target)};
    if (options.inPlace) saved.push_back(settingsPath);
  }
  const SaveLock lock(saved, std::chrono::seconds(options.lockWaitSeconds));
  if (!lock.Held()) {
    report.Error(say(Text::CliLockTimeout,
                     {{"path", output}, {"seconds", std::to_string(options.lockWaitSeconds)}}));
    return kCannotWrite;
  }

  bool markMissing = false;
  if (const std::optional<Message> refusal = WhyNotReadable(shape, markMissing)) {
    report.Error(refusal->In(texts));
    return kCannotRead;
  }
  if (markMissing && !options.force) {
    report.Error(say(Text::CliNoUnicodeMark, {{"path", shape}}));
    return kCannotRead;
  }
  if (options.check) return RunCheck(options.json, texts, report);
  // An output that is the shape itself (by any spelling or link) would
  // destroy what the run reads; the printout may neither replace the files
  // kept beside it.
  const std::optional<FileIdentity> input = IdentityOf(shape);
  const auto isOneOf = [](const std::string& path, std::initializer_list<std::string> files) {
    const std::optional<FileIdentity> target = IdentityOf(path);
    return target && std::any_of(files.begin(), files.end(), [&](const std::string& file) {
             return IdentityOf(file) == target;
           });
  };
  if (!options.inPlace && !output.empty() && output != "-" && input &&
      IdentityOf(output) == input) {
    report.Error(say(Text::CliOutputIsInput, {{"path", output}}));
    return kUsage;
  }
  if (options.printPdf && *options.printPdf != "-" &&
      isOneOf(*options.printPdf, {shape, settingsPath, BackupPathFor(FollowLinks(shape))})) {
    report.Error(say(Text::CliPdfOverInput, {{"path", *options.printPdf}}));
    return kUsage;
  }
  if (options.renderPng && isOneOf(PictureFor(options, shape),
                                   {shape, settingsPath, BackupPathFor(FollowLinks(shape))})) {
    report.Error(say(Text::CliPictureOverInput, {{"path", PictureFor(options, shape)}}));
    return kUsage;
  }
  if (options.settingsFile && !fs::exists(PathOf(*options.settingsFile))) {
    report.Error(say(Text::CliSettingsNotFound, {{"path", *options.settingsFile}}));
    return kCannotRead;
  }
  if (IsSpecialFile(settingsPath)) {
    report.Error(say(Text::SettingsNotRegular, {{"path", settingsPath}}));
    return kCannotRead;
  }

  // Refused before anything is read or saved, as a missing printout is.
  if (options.renderPng && !WhyNoPictures().empty()) {
    report.Error(say(Text::NoOpenGl, {{"reason", WhyNoPictures()}}));
    return kUsage;
  }
  std::unique_ptr<Printer> pdf;
  if (options.printPdf) {
    if (!context.pdfPrinter) {
      report.Error(say(Text::CliNoPdf));
      return kUsage;
    }
    pdf = context.pdfPrinter(*options.printPdf);
  }
  Printer& printer = pdf ? *pdf : NoDefaultPrinter();

  CliDialogs dialogs(report);
  Session session(SessionPorts{dialogs, texts, {}});
  // Messages name the lines of the file, which an editor shows.
  const NumberLinesAsInFile fileLines(session.text);
  const auto run = [&](const std::function<Outcome()>& operation) {
    return RunGuarded(dialogs, session.Texts(), operation);
  };
  const bool started =
      run([&] {
        // The command line's own program INI (named after its executable,
        // quarvel-cli.INI), read as the window reads quarvel.INI; the
        // command line never writes it.
        const IniFile programIni(ProgramIniPath(context.system));
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

  // The LOD set-up of the command line, before the settings are read (for a
  // settings file without one) and after (over the file's).
  const auto setLods = [&] {
    if (!options.lods) return;
    const int n = *options.lods;
    FillEmptyDistances(session.plan, n);
    for (int i = 1; i <= n && i <= static_cast<int>(options.distances.size()); ++i)
      session.plan.distances.Set(i, options.distances[static_cast<std::size_t>(i - 1)]);
    session.SetLodCount(n);
  };
  setLods();
  if (options.settingsFile) session.settingsOverride = *options.settingsFile;
  report.overrideNote = OverriddenOptions(options, settingsPath);

  // Everything the window would show while opening: the warnings of the
  // analysis, or the message that the file could not be read.
  std::vector<std::string> openMessages;
  dialogs.recorded = &openMessages;
  const bool opened = run([&] { return session.Open(FullShapePath(shape), OpenView{}); }).IsDone();
  dialogs.recorded = nullptr;
  if (!opened) {
    report.Error(say(Text::CliNotAnalysed, {{"path", shape}}));
    return kCannotRead;
  }
  // An empty file (opened with --force) has nothing to analyse; written back
  // it would become three bytes that no program reads as a shape.
  if (session.text.Empty()) {
    report.Error(say(Text::CliEmpty, {{"path", shape}}));
    return kCommandFailed;
  }
  if (!report.overrideNote.empty()) {
    setLods();
    session.Refresh();
  }

  if (options.pointsTolerance) session.plan.pointTolerance = *options.pointsTolerance;
  if (options.normalsTolerance) session.plan.normalTolerance = *options.normalsTolerance;
  if (options.autoSplit) {
    for (int lod = 1; lod <= session.plan.lodCount; ++lod) {
      if (run([&] { return session.AutoSplit(lod); }).Stopped()) {
        report.Error(say(Text::CliCannotSplit, {{"lod", IntToStr(lod)}}));
        return kCommandFailed;
      }
    }
  }

  // The printout when it is due after `commandsRun` commands.
  const auto printIfDue = [&](std::size_t commandsRun) {
    if (!options.printPdf || options.printAfterCommands != commandsRun) return int{kSuccess};
    const Outcome printed = run([&] { return session.Print(printer, context.system); });
    if (printed.kind() == Outcome::Kind::Unavailable) {
      report.Error(say(Text::CliPrintUnavailable, {{"reason", printed.message()}}));
      return int{kCommandFailed};
    }
    if (printed.Stopped()) {
      report.Error(say(Text::CliCannotWrite, {{"path", *options.printPdf}}));
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
      report.Error(TextFrom(texts, verb.unavailable));
      return kCommandFailed;
    }
    if (name == "generate" && session.otherElements && !options.forcePlan) {
      report.Error(say(Text::CliPlanForOtherElements,
                       {{"settings", session.otherElements->settings},
                        {"difference", session.otherElements->difference.In(texts)}}));
      return kCommandFailed;
    }
    if (const Outcome outcome = run([&] { return verb.run(session); }); outcome.Stopped()) {
      report.Error(say(Text::CliCommandFailed, {{"command", name}}));
      if (outcome.cause() == Outcome::Cause::VertexLimit)
        report.Error(say(Text::CliOverLimitHint, {{"limit", IntToStr(session.vertexLimit)}}));
      return kCommandFailed;
    }
  }
  if (const int status = printIfDue(commandsRun); status != kSuccess) return status;

  if (options.info) {
    std::ostringstream info;
    if (options.json) {
      PrintInfoJson(info, session, openMessages, shape);
    } else {
      PrintInfo(info, session, openMessages);
    }
    report.out += info.str();
  }

  if (options.renderPng) {
    const std::string picture = PictureFor(options, shape);
    try {
      WriteFileAtomically(picture, RenderShapePicture(session, options, report));
    } catch (const WriteError& error) {
      report.Error(
          say(Text::CliCannotWriteBecause, {{"path", picture}, {"reason", error.In(texts)}}));
      return kCannotWrite;
    } catch (const Error& error) {
      report.Error(error.In(texts));
      return kCommandFailed;
    }
  }

  if (options.format) session.file.form = *options.format;
  const auto refusedInBinary = [&](const ShapeProblem& problem) {
    report.Error(say(Text::CliNotInBinary,
                     {{"line", IntToStr(ShownLine(problem.line))}, {"reason", problem.message}}));
    return int{kCannotWrite};
  };
  if (output == "-") {
    const format::ShapeFileBytes file =
        format::EncodeShapeFile(session.text.All(), session.file.form, session.bom,
                                session.file.subHeaderTail, session.Texts());
    if (file.refusal) return refusedInBinary(*file.refusal);
    report.out.append(file.bytes.data(), file.bytes.size());
  } else if (options.inPlace) {
    // The two halves of "Speichern", so that the exit status says which
    // file failed.
    if (!run([&] { return session.WriteText({}); }).IsDone()) {
      report.Error(say(Text::CliCannotWrite, {{"path", shape}}));
      return kCannotWrite;
    }
    if (!run([&] {
          session.SaveSettings();
          return Outcome::Done();
        })) {
      report.Error(say(Text::CliSettingsNotWritten,
                       {{"settings", session.SettingsPath()}, {"path", shape}}));
      return kCannotWriteSettings;
    }
  } else if (!output.empty()) {
    const format::ShapeSaveResult saved =
        format::SaveShapeFile(output, session.text.All(), session.file.form, session.bom,
                              session.file.subHeaderTail, session.Texts(), {}, session.sourceFile);
    if (saved.refusal) return refusedInBinary(*saved.refusal);
    if (saved.failure) {
      report.Error(say(Text::CliCannotWriteBecause,
                       {{"path", output}, {"reason", saved.failure->In(texts)}}));
      return kCannotWrite;
    }
  }
  return kSuccess;
}

// Usage mistakes that only the shapes named show.
void CheckOutputFolder(const CliOptions& options) {
  if (!options.outDir) return;
  const std::optional<FileIdentity> folder = IdentityOf(*options.outDir);
  std::set<std::string> names;
  for (const std::string& shape : options.shapes) {
    const fs::path path = PathOf(shape);
    std::string parent = Utf8Of(path.parent_path());
    if (parent.empty()) parent = ".";
    if (folder && IdentityOf(parent) == folder)
      throw UsageError(Text::CliOutDirIsInputFolder,
                       {{"folder", *options.outDir}, {"path", shape}});
    if (!names.insert(Utf8Of(path.filename())).second)
      throw UsageError(Text::CliSameNameTwice, {{"name", Utf8Of(path.filename())}});
  }
}

// Shows the runs' reports in the order of the shapes while they are worked
// on `jobs` at a time; returns the worst exit status.
class Batch {
 public:
  Batch(const RunContext& context, std::ostream& out, std::ostream& err, bool progress)
      : context_(context), out_(out), err_(err), progress_(progress) {}

  int Run(int jobs) {
    const std::vector<std::string>& shapes = context_.options.shapes;
    reports_.reserve(shapes.size());
    for (const std::string& shape : shapes) reports_.emplace_back(shape, context_.options.quiet);
    done_.assign(shapes.size(), false);
    if (jobs <= 1) {
      for (std::size_t i = 0; i < shapes.size(); ++i) {
        Work(i);
        Show(i);
      }
    } else {
      std::vector<std::thread> workers;
      for (int j = 0; j < jobs; ++j)
        workers.emplace_back([this] {
          for (std::size_t i; (i = next_++) < reports_.size();) Work(i);
        });
      for (std::size_t i = 0; i < shapes.size(); ++i) {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [&] { return static_cast<bool>(done_[i]); });
        lock.unlock();
        Show(i);
      }
      for (std::thread& worker : workers) worker.join();
    }
    if (progress_) err_ << "\r\033[K" << std::flush;
    if (shapes.size() > 1 && !context_.options.quiet) {
      int clean = 0, warned = 0, failed = 0;
      for (const ShapeReport& report : reports_) {
        if (report.status != kSuccess || !report.errors.empty()) {
          ++failed;
        } else if (report.warnings > 0) {
          ++warned;
        } else {
          ++clean;
        }
      }
      err_ << Worded(context_.texts, Text::CliSummary,
                     {{"count", std::to_string(shapes.size())},
                      {"clean", std::to_string(clean)},
                      {"warned", std::to_string(warned)},
                      {"failed", std::to_string(failed)}})
           << '\n';
    }
    return worst_;
  }

 private:
  void Work(std::size_t i) {
    ShapeReport& report = reports_[i];
    try {
      report.status = RunShape(context_, report);
    } catch (const std::exception& error) {
      // One shape's failure is no reason to leave the others undone.
      report.Error(MessageOf(error, context_.texts));
      report.status = kCommandFailed;
    }
    if (context_.options.json && report.out.empty() && report.status != kSuccess)
      report.out =
          nlohmann::ordered_json{
              {"file", report.Path()}, {"status", report.status}, {"errors", report.errors}}
              .dump() +
          '\n';
    const std::lock_guard<std::mutex> lock(mutex_);
    done_[i] = true;
    finished_.notify_all();
  }

  void Show(std::size_t i) {
    ShapeReport& report = reports_[i];
    if (progress_) err_ << "\r\033[K";
    if (!report.overrideNote.empty() && !overrideNoted_ && !context_.options.quiet) {
      overrideNoted_ = true;
      err_ << report.Path() << ": note: "
           << Worded(context_.texts, Text::CliOverridesSettings, {{"options", report.overrideNote}})
           << '\n';
    }
    err_ << report.messages;
    out_ << report.out;
    out_.flush();
    if (!out_) {
      err_ << report.Path() << ": error: " << TextFrom(context_.texts, Text::CliCannotWriteStdout)
           << '\n';
      report.status = std::max(report.status, int{kCannotWrite});
    }
    worst_ = std::max(worst_, report.status);
    if (progress_ && i + 1 < reports_.size())
      err_ << '[' << i + 1 << '/' << reports_.size() << "] " << reports_[i + 1].Path()
           << std::flush;
    // Shown once: a route's hundreds of results need not stay in memory.
    report.out.clear();
    report.out.shrink_to_fit();
    report.messages.clear();
  }

  const RunContext& context_;
  std::ostream& out_;
  std::ostream& err_;
  bool progress_;
  std::vector<ShapeReport> reports_;
  std::vector<char> done_;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable finished_;
  int worst_ = kSuccess;
  bool overrideNoted_ = false;
};

}  // namespace

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           const std::string& executablePath, const PdfPrinterFactory& pdfPrinter,
           const Environment& environment, bool errIsTerminal) {
  const char* home = environment ? environment(kHomeVariable) : nullptr;
  CliSystem system(executablePath,
                   UserConfigFolder(environment ? environment(kConfigHomeVariable) : nullptr,
                                    home != nullptr ? home : ""));
  const TextSource texts =
      LanguageFileTexts(LanguageFilePath(system), LanguageCode(arguments, environment));
  CliOptions options;
  try {
    options = ParseCommandLine(arguments);
    if (!options.help && !options.version) CheckOutputFolder(options);
  } catch (const UsageError& error) {
    err << "quarvel-cli: " << error.In(texts) << "\n" << TextFrom(texts, Text::CliTryHelp) << "\n";
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
  if (!options.commands.empty() && !options.Writes() && !options.Shows() && !options.quiet)
    err << "quarvel-cli: warning: " << TextFrom(texts, Text::CliNothingWritten) << '\n';
  if (options.outDir) {
    std::error_code error;
    fs::create_directories(PathOf(*options.outDir), error);
  }

  const RunContext context{options, texts, system, pdfPrinter};
  // The printout needs the toolkit, which is made in the calling thread; it
  // goes with one shape only, which is worked on there.
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int jobs =
      std::min<int>(options.jobs.value_or(cores), static_cast<int>(options.shapes.size()));
  Batch batch(context, out, err, errIsTerminal && !options.quiet && options.shapes.size() > 1);
  return batch.Run(options.printPdf ? 1 : jobs);
}

}  // namespace quarvel::cli
