// The state of every control of the window, by the names the window gives
// them: what the Qt window shows and the tests look at as the user would.
#pragma once
#include <string>

#include "form/Controls.h"
#include "form/StringGrid.h"

namespace quarvel {

inline constexpr const char* kProgramTitle = "Quarvel";

struct FormControls {
  // The window.
  std::string Caption;
  TabSheet TabSheet1, TabSheet2, TabSheet3, TabSheet4;
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

  // The five tables.
  StringGrid StringGrid1{4, 2};  // ElementTable
  StringGrid StringGrid2{3, 2};  // SubobjectTable
  StringGrid StringGrid3{3, 2};  // MatrixTable
  StringGrid StringGrid4{2, 2};  // DistanceTable
  StringGrid StringGrid5{3, 2};  // LodSummaryTable
};

}  // namespace quarvel
