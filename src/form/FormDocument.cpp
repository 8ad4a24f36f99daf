#include <optional>

#include "common/Convert.h"
#include "common/Error.h"
#include "document/DocumentPaths.h"
#include "form/AnalysisWarnings.h"
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
  if (session.text.Modified()) {
    // Saving the text saves the plan with it.
    switch (session.Message(BoxKind::Confirmation, LangText(Text::TextChangedSave),
                            Buttons::YesNoCancel)) {
      case Answer::Yes:
        SpeichernButtonClick();
        // When the save did not happen (the name dialog was cancelled, the
        // file could not be written) going on would throw the changes away.
        return !session.text.Modified();
      case Answer::No:
        break;  // the text goes, but a plan typed for it is asked about
      default:
        return false;
    }
  }
  // A plan typed for the text, changed or not, would be lost just as silently.
  if (!session.PlanChanged()) return true;
  switch (
      session.Message(BoxKind::Confirmation, LangText(Text::PlanChanged), Buttons::YesNoCancel)) {
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
  request.filter = LangText(Text::ShapeFilter);
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
  const DisableGenerationAfterWarning disable(*this);

  const std::string linesWord = LangText(Text::Lines);
  OpenView view;
  view.reading.continueWithoutUnicodeMark = [&] {
    const Cursor during = dialogs().CurrentCursor();
    dialogs().SetCursor(Cursor::Normal);
    const bool goOn = session.Message(BoxKind::Confirmation, LangText(Text::NoUnicodeMark),
                                      Buttons::YesNo) == Answer::Yes;
    dialogs().SetCursor(during);
    return goOn;
  };
  view.reading.progress = [&](std::size_t lines) {
    Label2.caption = IntToStr(static_cast<long long>(lines)) + " " + linesWord;
    dialogs().ProcessMessages();
    dialogs().ProcessMessages();
  };
  view.read = [&] {
    AttachChangeNotification();
    Label1.caption = path;
    Caption = CaptionForFile(kProgramTitle, path);
    ShowLineCount();
    if (ProgramIni) {
      ProgramIni->WriteString("Dir", "InitialDir", FolderWithSeparator(path));
      ProgramIni->WriteString("Dir", "Filename", FileNameOf(path));
    }
    EnableOncePerTextCommands();
  };
  view.finished = [&] {
    SMemo.visible = true;
    AttachChangeNotification();
    busy.reset();
  };
  view.settings = ShownSettings();
  return session.Open(path, view);
}

void Form::AnalyseAndPlan() {
  const DisableGenerationAfterWarning disable(*this);
  session.AnalyseAndPlan(ShownSettings());
}

std::optional<Form::SaveChoice> Form::ChooseFileNameToSave() {
  SaveFileRequest request;
  request.initialDir = DirValue("InitialDir");
  // A copy beside the file only needs the name edited, not typed whole.
  if (!session.path.empty()) request.fileName = FileNameOf(session.path);
  request.filter = LangText(Text::SaveFormsFilter);
  request.filterIndex = static_cast<int>(session.file.form);
  const std::optional<SavedFileChoice> chosen = dialogs().SaveFile(request);
  if (!chosen) return std::nullopt;
  SaveChoice choice{FullShapePath(chosen->path), session.file.form};
  // A language file without the forms' filter leaves the form as it is.
  if (!request.filter.empty() && chosen->filterIndex >= 0 &&
      chosen->filterIndex <= static_cast<int>(format::ShapeForm::Compressed))
    choice.form = static_cast<format::ShapeForm>(chosen->filterIndex);
  return choice;
}

Outcome Form::SpeichernButtonClick() {
  if (!session.path.empty()) return session.Save(SavingView());
  return SpeichernUnterButtonClick();
}

Outcome Form::SpeichernUnterButtonClick() {
  const std::optional<SaveChoice> chosen = ChooseFileNameToSave();
  if (!chosen) return Outcome::Declined();
  return session.SaveAs(chosen->path, chosen->form, SavingView());
}

Outcome Form::UndoButtonClick() {
  const DisableGenerationAfterWarning disable(*this);
  SessionView view;
  view.reopened = [this] { EnableOncePerTextCommands(); };
  view.lineCountChanged = [this] { ShowLineCount(); };
  return session.Undo(view);
}

bool Form::FormCloseQuery() {
  return AskSaveChanges();
}

Outcome Form::WegButtonClick() {
  closeRequested = true;
  return Outcome::Done();
}

}  // namespace quarvel
