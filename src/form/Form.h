// The window without pixels: the state of every control, every handler by
// its name, and the ports to the platform. Each handler turns into calls of
// the session, which holds the shape and its plan, and updates of the
// controls. The Qt window is a thin client of it.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "form/FormControls.h"
#include "form/PlanViews.h"
#include "ports/Printer.h"
#include "session/Session.h"
#include "settings/IniFile.h"

namespace quarvel {

struct Command;

struct FormPorts {
  Dialogs& dialogs;
  SystemInfo& system;
  SimulatorRegistry& registry;
  Launcher& launcher;
  // Left out, the form runs as on a system without a default printer.
  Printer& printer = NoDefaultPrinter();
};

class Form : public FormControls {
 public:
  explicit Form(FormPorts ports);
  ~Form();

  // Runs one handler as the window does (see RunGuarded), then pending INI
  // changes reach the disk. A handler without an outcome counts as done.
  template <typename Handler>
  Outcome Run(Handler&& handler) {
    return RunHandler([&]() -> Outcome {
      if constexpr (std::is_void_v<std::invoke_result_t<Handler&>>) {
        handler();
        return Outcome::Done();
      } else {
        return handler();
      }
    });
  }
  // Runs a command of the table; never while its control is disabled.
  Outcome RunCommand(const Command& command);
  // The once-per-text commands, enabled for a text just opened or restored.
  void EnableOncePerTextCommands();
  // The save buttons are red exactly while the text has unsaved changes.
  bool CaptionRed(const Button& button) const;

  void FormCreate();
  void FormDestroy();
  void ResetWindow();
  struct WindowsVersionResult {
    int level = 0;
    std::string name;
  };
  WindowsVersionResult WindowsVersion() const;
  // Where the program INI lives: beside the executable when that folder is
  // writable, else in the user's configuration folder.
  std::string ProgramIniPath() const;

  std::string LangText(int number) const;
  std::string LangText(Text text) const { return LangText(static_cast<int>(text)); }
  // The locale of the selected language ("de"), for the toolkit's own texts.
  std::string LanguageLocale() const;
  void ApplyLanguage();
  void SpracheComboBoxSelect(int itemIndex);

  void SMemoChange();
  Outcome WriteShapeText();
  // "n <S22>": the line count shown in Label2 after a command.
  void ShowLineCount();

  bool AskSaveChanges();
  Outcome OeffnenButtonClick();
  // Opening without the dialog: Done when the file was read and analysed.
  Outcome OpenShape(const std::string& path);
  Outcome SpeichernButtonClick();
  Outcome SpeichernUnterButtonClick();
  Outcome UndoButtonClick();
  bool FormCloseQuery();
  Outcome WegButtonClick();  // "Weg hier!" (Button1)
  bool closeRequested = false;

  void AnalyseShape();
  void AnalyseAndPlan();
  void RefreshAssignment();
  void DefaultAssignment();
  bool StringGrid1SelectCell(int col, int row);
  void StringGrid1SetEditText(int col, int row, const std::string& text);
  void StringGrid1Exit();
  // Shared by the sub-object table and the matrix table.
  bool StringGrid2SelectCell(StringGrid& sender, int col, int row);
  void StringGrid2SetEditText(StringGrid& sender, int col, int row, const std::string& text);
  void LODSpinEditChange(int value);
  Outcome DoButtonClick();
  Outcome DoButton1Click();
  Outcome ZeilePlusButtonClick();
  Outcome ZeileMinusButtonClick();
  Outcome GrundButtonClick();
  // "Automatisch aufteilen": the LOD of LODSpinEdit within the vertex limit.
  Outcome AufteilenMenuItemClick();

  void VertLimitSpinEditChange(int value);
  void VertLimitSpinEditExit(const std::string& typed);  // a wrong entry is refused
  void ShowVertexLimit();                                // the spin box and the hint
  // How the window draws a cell: a vertex count above the limit, and a LOD
  // of the summary that holds such a sub-object, stand out.
  CellEmphasis Emphasis(const StringGrid& table, int col, int row) const;

  void LODAnzSpinEditChange(int value);
  void LODAnzSpinEditExit();
  bool StringGrid4SelectCell(int col, int row);
  void StringGrid4SetEditText(int col, int row, const std::string& text);
  void StringGrid4Exit();

  void ReadAnimations();
  Outcome AnimResetButtonClick();
  Outcome AnimButtonClick();

  Outcome Sub_ObjectsButtonClick();

  Outcome PunkteButtonClick();
  Outcome NormalenButtonClick();
  Outcome MatButtonClick();
  void DeltaPointsEditExit();
  void DeltaNormalsEditExit();

  void SaveSettings();
  void LoadSettings();
  Outcome E_SpeichernButtonClick();
  Outcome E_LadenButtonClick();

  Outcome CompressButtonClick();

  Outcome E_DruckenButtonClick();

  Outcome SButton1Click();  // "Anfang<<"
  Outcome SButton2Click();  // ">>Ende"
  Outcome SButton3Click();  // "Matrizen"
  Outcome SButton4Click();  // "LOD"
  Outcome SButton5Click();  // "Subobjekt"
  Outcome SButton6Click();  // "Suche..."
  // Enter (character 13) searches and is set to 0: the edit never sees it.
  void SucheEditKeyPress(char& key);
  // Ctrl+F: the focus goes into SucheEdit. F3: the last search once more.
  Outcome FindShortcut();
  Outcome FindNextShortcut();

  Dialogs& dialogs() { return ports_.dialogs; }
  SystemInfo& system() { return ports_.system; }
  SimulatorRegistry& registry() { return ports_.registry; }
  Launcher& launcher() { return ports_.launcher; }
  Printer& printer() { return ports_.printer; }

  // The shape, its plan and the operations on them; SMemo and the tables
  // below show them.
  Session session;

  // Benchmarks work without leaving traces in the program INI.
  bool persistProgramIni = true;
  std::unique_ptr<IniFile> ProgramIni;
  std::unique_ptr<IniFile> LanguageFile;
  // Where the language chosen is kept when that is not the language file.
  std::unique_ptr<IniFile> LanguageChoice;
  std::string LanguageSection = "Deutsch";

 private:
  // A value of the program INI's section "Dir" ("" when absent).
  std::string DirValue(const char* key) const;
  // The file the language chosen is read from and written to.
  IniFile& LanguageChoiceFile() { return LanguageChoice ? *LanguageChoice : *LanguageFile; }
  // The save dialog's name and form; none: cancelled.
  struct SaveChoice {
    std::string path;
    format::ShapeForm form;
  };
  std::optional<SaveChoice> ChooseFileNameToSave();
  SessionView SavingView();
  // The shape file the compression command converts.
  std::optional<std::string> ChooseShapeToConvert();
  // The built-in conversion of the file at `path` between the text and the
  // compressed form, in place.
  Outcome ConvertWithBuiltInConverter(const std::string& path);
  void AttachChangeNotification();
  void DetachChangeNotification();
  void FlushIniFiles();
  Outcome RunHandler(const std::function<Outcome()>& handler);
  void PlaceCaret(std::size_t offset);
  Outcome SearchForward(const std::string& key);
  // What the window shows while the session rewrites the text: SMemo hides,
  // `spent` (the command's button) is disabled.
  SessionView RewritingView(Button* spent);
  // How the window shows a settings file being read, the LOD count it
  // brings applied.
  SettingsView ShownSettings();
  FormPorts ports_;
  PlanViews views_{{session.tables, session.plan, session.summary}};
  std::optional<std::string> lastSearchKey_;
};

}  // namespace quarvel
