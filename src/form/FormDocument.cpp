#include <optional>

#include "common/Convert.h"
#include "common/Error.h"
#include "document/DocumentPaths.h"
#include "form/Form.h"
#include "shape/ShapeFile.h"
#include "simtools/SimulatorPath.h"

namespace quarvel {

namespace {

// Rounds of pending events before a long load, so that the hidden text view
// and the emptied tables are painted before the busy pointer appears.
constexpr int kRepaintRounds = 9;

std::string DirKey(const Form& form, const char* key) {
  return form.ProgramIni ? form.ProgramIni->ReadString("Dir", key, "") : "";
}

}  // namespace

bool Form::AskSaveChanges() {
  if (!shapeText.Modified()) return true;
  switch (Message(BoxKind::Confirmation, "Text wurde geändert. Speichern?", Buttons::YesNoCancel)) {
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

void Form::OeffnenButtonClick() {
  if (!AskSaveChanges()) return;
  OpenFileRequest request;
  request.initialDir = DirKey(*this, "InitialDir");
  if (request.initialDir.empty())
    request.initialDir = JoinSimulatorPath(registry().SimulatorPath(), "\\trains\\trainset");
  request.fileName = DirKey(*this, "Filename");
  request.filter = LangText(57);
  request.mustExist = true;
  const std::optional<std::string> chosen = dialogs().OpenFile(request);
  if (!chosen) return;
  OpenShape(*chosen);
}

void Form::OpenShape(const std::string& chosenPath) {
  const std::string path = FullShapePath(chosenPath);
  openSucceeded = false;
  ResetWindow();

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
    if (ReadShapeText(path, shapeText, FileBom, callbacks) == ReadOutcome::Declined) return;
    readingFinished = true;
    textSourceFile = opened;

    shapeText.SetModified(false);
    AttachChangeNotification();
    SpeichernBitBtn.captionRed = false;
    SpeichernUnterBitBtn.captionRed = false;
    CurrentFileName = path;
    Label1.caption = path;
    Caption = CaptionForFile(kProgramTitle, path);
    ShowLineCount();

    if (ProgramIni) {
      ProgramIni->WriteString("Dir", "InitialDir", FolderWithSeparator(path));
      ProgramIni->WriteString("Dir", "Filename", FileNameOf(path));
    }

    Sub_ObjectsButton.enabled = true;
    PunkteButton.enabled = true;
    NormalenButton.enabled = true;
    MatButton.enabled = true;
    AnalyseShape();
    DefaultAssignment();
    LoadSettings();
    RefreshAssignment();
    openSucceeded = true;
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
    Message(BoxKind::Warning, text, Buttons::Ok);
  }
}

bool Form::ChooseFileNameToSave() {
  SaveFileRequest request;
  request.initialDir = DirKey(*this, "InitialDir");
  const std::optional<std::string> chosen = dialogs().SaveFile(request);
  if (!chosen) return false;
  CurrentFileName = FullShapePath(*chosen);
  return true;
}

void Form::SpeichernButtonClick() {
  if (CurrentFileName.empty() && !ChooseFileNameToSave()) return;
  // The settings belong to the shape as saved: when it was not, they wait.
  if (!WriteShapeText()) return;
  SaveSettings();
}

void Form::SpeichernUnterButtonClick() {
  if (!ChooseFileNameToSave()) return;
  if (!WriteShapeText()) return;
  SaveSettings();
}

void Form::UndoButtonClick() {
  if (UndoLines.empty()) {
    Message(BoxKind::Warning, LangText(68), Buttons::Ok);
    return;
  }
  if (Message(BoxKind::Confirmation, LangText(69), Buttons::YesNo) != Answer::Yes) return;
  BusyCursor busy(dialogs());
  shapeText.Assign(UndoLines);
  shapeText.SetModified(false);
  SpeichernBitBtn.captionRed = false;
  SpeichernUnterBitBtn.captionRed = false;
  Sub_ObjectsButton.enabled = true;
  PunkteButton.enabled = true;
  NormalenButton.enabled = true;
  MatButton.enabled = true;
  AnalyseShape();
  ShowLineCount();
}

bool Form::FormCloseQuery() {
  return AskSaveChanges();
}

void Form::WegButtonClick() {
  closeRequested = true;
}

}  // namespace quarvel
