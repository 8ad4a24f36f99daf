#include <optional>

#include "common/Convert.h"
#include "common/Error.h"
#include "document/DocumentPaths.h"
#include "form/Form.h"
#include "form/TableColumns.h"
#include "shape/ShapeFile.h"
#include "simtools/SimulatorPath.h"

namespace quarvel {

namespace {

// Rounds of pending events before a long load, so that the hidden text view
// and the emptied tables are painted before the busy pointer appears.
constexpr int kRepaintRounds = 9;

}  // namespace

bool Form::AskSaveChanges() {
  if (shapeText.Modified()) {
    // Saving the text saves the plan with it.
    switch (
        Message(BoxKind::Confirmation, "Text wurde geändert. Speichern?", Buttons::YesNoCancel)) {
      case Answer::Yes:
        SpeichernButtonClick();
        // When the save did not happen (the name dialog was cancelled, the
        // file could not be written) going on would throw the changes away.
        return !shapeText.Modified();
      case Answer::No:
        return true;
      default:
        return false;
    }
  }
  // A plan typed for an unchanged text would be lost just as silently.
  if (!PlanChanged()) return true;
  switch (Message(BoxKind::Confirmation, LangText(kPlanChangedText), Buttons::YesNoCancel)) {
    case Answer::Yes:
      SaveSettings();  // a failure reaches the general error handler and nothing closes
      return true;
    case Answer::No:
      return true;
    default:
      return false;
  }
}

Outcome Form::OeffnenButtonClick() {
  if (!AskSaveChanges()) return Outcome::Declined();
  OpenFileRequest request;
  request.initialDir = DirValue("InitialDir");
  if (request.initialDir.empty())
    request.initialDir = JoinSimulatorPath(registry().SimulatorPath(), "\\trains\\trainset");
  request.fileName = DirValue("Filename");
  request.filter = LangText(57);
  request.mustExist = true;
  const std::optional<std::string> chosen = dialogs().OpenFile(request);
  if (!chosen) return Outcome::Declined();
  return OpenShape(*chosen);
}

Outcome Form::OpenShape(const std::string& chosenPath) {
  const std::string path = FullShapePath(chosenPath);
  ResetWindow();
  // The previous shape's plan and counts must not show under the boxes that
  // reading and analysing may raise.
  for (StringGrid* grid : {&StringGrid1, &StringGrid2})
    for (int col = 0; col < grid->ColCount(); ++col) grid->SetCell(col, 1, "");
  for (int row = 1; row < StringGrid5.RowCount(); ++row)
    StringGrid5.SetCell(kSummaryFacesColumn, row, "");

  // Appending hundreds of thousands of lines to a visible, notifying view
  // would repaint and re-colour the buttons for each of them.
  SMemo.visible = false;
  DetachChangeNotification();
  for (int round = 0; round < kRepaintRounds; ++round) dialogs().ProcessMessages();
  std::optional<BusyCursor> busy(std::in_place, dialogs());

  // A file that was not read (declined or unreadable) leaves the mark of the
  // last one that was, so that a text typed afterwards is saved as Unicode.
  const std::string previousBom = FileBom;
  textSourceFile.reset();
  const std::optional<FileIdentity> opened = IdentityOf(path);
  bool readingFinished = false;
  bool analysed = false;
  auto readAndAnalyse = [&] {
    const std::string linesWord = LangText(22);
    ReadShapeCallbacks callbacks;
    callbacks.continueWithoutUnicodeMark = [&] {
      const Cursor during = dialogs().CurrentCursor();
      dialogs().SetCursor(Cursor::Normal);
      const bool goOn = Message(BoxKind::Confirmation, LangText(61), Buttons::YesNo) == Answer::Yes;
      dialogs().SetCursor(during);
      return goOn;
    };
    callbacks.progress = [&](std::size_t lines) {
      Label2.caption = IntToStr(static_cast<long long>(lines)) + " " + linesWord;
      dialogs().ProcessMessages();
      dialogs().ProcessMessages();
    };
    if (format::ReadShapeFileInAnyForm(path, shapeText, FileBom, shapeFile, callbacks) ==
        ReadOutcome::Declined)
      return;
    readingFinished = true;
    textSourceFile = opened;

    shapeText.SetModified(false);
    AttachChangeNotification();
    CurrentFileName = path;
    Label1.caption = path;
    Caption = CaptionForFile(kProgramTitle, path);
    ShowLineCount();

    if (ProgramIni) {
      ProgramIni->WriteString("Dir", "InitialDir", FolderWithSeparator(path));
      ProgramIni->WriteString("Dir", "Filename", FileNameOf(path));
    }

    // What the file carried that a reader passes over, before the boxes of
    // the analysis.
    for (const std::string& warning : shapeFile.warnings)
      Message(BoxKind::Warning, warning, Buttons::Ok);
    shapeFile.warnings.clear();

    EnableOncePerTextCommands();
    AnalyseAndPlan();
    analysed = true;
  };
  auto finish = [&] {
    if (!readingFinished) FileBom = previousBom;
    SMemo.visible = true;
    AttachChangeNotification();
    busy.reset();
    UndoLines = shapeText.All();
  };

  std::optional<std::string> failure;
  try {
    readAndAnalyse();
  } catch (const Error& error) {
    failure = error.what();
  } catch (...) {
    finish();
    throw;
  }
  finish();
  if (failure) {
    // The numbered text says that opening failed; the second line says why
    // and where, which the user needs to repair the file.
    std::string text = LangText(60);
    if (!failure->empty()) text += "\n" + *failure;
    return Refuse(BoxKind::Warning, text);
  }
  return analysed ? Outcome::Done() : Outcome::Declined();
}

void Form::AnalyseAndPlan() {
  // A failure on the way leaves a plan nobody typed: it is no change to ask about.
  struct TakeAsSaved {
    Form& form;
    ~TakeAsSaved() { form.TakePlanAsSaved(); }
  } takeAsSaved{*this};
  AnalyseShape();
  DefaultAssignment();
  LoadSettings();
  RefreshAssignment();
}

bool Form::ChooseFileNameToSave() {
  SaveFileRequest request;
  request.initialDir = DirValue("InitialDir");
  // A copy beside the file only needs the name edited, not typed whole.
  if (!CurrentFileName.empty()) request.fileName = FileNameOf(CurrentFileName);
  request.filter = LangText(kSaveFormsFilterText);
  request.filterIndex = static_cast<int>(shapeFile.form);
  const std::optional<SavedFileChoice> chosen = dialogs().SaveFile(request);
  if (!chosen) return false;
  CurrentFileName = FullShapePath(chosen->path);
  // A language file without the forms' filter leaves the form as it is.
  if (!request.filter.empty() && chosen->filterIndex >= 0 &&
      chosen->filterIndex <= static_cast<int>(format::ShapeForm::Compressed))
    shapeFile.form = static_cast<format::ShapeForm>(chosen->filterIndex);
  return true;
}

Outcome Form::SpeichernButtonClick() {
  if (CurrentFileName.empty() && !ChooseFileNameToSave()) return Outcome::Declined();
  // The settings belong to the shape as saved: when it was not, they wait.
  if (const Outcome written = WriteShapeText(); !written.IsDone()) return written;
  SaveSettings();
  return Outcome::Done();
}

Outcome Form::SpeichernUnterButtonClick() {
  if (!ChooseFileNameToSave()) return Outcome::Declined();
  if (const Outcome written = WriteShapeText(); !written.IsDone()) return written;
  SaveSettings();
  return Outcome::Done();
}

Outcome Form::UndoButtonClick() {
  if (UndoLines.empty()) return Refuse(BoxKind::Warning, LangText(68));
  if (!Confirmed(LangText(69))) return Outcome::Declined();
  BusyCursor busy(dialogs());
  shapeText.Assign(UndoLines);
  shapeText.SetModified(false);
  EnableOncePerTextCommands();
  AnalyseShape();
  ShowLineCount();
  return Outcome::Done();
}

bool Form::FormCloseQuery() {
  return AskSaveChanges();
}

Outcome Form::WegButtonClick() {
  closeRequested = true;
  return Outcome::Done();
}

}  // namespace quarvel
