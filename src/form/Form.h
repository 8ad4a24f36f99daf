// The main window without pixels: the shape text, the five tables, the
// analysis results, the window state, the state of every control, and every
// event handler by its name. The Qt window and the command-line program are
// thin clients of this class; the tests drive it with scripted dialogs.
#pragma once
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "assignment/StringGrid.h"
#include "cleanup/MergeTable.h"
#include "form/Controls.h"
#include "form/Ports.h"
#include "settings/IniFile.h"
#include "shape/ShapeIndex.h"
#include "shape/ShapeText.h"

namespace quarvel {

struct FormPorts {
  Dialogs& dialogs;
  SystemInfo& system;
  SimulatorRegistry& registry;
};

inline constexpr const char* kProgramTitle = "Quarvel";

class Form {
 public:
  explicit Form(FormPorts ports);
  ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Runs one handler the way the window does: a quarvel::Error (or any other
  // exception) ends it with the general error message box, the cursor is put
  // back and pending INI changes reach the disk. Returns false after an error.
  bool Run(const std::function<void()>& handler);

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

  // ---- Language ------------------------------------------------------------
  std::string LangText(int number) const;
  void ApplyLanguage();
  void SpracheComboBoxSelect(int itemIndex);

  // ---- Shape text ----------------------------------------------------------
  void SMemoChange();
  void WriteShapeText();
  // "n <S22>": the line count shown in Label2 after a command.
  void ShowLineCount();

  // ---- Open, save, undo, close ---------------------------------------------
  bool AskSaveChanges();
  void OeffnenButtonClick();
  // Opening without the dialog (the command-line program, tests).
  void OpenShape(const std::string& path);
  void SpeichernButtonClick();
  void SpeichernUnterButtonClick();
  void UndoButtonClick();
  bool FormCloseQuery();
  void WegButtonClick();  // "Weg hier!" (Button1)
  bool closeRequested = false;

  // ---- Analysis and assignment ---------------------------------------------
  void AnalyseShape();
  int ElementCount() const { return StringGrid1.RowCount() - 1; }
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
  void DoButtonClick();
  void DoButton1Click();
  void ZeilePlusButtonClick();
  void ZeileMinusButtonClick();
  void GrundButtonClick();

  // ---- LOD distance levels -------------------------------------------------
  void LODAnzSpinEditChange(int value);
  void LODAnzSpinEditExit();
  bool StringGrid4SelectCell(int col, int row);
  void StringGrid4SetEditText(int col, int row, const std::string& text);
  void StringGrid4Exit();

  // ---- Animations ----------------------------------------------------------
  void ReadAnimations();
  void AnimResetButtonClick();
  void AnimButtonClick();

  // ---- Generation ----------------------------------------------------------
  void Sub_ObjectsButtonClick();

  // ---- Geometry clean-up ---------------------------------------------------
  void PunkteButtonClick();
  void NormalenButtonClick();
  void MatButtonClick();
  void DeltaPointsEditExit();
  void DeltaNormalsEditExit();

  // ---- Settings file -------------------------------------------------------
  std::string SettingsFilePath() const;
  void SaveSettings();
  void LoadSettings();
  void E_SpeichernButtonClick();
  void E_LadenButtonClick();

  // ---- Commands that later versions bring ----------------------------------
  void CompressButtonClick() {}
  void E_DruckenButtonClick() {}
  void SButton1Click() {}
  void SButton2Click() {}
  void SButton3Click() {}
  void SButton4Click() {}
  void SButton5Click() {}
  void SButton6Click() {}

  // ---- Ports ---------------------------------------------------------------
  Dialogs& dialogs() { return ports_.dialogs; }
  SystemInfo& system() { return ports_.system; }
  SimulatorRegistry& registry() { return ports_.registry; }
  Answer Message(BoxKind kind, const std::string& text, Buttons buttons) {
    return ports_.dialogs.Message(kind, text, buttons);
  }

  // ==== State ===============================================================
  ShapeText shapeText;  // the lines of SMemo

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

  ShapeIndex shapeIndex;

  // Window state.
  std::string CurrentFileName;
  int LodCount = 1;
  // The command-line program works without leaving traces in the program INI.
  bool persistProgramIni = true;
  // When set, the settings are loaded from this file instead of the one beside
  // the shape (the command-line program's --settings).
  std::string settingsFileOverride;
  // Whether the last open command read and analysed its file to the end.
  bool openSucceeded = false;
  long double PointTolerance = 0;
  long double NormalTolerance = 0;
  // Filled afresh by every run of point or normal merging.
  MergeTable mergeTable;
  std::unique_ptr<IniFile> ProgramIni;
  std::unique_ptr<IniFile> LanguageFile;
  std::string LanguageSection = "Deutsch";
  std::vector<std::string> UndoLines;
  std::string FileBom;
  Cursor SavedCursor = Cursor::Normal;

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
  SpinEdit LODSpinEdit;

  // Tab "Datei".
  TextView SMemo;
  Button SButton1, SButton2, SButton3, SButton4, SButton5, SButton6;
  Edit SucheEdit;

  // Tab "Einstellungen/Settings".
  Label Label27, Label14, Label15, Label19, Label20, Label23;
  SpinEdit LODAnzSpinEdit;
  Label Label26, Label25, Label10, Label28, Label29, Label30;
  Edit DeltaPointsEdit, DeltaNormalsEdit;
  Label Label31, Label32, Label33;
  ComboBox SpracheComboBox;

 private:
  // The save dialog; the chosen name becomes CurrentFileName. False: cancelled.
  bool ChooseFileNameToSave();
  void AttachChangeNotification();
  void DetachChangeNotification();
  void ShowWritingProgress(std::size_t index);
  void FlushIniFiles();
  // "Punkte zusammenfassen" and "Normalen zusammenfassen".
  void MergeSectionCommand(MergeKind kind);

  FormPorts ports_;
};

}  // namespace quarvel
