#include "session/Session.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "assignment/AutoSplit.h"
#include "assignment/ElementAssignment.h"
#include "assignment/LodLevels.h"
#include "cleanup/Cleanup.h"
#include "common/Convert.h"
#include "common/Error.h"
#include "document/DocumentPaths.h"
#include "format/ShapeCheck.h"
#include "generation/AnimationCleanup.h"
#include "generation/Generation.h"
#include "settings/SettingsFile.h"
#include "shape/AnalyseShape.h"
#include "shape/LineNumbers.h"
#include "ui/SettingsPrintout.h"

namespace quarvel {

namespace {

void Notify(const std::function<void()>& callback) {
  if (callback) callback();
}

void Rewriting(const SessionView& view, bool rewriting) {
  if (view.rewriting) view.rewriting(rewriting);
}

// While a merge reads and writes shape numbers, the separator is "."; on
// every way out it comes back and the view learns the line count of the
// text the command leaves.
class DotWhileMerging {
 public:
  explicit DotWhileMerging(const SessionView& view) : view_(view), saved_(DecimalSeparator()) {
    SetDecimalSeparator('.');
  }
  ~DotWhileMerging() {
    SetDecimalSeparator(saved_);
    Notify(view_.lineCountChanged);
  }
  DotWhileMerging(const DotWhileMerging&) = delete;
  DotWhileMerging& operator=(const DotWhileMerging&) = delete;

 private:
  const SessionView& view_;
  char saved_;
};

}  // namespace

std::string MessageOf(const std::exception& error, const TextSource& texts) {
  const auto* own = dynamic_cast<const Error*>(&error);
  return own ? own->In(texts) : error.what();
}

Outcome RunGuarded(Dialogs& dialogs, const TextSource& texts,
                   const std::function<Outcome()>& operation,
                   const std::function<void()>& failing) {
  try {
    return operation();
  } catch (const std::exception& error) {
    Notify(failing);
    const std::string message = MessageOf(error, texts);
    dialogs.Message(BoxKind::Error, message, Buttons::Ok);
    return Outcome::Failed(message);
  }
}

void TakeTextBack(ShapeText& text, std::vector<std::string> lines, bool wasModified) {
  text.Assign(std::move(lines));
  if (!wasModified) text.SetModified(false);
}

Session::Session(SessionPorts ports) : ports_(std::move(ports)) {
  plan.distances.Set(1, kNewLodDistance);
}

int Session::SubobjectVertices(int lod, int subobject) {
  return SubobjectVertexCount(plan, PlannedElements(tables), index, lod, subobject);
}

int Session::LargestSubobject(int lod) const {
  return lod >= 0 && static_cast<std::size_t>(lod) < largestSubobject_.size()
             ? largestSubobject_[static_cast<std::size_t>(lod)]
             : 0;
}

// ---- Reading and analysis -------------------------------------------------------

Outcome Session::Open(const std::string& shapePath, const OpenView& view) {
  // A file that was not read (declined or unreadable) leaves the mark of the
  // last one that was, so that a text typed afterwards is saved as Unicode.
  const std::string previousBom = bom;
  sourceFile.reset();
  const std::optional<FileIdentity> opened = IdentityOf(shapePath);
  bool readingFinished = false;
  bool analysed = false;
  ReadShapeCallbacks reading = view.reading;
  if (!reading.continueWithoutUnicodeMark)
    reading.continueWithoutUnicodeMark = [this] { return Confirmed(TextOf(Text::NoUnicodeMark)); };
  const auto readAndAnalyse = [&] {
    if (format::ReadShapeFileInAnyForm(shapePath, text, bom, file, reading) ==
        ReadOutcome::Declined)
      return;
    readingFinished = true;
    sourceFile = opened;
    text.SetModified(false);
    path = shapePath;
    Notify(view.read);
    // What the file carried that a reader passes over, before the boxes of
    // the analysis.
    for (const auto& warning : file.warnings)
      Message(BoxKind::Warning, warning.In(ports_.text), Buttons::Ok);
    file.warnings.clear();
    AllowEveryOperation();
    AnalyseAndPlan(view.settings);
    analysed = true;
  };
  const auto finish = [&] {
    if (!readingFinished) bom = previousBom;
    Notify(view.finished);
    undoLines = text.All();
  };

  std::optional<std::string> failure;
  try {
    readAndAnalyse();
  } catch (const Error& error) {
    failure = error.In(ports_.text);
  } catch (...) {
    finish();
    throw;
  }
  finish();
  if (failure) {
    // The numbered text says that opening failed; the second line says why
    // and where, which the user needs to repair the file.
    std::string message = TextOf(Text::NotRead);
    if (!failure->empty()) message += "\n" + *failure;
    return Refuse(BoxKind::Warning, message);
  }
  return analysed ? Outcome::Done() : Outcome::Declined();
}

void Session::AnalyseAndPlan(const SettingsView& view) {
  // A failure on the way leaves a plan nobody typed: it is no change to ask about.
  struct TakeAsSaved {
    Session& session;
    ~TakeAsSaved() { session.TakePlanAsSaved(); }
  } takeAsSaved{*this};
  Analyse();
  // Both evaluate the plan they leave: no third evaluation is needed.
  DefaultPlan();
  LoadSettings(view);
}

void Session::Analyse() {
  AnalyseShape(text, index, tables, [this](AnalysisWarningKind kind, const std::string& count) {
    ++analysisWarnings;
    Spend(Operation::Generate);
    const Text warning = kind == AnalysisWarningKind::DistanceLevels ? Text::ManyDistanceLevels
                                                                     : Text::ManySubobjects;
    Message(BoxKind::Warning, WithValue(TextOf(warning), "count", count), Buttons::Ok);
  });
}

void Session::DefaultPlan() {
  ResetAssignment(plan, summary, Elements(), plan.lodCount);
  Refresh();
  ReadAnimationMarks();
}

void Session::Refresh() {
  RefreshAssignment(tables, plan, summary, index, ShownLod());
  CountLargestSubobjects();
}

void Session::CountLargestSubobjects() {
  const int subobjects = summary.subobjects.Count();
  largestSubobject_.assign(static_cast<std::size_t>(plan.lodCount) + 1, 0);
  for (int lod = 1; lod <= plan.lodCount; ++lod) {
    const std::vector<int> counts =
        SubobjectVertexCounts(plan, PlannedElements(tables), index, lod, subobjects);
    if (!counts.empty())
      largestSubobject_[static_cast<std::size_t>(lod)] =
          *std::max_element(counts.begin(), counts.end());
  }
}

void Session::ReadAnimationMarks() {
  quarvel::ReadAnimationMarks(text, tables, plan);
}

// ---- Operations on the text -----------------------------------------------------

// The sub-object with the most vertices above the limit, and how bad it is.
std::string Session::OversizeText(const OversizedSubobjects& oversized) const {
  const bool beyond = oversized.vertices > kIndexableVertices;
  std::string text =
      WithValues(TextOf(beyond ? Text::SubobjectBeyondIndices : Text::SubobjectOverLimit),
                 {{"subobject", IntToStr(oversized.subobject)},
                  {"lod", IntToStr(oversized.lod)},
                  {"vertices", IntToStr(oversized.vertices)},
                  {"limit", IntToStr(vertexLimit)},
                  {"most", IntToStr(kIndexableVertices)}});
  if (oversized.count > 1)
    text +=
        " " + WithValues(TextOf(Text::SubobjectsOverLimitInAll),
                         {{"count", IntToStr(oversized.count)}, {"limit", IntToStr(vertexLimit)}});
  return text;
}

Outcome Session::ConfirmOversizedSubobjects(const OversizedSubobjects& oversized) {
  const std::string message = OversizeText(oversized);
  switch (oversize) {
    case OversizeHandling::Ask: {
      const BoxKind kind =
          oversized.vertices > kIndexableVertices ? BoxKind::Warning : BoxKind::Confirmation;
      if (Message(kind, message + TextOf(Text::GenerateAnyway), Buttons::YesNo) != Answer::Yes)
        return Outcome::Declined();
      return Outcome::Done();
    }
    case OversizeHandling::Refuse:
      return Refuse(BoxKind::Warning, message + TextOf(Text::ActionCancelled),
                    Outcome::Cause::VertexLimit);
    case OversizeHandling::Proceed:
      Message(BoxKind::Warning, message + TextOf(Text::GeneratedAnyway), Buttons::Ok);
      return Outcome::Done();
  }
  return Outcome::Done();
}

Outcome Session::Generate(const SessionView& view) {
  if (text.Empty()) return Outcome::Done();
  BusyCursor busy(dialogs());
  // A sub-object above the limit is asked about after every other check; a
  // No then leaves the text as it was, without the split that the
  // preparation may make of a one-line "sort_vectors" list.
  const std::optional<OversizedSubobjects> oversized = FindOversizedSubobjects(
      plan, PlannedElements(tables), index, plan.lodCount, summary.subobjects.Count(), vertexLimit);
  std::optional<ShapeText::Lines> unprepared;
  if (oversized) unprepared = text.All();
  const bool modifiedBefore = text.Modified();

  const Checked<GenerationLayout> layout = PrepareGeneration(text, plan, Elements(), Texts());
  if (!layout) return Refuse(BoxKind::Warning, layout.refusal());
  const GenerationInput input{tables, plan, index, Elements(), plan.lodCount, Texts()};
  const Checked<GenerationPlan> counts = CountAndCheck(input, summary.subobjects.Count());
  Refusal refusal = counts.AsRefusal();
  if (!refusal) refusal = CheckDistances(input);
  // A damaged shape is named as damaged, by the check --check runs, before
  // the layout is looked at.
  if (!refusal) refusal = CheckSourceIntegrity(text.All(), ports_.text);
  if (!refusal) refusal = CheckSourceLayout(text.All(), *layout, input, *counts);
  if (refusal) return Refuse(BoxKind::Warning, *refusal);
  if (oversized) {
    if (const Outcome asked = ConfirmOversizedSubobjects(*oversized); !asked.IsDone()) {
      if (text.Count() != unprepared->size())
        TakeTextBack(text, std::move(*unprepared), modifiedBefore);
      return asked;
    }
  }

  Spend(Operation::Generate);
  Rewriting(view, true);
  const bool wasModified = text.Modified();
  std::vector<std::string> sourceLines = text.Take();
  const GenerationProgress progress{view.generationCaption, view.generationContent,
                                    [this] { dialogs().ProcessMessages(); }};
  std::optional<Checked<std::vector<std::string>>> rewritten;
  try {
    rewritten.emplace(RewriteShape(sourceLines, *layout, input, *counts, progress));
  } catch (...) {
    // Whatever else stops the rewrite (memory running out, say) reaches the
    // general error handler, but with the text as it was.
    TakeTextBack(text, std::move(sourceLines), wasModified);
    Rewriting(view, false);
    Notify(view.lineCountChanged);
    throw;
  }
  if (*rewritten) {
    text.Assign(std::move(**rewritten));
  } else {
    TakeTextBack(text, std::move(sourceLines), wasModified);
  }
  Rewriting(view, false);
  Notify(view.lineCountChanged);
  if (!*rewritten) return Refuse(BoxKind::Error, rewritten->refusal());
  return Outcome::Done();
}

Outcome Session::DeleteAnimations(const SessionView& view) {
  if (text.Empty()) return Outcome::Done();
  const Checked<AnimationCleanup> result = [&] {
    BusyCursor busy(dialogs());
    return DeleteUnmarkedAnimations(text, tables, plan, Texts());
  }();
  if (!result) return Refuse(BoxKind::Error, result.refusal());
  if (!result->sectionFound) return Outcome::Done();
  Notify(view.lineCountChanged);
  return Outcome::Done();
}

Outcome Session::Merge(MergeKind kind, const SessionView& view) {
  if (text.Empty()) return Outcome::Done();
  BusyCursor busy(dialogs());
  const std::optional<std::size_t> header = FindMergeHeader(text, kind);
  if (!header) return Outcome::Done();
  const MergeSection section = ReadMergeSection(text, kind, *header);

  const bool points = kind == MergeKind::Points;
  const long double tolerance = points ? plan.pointTolerance : plan.normalTolerance;
  const DotWhileMerging dot(view);
  ReadMergeEntries(text, section, mergeTable);
  const auto count = static_cast<std::size_t>(section.count > 0 ? section.count : 0);
  const int kept = PlanMerge(mergeTable, count, tolerance, kind);
  const long long merged = static_cast<long long>(section.count) - kept;
  // Nothing to merge is news, not a failure.
  if (merged == 0) {
    Message(BoxKind::Information, TextOf(points ? Text::NoPointsToMerge : Text::NoNormalsToMerge),
            Buttons::Ok);
    return Outcome::Done();
  }
  // Merging into points that merged themselves makes chains: the question
  // says how far they reach.
  const std::string moves =
      WithValue(TextOf(points ? Text::PointsMoveBy : Text::NormalsMoveBy), "distance",
                FloatToStr(RoundToSignificantDigits(FarthestMove(mergeTable, count), 3)));
  const std::string question =
      IntToStr(merged) + " " + TextOf(points ? Text::PointsMergeable : Text::NormalsMergeable) +
      " " + FloatToStr(tolerance) + ". " + moves + " " + TextOf(Text::MergeNow);
  if (!Confirmed(question)) return Outcome::Declined();

  Spend(points ? Operation::MergePoints : Operation::MergeNormals);
  Rewriting(view, true);
  const bool wasModified = text.Modified();
  std::vector<std::string> sourceLines = text.Take();
  try {
    RebuildMergedSection(sourceLines, section, kept, mergeTable);
  } catch (...) {
    // The rebuild leaves the lines as they were: the text comes back whole.
    TakeTextBack(text, std::move(sourceLines), wasModified);
    Rewriting(view, false);
    throw;
  }
  text.Assign(std::move(sourceLines));
  Rewriting(view, false);
  return Outcome::Done();
}

Outcome Session::FixMaterials() {
  if (text.Empty()) return Outcome::Done();
  BusyCursor busy(dialogs());
  // Even a run stopped by bad flags has lowered some of them already; a
  // second run would lower those twice.
  struct SpendAtEnd {
    Session& session;
    ~SpendAtEnd() { session.Spend(Operation::FixMaterials); }
  } spend{*this};
  CorrectMaterials(text, tables, Elements(), index);
  return Outcome::Done();
}

std::vector<ShapeProblem> Session::Check() const {
  return CheckShape(text.All(), ports_.text);
}

Outcome Session::AutoSplit(int lod) {
  if (lod < 1 || lod > plan.lodCount)
    return Outcome::Unavailable("there is no LOD " + IntToStr(lod));
  AutoSplitPlan split;
  if (const Refusal refusal = PlanAutoSplit(tables, plan, index, lod, vertexLimit, Texts(), split))
    return Refuse(BoxKind::Warning, *refusal);
  if (split.overwritesEntries && !Confirmed(TextOf(Text::OverwriteEntries)))
    return Outcome::Declined();
  ApplyAutoSplit(plan, split);
  Refresh();
  if (!split.oversized.empty())
    Message(BoxKind::Information, OversizedElementsReport(tables, split, vertexLimit, Texts()),
            Buttons::Ok);
  return Outcome::Done();
}

Outcome Session::Print(Printer& printer, const SystemInfo& system) {
  // Without an analysed shape there is nothing to print, and nothing is said.
  if (text.Empty() || tables.elements[1].name.empty())
    return Outcome::Unavailable("the shape has no elements to print");
  if (!Confirmed(TextOf(Text::AskPrint))) return Outcome::Declined();
  printer.SelectDefaultPrinter();
  if (Confirmed(TextOf(Text::AskLandscape))) printer.SetLandscape();
  const PrintListing listing = SettingsListing({tables, plan, summary});
  // One time for every page of the document.
  const std::string titleStart = FileNameOf(path) + " " + system.DateTimeText();
  PrintListingPages(printer, titleStart, listing);
  return Outcome::Done();
}

Outcome Session::WriteText(const SessionView& view) {
  if (path.empty()) return Refuse(BoxKind::Warning, TextOf(Text::NoFileName));
  std::optional<quarvel::Message> failure;
  {
    BusyCursor busy(dialogs());
    const format::ShapeSaveResult saved = format::SaveShapeFile(
        path, text.All(), file.form, bom, file.subHeaderTail, ports_.text,
        [&](std::size_t line) {
          if (view.writing) view.writing(line);
          dialogs().ProcessMessages();
          dialogs().ProcessMessages();
        },
        sourceFile);
    // The binary forms hold only what the grammar allows: a text it refuses
    // is not written at all.
    if (saved.refusal) {
      Notify(view.lineCountChanged);
      return RefuseUnencodable(*saved.refusal);
    }
    failure = saved.failure;
    if (!failure) {
      text.SetModified(false);
      sourceFile = IdentityOf(path);
    }
  }
  if (view.writing) view.writing(text.Count());
  // The numbered text says that nothing changed on disk; the second line
  // names the file and why, so that the user can pick another name.
  if (failure)
    return Refuse(BoxKind::Warning, TextOf(Text::NotWritten) + "\n" + failure->In(ports_.text));
  return Outcome::Done();
}

Outcome Session::Save(const SessionView& view) {
  if (const Outcome written = WriteText(view); !written.IsDone()) return written;
  SaveSettings();
  return Outcome::Done();
}

Outcome Session::SaveAs(const std::string& newPath, format::ShapeForm form,
                        const SessionView& view) {
  path = newPath;
  file.form = form;
  return Save(view);
}

Outcome Session::RefuseUnencodable(const ShapeProblem& problem) {
  return Refuse(BoxKind::Warning, TextOf(Text::NotEncodable) + "\n" + TextOf(Text::LineWord) + " " +
                                      ShownLineText(problem.line) + ": " + problem.message);
}

Outcome Session::Undo(const SessionView& view) {
  if (undoLines.empty()) return Refuse(BoxKind::Warning, TextOf(Text::NothingToUndo));
  if (!Confirmed(TextOf(Text::AskUndo))) return Outcome::Declined();
  BusyCursor busy(dialogs());
  text.Assign(undoLines);
  text.SetModified(false);
  AllowEveryOperation();
  Notify(view.reopened);
  Analyse();
  Notify(view.lineCountChanged);
  return Outcome::Done();
}

// ---- The settings file ----------------------------------------------------------

std::string Session::SettingsPath() const {
  return SettingsPathFor(path);
}

std::string Session::PlanText() const {
  IniFile settings("");  // in memory only
  WritePlan(settings, tables, plan, summary);
  return settings.Text();
}

bool Session::PlanChanged() const {
  return !path.empty() && PlanText() != savedPlan_;
}

void Session::SaveSettings() {
  if (path.empty()) return;
  // A shape named like its own settings file ("x.Quarvel") would be
  // replaced by them right after it was saved.
  const std::optional<FileIdentity> shape = IdentityOf(path);
  if (shape && shape == IdentityOf(SettingsPath())) throw WriteError(SettingsPath());
  IniFile settings(SettingsPath());
  WritePlan(settings, tables, plan, summary);
  // One write at the end: a failure leaves the previous file as it was.
  settings.Flush();
  TakePlanAsSaved();
}

void Session::SetLodCount(int lods) {
  plan.lodCount = lods;
  ApplyLodCount(plan, summary, Elements(), lods);
  CountLargestSubobjects();
}

void Session::LoadSettings(const SettingsView& view) {
  otherElements.reset();
  if (path.empty()) return;
  const std::string from = settingsOverride.empty() ? SettingsPath() : settingsOverride;
  std::error_code error;
  if (!std::filesystem::is_regular_file(from, error)) return;
  const IniFile settings(from);
  if (!settings.ExistedOnDisk()) return;
  // Applied all the same, as before: the user decides after the warning.
  if (std::optional<quarvel::Message> difference = PlanForOtherElements(settings, tables)) {
    otherElements = OtherElements{from, std::move(*difference)};
    Message(BoxKind::Warning,
            Worded(ports_.text, Text::PlanForOtherElements,
                   {{"settings", from}, {"difference", otherElements->difference.In(ports_.text)}}),
            Buttons::Ok);
  }

  plan.pointTolerance = ReadTolerance(settings, "Points");
  plan.normalTolerance = ReadTolerance(settings, "Normals");
  if (const int lods = ReadLodCount(settings); lods > 0) {
    plan.lodCount = lods;
    ReadDistances(settings, lods, plan, summary);
    if (view.lodCountShown) {
      view.lodCountShown(lods);
    } else {
      SetLodCount(lods);
    }
  }
  ReadElementAssignment(settings, plan.lodCount, Elements(), plan, summary);
  Refresh();
  ReadSortMarks(settings, plan.lodCount, summary.subobjects.Count(), plan);
  quarvel::ReadAnimationMarks(settings, tables.matrices.Count(), plan);
  TakePlanAsSaved();
  Notify(view.loaded);
}

}  // namespace quarvel
