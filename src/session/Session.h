// One open shape and its plan, and every operation on them, without a
// window: the window model and the command line both drive it. Its questions
// and messages go through the Dialogs port; what a window would redraw while
// an operation runs goes through SessionView.
#pragma once
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "assignment/VertexLimit.h"
#include "cleanup/MergeTable.h"
#include "common/FileReplace.h"
#include "format/ShapeFileForms.h"
#include "plan/Plan.h"
#include "ports/Outcome.h"
#include "ports/Ports.h"
#include "ports/Printer.h"
#include "ports/Texts.h"
#include "shape/ShapeIndex.h"
#include "shape/ShapeText.h"

namespace quarvel {

struct GenerationProgress;

// What a window shows while an operation runs. Every member may be left out.
struct SessionView {
  // The text is back as it was opened: every operation is allowed again.
  std::function<void()> reopened;
  // The text is about to be rewritten (true) or is shown again (false).
  std::function<void(bool rewriting)> rewriting;
  // The counts behind the status line changed: lines of the text.
  std::function<void()> lineCountChanged;
  // Line `index` of the text is being written to disk.
  std::function<void(std::size_t index)> writing;
  std::function<void(const std::string&)> generationCaption;  // LOD and sub-object
  std::function<void(const std::string&)> generationContent;  // what is written
};

// What a window does while a settings file is read.
struct SettingsView {
  // The file sets the LOD count, before its entries are read: a window shows
  // the count and applies it (SetLodCount; without a view the session does).
  std::function<void(int lods)> lodCountShown;
  std::function<void()> loaded;  // the plan is the file's
};

// What a window does while a shape opens. Every member may be left out.
struct OpenView {
  // The question about the Unicode mark (asked as it stands when left out),
  // the progress.
  ReadShapeCallbacks reading;
  std::function<void()> read;  // the text was read, before the analysis
  // Read or not, before any message about a failure.
  std::function<void()> finished;
  SettingsView settings;
};

// The operations that a text allows once, or not at all.
enum class Operation { Generate, MergePoints, MergeNormals, FixMaterials };

// What the generation does with a sub-object above the vertex limit: ask (the
// window), refuse (the command line unless told otherwise) or go on after a
// warning.
enum class OversizeHandling { Ask, Refuse, Proceed };

struct SessionPorts {
  Dialogs& dialogs;
  TextSource text;
  // The LOD whose vertices the summary's sub-objects show (LOD 1 without).
  std::function<int()> shownLod;
};

class Session {
 public:
  // One LOD as far as any LOD may reach, until a program setup or a settings
  // file says otherwise.
  explicit Session(SessionPorts ports);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // ---- The document --------------------------------------------------------
  ShapeText text;
  std::string path;  // "" while the text belongs to no file
  // The form the shape came in, which a save keeps, and its Unicode mark.
  format::ShapeFileInfo file;
  std::string bom;
  // The file the text was last read from or saved to. A save keeps it as the
  // backup at most; it never replaces it.
  std::optional<FileIdentity> sourceFile;
  // The text as opened, for "Alles rückgängig".
  std::vector<std::string> undoLines;

  // ---- What the analysis found, the plan, what it comes to -----------------
  ShapeIndex index;
  ShapeTables tables;
  Plan plan;
  PlanSummary summary;
  int vertexLimit = kDefaultVertexLimit;
  OversizeHandling oversize = OversizeHandling::Ask;
  // How many warnings the analyses have shown.
  int analysisWarnings = 0;
  // Filled afresh by every run of point or normal merging.
  MergeTable mergeTable;
  // When set, the settings are loaded from this file instead of the one
  // beside the shape.
  std::string settingsOverride;
  // The settings last loaded hold a plan made for other elements: the file
  // and how they differ.
  struct OtherElements {
    std::string settings;
    quarvel::Message difference;
  };
  std::optional<OtherElements> otherElements;

  int Elements() const { return tables.elements.Count(); }
  // The vertices of sub-object `subobject` of LOD `lod`; leaves the shift of
  // every vertex set in index.VertexShift (see SubobjectVertexCount).
  int SubobjectVertices(int lod, int subobject);
  // The most vertices of a sub-object in LOD `lod` (1..lodCount), as the
  // last evaluation counted them.
  int LargestSubobject(int lod) const;
  void ForgetCounts() { largestSubobject_.clear(); }

  // ---- Operations ----------------------------------------------------------
  // Reads the shape at `shapePath` (a full path) in any form and analyses it
  // with its plan. Done when it was read and analysed to its end; Declined
  // when the user declined a text without the Unicode mark; Refused, with
  // the reason shown, when it could not be read or analysed.
  Outcome Open(const std::string& shapePath, const OpenView& view);
  // The analysis, the default plan, the settings file, the counts: what
  // opening does once the text is read. Throws quarvel::Error.
  void AnalyseAndPlan(const SettingsView& view = {});
  // The analysis alone; its warnings are shown and make the shape one that
  // cannot be split.
  void Analyse();
  // Every element in sub-object 1, no marks but those of the animations.
  void DefaultPlan();
  // Re-evaluates the plan into the summary.
  void Refresh();
  void ReadAnimationMarks();

  bool Available(Operation operation) const { return !spent_[static_cast<std::size_t>(operation)]; }
  // A text just opened or taken back allows every operation once more.
  void AllowEveryOperation() { spent_.fill(false); }
  void Spend(Operation operation) { spent_[static_cast<std::size_t>(operation)] = true; }

  Outcome Generate(const SessionView& view);
  Outcome DeleteAnimations(const SessionView& view);
  Outcome Merge(MergeKind kind, const SessionView& view);
  Outcome FixMaterials();
  // What the simulator would find wrong with the text as it stands (the
  // check of `quarvel-cli --check`, which reads a file without opening it).
  std::vector<ShapeProblem> Check() const;
  // Splits LOD `lod` within the vertex limit.
  Outcome AutoSplit(int lod);
  // "Einstellung drucken": the tables and tolerances as they stand, after
  // two questions, as one document on `printer`.
  Outcome Print(Printer& printer, const SystemInfo& system);
  // Writes the text to `path` in its form; the settings are not touched.
  Outcome WriteText(const SessionView& view);
  // "Speichern": the text, then the plan beside it. The settings belong to
  // the shape as saved: when it was not, they wait.
  Outcome Save(const SessionView& view);
  // "Speichern unter...": the shape is `newPath` in `form` from now on,
  // whether the save then succeeds or not.
  Outcome SaveAs(const std::string& newPath, format::ShapeForm form, const SessionView& view);
  Outcome Undo(const SessionView& view);

  // ---- The settings file ---------------------------------------------------
  std::string SettingsPath() const;
  void SaveSettings();
  // From the settings override, else the file beside the shape; nothing
  // when there is none.
  void LoadSettings(const SettingsView& view = {});
  // The LOD count takes effect: empty entries of the new LODs become "1".
  void SetLodCount(int lods);
  // Whether the plan differs from the one last loaded or saved with it.
  bool PlanChanged() const;
  void TakePlanAsSaved() { savedPlan_ = PlanText(); }

  // ---- Ports ---------------------------------------------------------------
  Dialogs& dialogs() { return ports_.dialogs; }
  int ShownLod() const { return ports_.shownLod ? ports_.shownLod() : 1; }
  std::string TextOf(Text number) const { return TextFrom(ports_.text, number); }
  const TextSource& Texts() const { return ports_.text; }
  Answer Message(BoxKind kind, const std::string& message, Buttons buttons) {
    return ports_.dialogs.Message(kind, message, buttons);
  }
  // Shows `message` in a box of `kind` with OK: the operation refuses.
  Outcome Refuse(BoxKind kind, const std::string& message,
                 Outcome::Cause cause = Outcome::Cause::Other) {
    Message(kind, message, Buttons::Ok);
    return Outcome::Refused(message, cause);
  }
  // The refusal of a text that the binary forms cannot hold.
  Outcome RefuseUnencodable(const ShapeProblem& problem);
  // Asks `question` (Yes/No): Yes goes on.
  bool Confirmed(const std::string& question) {
    return Message(BoxKind::Confirmation, question, Buttons::YesNo) == Answer::Yes;
  }

 private:
  std::string PlanText() const;
  void CountLargestSubobjects();
  Outcome ConfirmOversizedSubobjects(const OversizedSubobjects& oversized);
  std::string OversizeText(const OversizedSubobjects& oversized) const;

  SessionPorts ports_;
  std::array<bool, 4> spent_{};
  std::string savedPlan_;
  std::vector<int> largestSubobject_;
};

// Runs `operation` as every command runs: a quarvel::Error (or any other
// exception) ends it with the general error message box, after `failing`
// has put the view right, and the outcome is then Failed.
Outcome RunGuarded(Dialogs& dialogs, const TextSource& texts,
                   const std::function<Outcome()>& operation,
                   const std::function<void()>& failing = {});

// The message of any exception, a quarvel::Error's in the language of `texts`.
std::string MessageOf(const std::exception& error, const TextSource& texts);

// Puts `lines` back as the text, as it was before an operation took them;
// a text that was saved then does not ask to be saved again.
void TakeTextBack(ShapeText& text, std::vector<std::string> lines, bool wasModified);

}  // namespace quarvel
