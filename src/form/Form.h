// The window without pixels: the shape text, the tables, the state of every
// control, every handler by its name, the table of commands and the ports to
// the platform. The Qt window and quarvel-cli are thin clients of it.
#pragma once
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "assignment/VertexLimit.h"
#include "cleanup/MergeTable.h"
#include "common/FileReplace.h"
#include "form/Controls.h"
#include "form/PlanViews.h"
#include "form/StringGrid.h"
#include "format/ShapeFileForms.h"
#include "ports/Outcome.h"
#include "ports/Ports.h"
#include "ports/Printer.h"
#include "session/Session.h"
#include "settings/IniFile.h"
#include "shape/ShapeIndex.h"
#include "shape/ShapeText.h"

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

inline constexpr const char* kProgramTitle = "Quarvel";
// Language text of the question whether a changed plan is to be saved.
inline constexpr int kPlanChangedText = 70;
// Language texts of the three forms a shape is saved in: the save dialog's
// filter (one entry per form, in the order of format::ShapeForm), the
// refusal of a text the binary form cannot hold, and the built-in
// converter's question and results.
inline constexpr int kSaveFormsFilterText = 73;
inline constexpr int kNotEncodableText = 74;
inline constexpr int kBuiltInConverterText = 75;
inline constexpr int kConvertedToTextText = 76;
inline constexpr int kConvertedToCompressedText = 77;
inline constexpr int kLineWordText = 78;  // "Zeile", before a line's number

class Form {
 public:
  explicit Form(FormPorts ports);
  ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Runs one handler the way the window does: a quarvel::Error (or any other
  // exception) ends it with the general error message box (the outcome is
  // then Failed), the cursor is put back and pending INI changes reach the
  // disk. A handler without an outcome of its own counts as done.
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
  // Runs a command of the command table: refused without running while its
  // control is disabled, as the window never lets a disabled button be
  // pressed.
  Outcome RunCommand(const Command& command);
  // The once-per-text commands, enabled for a text just opened or restored.
  void EnableOncePerTextCommands();
  // The save buttons are red exactly while the text has unsaved changes.
  bool CaptionRed(const Button& button) const;

  // ---- Start-up and shutdown ----------------------------------------------
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
  std::string LanguageFilePath() const;
  // A value of the program INI's section "Dir" ("" when absent).
  std::string DirValue(const char* key) const {
    return ProgramIni ? ProgramIni->ReadString("Dir", key, "") : "";
  }

  // ---- Language ------------------------------------------------------------
  std::string LangText(int number) const;
  // The locale of the selected language ("de"), for the toolkit's own texts.
  std::string LanguageLocale() const;
  void ApplyLanguage();
  void SpracheComboBoxSelect(int itemIndex);

  // ---- Shape text ----------------------------------------------------------
  void SMemoChange();
  // The save command ends when nothing was written (no name, refused or
  // failed; the message has been shown).
  Outcome WriteShapeText();
  // "n <S22>": the line count shown in Label2 after a command.
  void ShowLineCount();

  // ---- Open, save, undo, close ---------------------------------------------
  bool AskSaveChanges();
  Outcome OeffnenButtonClick();
  // Opening without the dialog (the command-line program, tests). Done when
  // the file was read and analysed to its end.
  Outcome OpenShape(const std::string& path);
  Outcome SpeichernButtonClick();
  Outcome SpeichernUnterButtonClick();
  Outcome UndoButtonClick();
  bool FormCloseQuery();
  Outcome WegButtonClick();  // "Weg hier!" (Button1)
  bool closeRequested = false;

  // ---- Analysis and assignment ---------------------------------------------
  void AnalyseShape();
  // What opening does once the text is read: the analysis, the default plan,
  // the shape's settings file, the counts.
  void AnalyseAndPlan();
  int ElementCount() const { return session.Elements(); }
  bool InSubobject(int row, int lod, int subobject) const;
  int SubobjectVertexCount(int lod, int subobject);
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
  // "Automatisch aufteilen" in the element table's menu: splits the LOD
  // chosen in LODSpinEdit so that every sub-object stays within VertexLimit.
  Outcome AufteilenMenuItemClick();
  // The same for any LOD (the command line splits every LOD).
  Outcome AutoSplitLod(int lod);

  // ---- Vertex limit --------------------------------------------------------
  void VertLimitSpinEditChange(int value);
  // How the window draws a cell: a vertex count above the limit, and a LOD
  // of the summary that holds such a sub-object, stand out.
  CellEmphasis Emphasis(const StringGrid& table, int col, int row) const;

  // ---- LOD distance levels -------------------------------------------------
  void LODAnzSpinEditChange(int value);
  void LODAnzSpinEditExit();
  bool StringGrid4SelectCell(int col, int row);
  void StringGrid4SetEditText(int col, int row, const std::string& text);
  void StringGrid4Exit();

  // ---- Animations ----------------------------------------------------------
  void ReadAnimations();
  Outcome AnimResetButtonClick();
  Outcome AnimButtonClick();

  // ---- Generation ----------------------------------------------------------
  Outcome Sub_ObjectsButtonClick();

  // ---- Geometry clean-up ---------------------------------------------------
  Outcome PunkteButtonClick();
  Outcome NormalenButtonClick();
  Outcome MatButtonClick();
  void DeltaPointsEditExit();
  void DeltaNormalsEditExit();

  // ---- Settings file -------------------------------------------------------
  std::string SettingsFilePath() const;
  void SaveSettings();
  void LoadSettings();
  Outcome E_SpeichernButtonClick();
  Outcome E_LadenButtonClick();
  // Whether the plan (assignment, marks, LOD set-up, tolerances) of the open
  // shape differs from the one last loaded or saved with it.
  bool PlanChanged() const;

  // ---- Simulator tools -----------------------------------------------------
  Outcome CompressButtonClick();

  // ---- Settings printout ---------------------------------------------------
  Outcome E_DruckenButtonClick();

  // ---- Text navigation and search ------------------------------------------
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

  // ---- Commands that later versions bring ----------------------------------

  // ---- Ports ---------------------------------------------------------------
  Dialogs& dialogs() { return ports_.dialogs; }
  SystemInfo& system() { return ports_.system; }
  SimulatorRegistry& registry() { return ports_.registry; }
  Launcher& launcher() { return ports_.launcher; }
  Printer& printer() { return ports_.printer; }
  Answer Message(BoxKind kind, const std::string& text, Buttons buttons) {
    return ports_.dialogs.Message(kind, text, buttons);
  }
  // Shows `text` in a box of `kind` with OK: the command refuses.
  Outcome Refuse(BoxKind kind, const std::string& text) {
    Message(kind, text, Buttons::Ok);
    return Outcome::Refused(text);
  }
  // Asks `text` (Yes/No): Yes goes on.
  bool Confirmed(const std::string& text) {
    return Message(BoxKind::Confirmation, text, Buttons::YesNo) == Answer::Yes;
  }

  // ==== State ===============================================================
  // The shape, its plan and the operations on them; SMemo and the tables
  // below show them.
  Session session;

  // The five tables (see the aliases below).
  StringGrid StringGrid1{4, 2};  // ElementTable
  StringGrid StringGrid2{3, 2};  // SubobjectTable
  StringGrid StringGrid3{3, 2};  // MatrixTable
  StringGrid StringGrid4{2, 2};  // DistanceTable
  StringGrid StringGrid5{3, 2};  // LodSummaryTable
  StringGrid& ElementTable() { return StringGrid1; }
  StringGrid& SubobjectTable() { return StringGrid2; }
  StringGrid& MatrixTable() { return StringGrid3; }
  StringGrid& DistanceTable() { return StringGrid4; }
  StringGrid& LodSummaryTable() { return StringGrid5; }

  // Window state.
  // The command-line program works without leaving traces in the program INI.
  bool persistProgramIni = true;
  std::unique_ptr<IniFile> ProgramIni;
  std::unique_ptr<IniFile> LanguageFile;
  std::string LanguageSection = "Deutsch";

  // The window.
  std::string Caption;
  TabSheet TabSheet1, TabSheet2, TabSheet3;
  int activePage = 0;  // TabSheet1 is shown at start
  FocusRequest focusRequest = FocusRequest::None;

  // Command panel.
  Label Label3, Label11, Label12;
  Button CompressButton, OeffnenButton;
  Label SOAnzLabel, SOAnzLabel1;
  Button Sub_ObjectsButton, AnimButton, PunkteButton, NormalenButton, MatButton, UndoButton,
      SpeichernBitBtn, SpeichernUnterBitBtn;
  // Status panel.
  Label Label1, Label2;
  Button Button1;

  // Tab "Zerlegung".
  Label Label4, Label21, Label22, Label16, Label7, Label17, Label18, Label5, Label8, Label9,
      Label24, Label6, Label13;
  Edit NrEdit;
  Button DoButton, DoButton1, ZeilePlusButton, ZeileMinusButton, GrundButton, E_SpeichernButton,
      E_LadenButton, E_DruckenButton, AnimResetButton;
  // An entry of the element table's context menu.
  Button AufteilenMenuItem;
  SpinEdit LODSpinEdit;

  // Tab "Datei".
  TextView SMemo;
  Button SButton1, SButton2, SButton3, SButton4, SButton5, SButton6;
  Edit SucheEdit;

  // Tab "Einstellungen/Settings".
  Label Label27, Label14, Label15, Label19, Label20, Label23;
  SpinEdit LODAnzSpinEdit;
  // The vertex limit beside the LOD set-up.
  Label Label34;
  SpinEdit VertLimitSpinEdit;
  Label Label26, Label25, Label10, Label28, Label29, Label30;
  Edit DeltaPointsEdit, DeltaNormalsEdit;
  Label Label31, Label32, Label33;
  ComboBox SpracheComboBox;

 private:
  // The save dialog; the chosen name becomes the session's path and the chosen
  // form the one the text is saved in. False: cancelled.
  bool ChooseFileNameToSave();
  // The shape file the compression command converts.
  std::optional<std::string> ChooseShapeToConvert();
  // The built-in conversion of the file at `path` between the text and the
  // compressed form, in place.
  Outcome ConvertWithBuiltInConverter(const std::string& path);
  void AttachChangeNotification();
  void DetachChangeNotification();
  void ShowWritingProgress(std::size_t index);
  void FlushIniFiles();
  Outcome RunHandler(const std::function<Outcome()>& handler);
  void PlaceCaret(std::size_t offset);
  Outcome SearchForward(const std::string& key);
  // "Punkte zusammenfassen" and "Normalen zusammenfassen".
  Outcome MergeSectionCommand(MergeKind kind, Button& button);
  // What the window shows while the session rewrites the text: SMemo hides,
  // `spent` (the command's button) is disabled.
  SessionView RewritingView(Button* spent);
  // The LOD count a settings file brought, shown and applied.
  void ShowLoadedLodCount(int lods);
  // How the window shows a settings file being read.
  SettingsView ShownSettings();
  // The generation goes at the analysis's first warning, even when the
  // analysis then fails.
  struct DisableGenerationAfterWarning {
    explicit DisableGenerationAfterWarning(Form& form)
        : form(form), warnings(form.session.analysisWarnings) {}
    ~DisableGenerationAfterWarning() {
      if (form.session.analysisWarnings != warnings) form.Sub_ObjectsButton.enabled = false;
    }
    Form& form;
    int warnings;
  };
  FormPorts ports_;
  PlanData planData_{session.tables, session.plan, session.summary};
  ElementTableView elementView_{planData_};
  SubobjectTableView subobjectView_{planData_};
  MatrixTableView matrixView_{planData_};
  DistanceTableView distanceView_{planData_};
  LodSummaryView lodSummaryView_{planData_};
  std::optional<std::string> lastSearchKey_;
};

}  // namespace quarvel
