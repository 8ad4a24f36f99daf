#include "form/Form.h"

#include "common/Convert.h"
#include "common/Error.h"
#include "common/Text.h"
#include "form/Commands.h"
#include "form/TableColumns.h"
#include "settings/ProgramFiles.h"
#include "shape/LineNumbers.h"
#include "shape/ShapeFile.h"

namespace quarvel {

Form::Form(FormPorts ports)
    : session(SessionPorts{ports.dialogs,
                           [this](Text text) { return LangText(static_cast<int>(text)); },
                           [this] { return LODSpinEdit.value; }}),
      ports_(ports) {
  StringGrid1.Show(views_.elements);
  StringGrid2.Show(views_.subobjects);
  StringGrid3.Show(views_.matrices);
  StringGrid4.Show(views_.distances);
  StringGrid5.Show(views_.lodSummary);
  // The captions the controls carry in the window's definition; the
  // translated ones are replaced by ApplyLanguage at start-up.
  Caption = kProgramTitle;
  TabSheet1.caption = "Zerlegung";
  TabSheet2.caption = "Datei";
  TabSheet3.caption = "Einstellungen/Settings";
  TabSheet4.caption = "Ansicht";

  Label3.caption = "Beta-Version! Benutzung auf eigene Gefahr!";
  Label11.caption = "This program is a beta. Use at your own risk!";
  Label12.caption =
      "Sorry, the instructions are in German only. Please do not use the program if you don't "
      "understand the instructions.";
  for (const Command& command : CommandTable())
    command.control(*this).caption = command.builtInCaption;

  Label4.caption = "Elemente";
  Label21.caption = "Alle Elemente L 1 =";
  NrEdit.text = "1";
  DoButton1.enabled = false;
  Label16.caption = "LOD:";
  Label7.caption =
      "Hier für jedes Element eintragen, in welches Subobjekt es verschoben werden soll (Spalte "
      "\"L xx\"). Gleichzeitig bei den Subobjekten die Vertices beobachten.";
  Label17.caption =
      "L 1 bezieht sich auf das 1. LOD, L 2 auf das 2. LOD usw. Tragen Sie pro LOD eine Zahl ab 1 "
      "(oder 0 oder 999) ein und lassen Sie keine Lücken. ";
  Label18.caption =
      "Eine 0 bedeutet, dass das Element in jedem Subobjekt dieses LOD's vorkommt, eine 999, dass "
      "es in diesem LOD überhaupt nicht vorkommt.";
  Label5.caption = "Subobjekte";
  Label8.caption =
      "Bei denjenigen Subobjekten, die sortiert werden sollen, ein \"x\" eintragen (Spalte \"L "
      "xx\").";
  Label9.caption =
      WithValue("Darauf achten, dass kein Subobjekt mehr als ca. {limit} Vertices enthält.",
                "limit", IntToStr(kDefaultVertexLimit));
  Label24.caption = "LOD's";
  Label6.caption = "Matrizen";
  Label13.caption =
      "Falls eine Animation gelöscht werden soll, in der Spalte \"Anim.\" das \"x\" löschen und "
      "Schalter \"Überz. Animationen löschen\" betätigen. Zusätzliche \"x\" erzeugen keine neuen "
      "Animationen.";

  Label27.caption = "LOD's";
  Label14.caption = "Anzahl der LOD's:";
  Label15.caption = "Entfernungsstufen:";
  Label19.caption =
      "Tragen Sie Werte ungleich Null bis höchstens 2000 ein, von oben nach unten aufsteigend "
      "sortiert.";
  Label20.caption = "Der Wert bezieht sich auf die höchste Entfernung, für die das LOD gilt.";
  Label23.caption = "Zwei oder mehr LOD's mit gleicher Stufe sind sinnlos.";
  Label34.caption = "Vertices je Subobjekt höchstens:";
  Label26.caption = "Zusammenfassen";
  Label25.caption = "Punkte (Meter):";
  Label10.caption = "Normalen:";
  Label28.caption =
      "Punkte oder Normalen werden zusammengefasst, wenn sie sich in allen Koordinaten höchstens "
      "um die eingestellte Differenz oder weniger unterscheiden.";
  Label29.caption =
      "Standard ist Null. Dann werden nur identische Punkte oder Normalen zusammengefasst. Bei "
      "allen anderen Werten kann es zu optischen Veränderungen des Modells kommen.";
  Label30.caption =
      "Möglicher Ausgangswert für beide Einstellungen: 0,001 (also 1 Millimeter bei Punkten, 1 "
      "Tausendstel bei Normalen).";
  Label31.caption = "Sprache:";
  Label32.caption = "Language (under construction):";
  Label33.caption = "Temporarily, only the buttons and labels have translated captions.";

  LODSpinEdit = SpinEdit{1, 1, 99, true};
  LODAnzSpinEdit = SpinEdit{1, 1, 99, true};
  VertLimitSpinEdit = SpinEdit{kDefaultVertexLimit, kLowestVertexLimit, kIndexableVertices, true};

  StringGrid1.defaultColWidth = 28;
  StringGrid2.defaultColWidth = 28;
  StringGrid3.SetColWidth(0, 139);
  StringGrid3.SetColWidth(1, 53);
  StringGrid3.SetColWidth(2, 32);
  StringGrid4.defaultColWidth = 64;
  StringGrid5.defaultColWidth = 45;
}

Form::~Form() = default;

Outcome Form::RunHandler(const std::function<Outcome()>& handler) {
  const Cursor cursorBefore = dialogs().CurrentCursor();
  Outcome outcome = RunGuarded(dialogs(), session.Texts(), handler, [&] {
    dialogs().SetCursor(cursorBefore);
    SMemo.visible = true;
  });
  try {
    FlushIniFiles();
  } catch (const std::exception& error) {
    const std::string message = MessageOf(error, session.Texts());
    outcome = Outcome::Failed(message);
    session.Message(BoxKind::Error, message, Buttons::Ok);
  }
  return outcome;
}

Outcome Form::RunCommand(const Command& command) {
  if (!command.control(*this).enabled) return Outcome::Unavailable(command.name + " is disabled");
  return Run([&] { return command.handler(*this); });
}

void Form::EnableOncePerTextCommands() {
  session.AllowEveryOperation();
  for (const Command& command : CommandTable())
    if (command.oncePerText) command.control(*this).enabled = true;
}

bool Form::CaptionRed(const Button& button) const {
  return (&button == &SpeichernBitBtn || &button == &SpeichernUnterBitBtn) &&
         session.text.Modified();
}

void Form::FlushIniFiles() {
  if (ProgramIni && persistProgramIni) ProgramIni->Flush();
}

// ---- Start-up and shutdown --------------------------------------------------

std::string Form::ProgramIniPath() const {
  return quarvel::ProgramIniPath(ports_.system);
}

std::string Form::DirValue(const char* key) const {
  return ProgramIni ? ProgramIni->ReadString("Dir", key, "") : "";
}

void Form::FormCreate() {
  ResetWindow();
  Caption = kProgramTitle;
  ProgramIni = std::make_unique<IniFile>(ProgramIniPath());
  LanguageFile = std::make_unique<IniFile>(quarvel::LanguageFilePath(ports_.system));
  const std::string choicePath = LanguageChoicePath(ports_.system);
  LanguageChoice =
      choicePath == LanguageFile->Path() ? nullptr : std::make_unique<IniFile>(choicePath);

  SpracheComboBox.items.clear();
  for (int i = 1;; ++i) {
    const std::string name = LanguageFile->ReadString("Languages", "S" + IntToStr(i), "");
    if (name.empty()) break;
    SpracheComboBox.items.push_back(name);
  }
  LanguageSection = ChosenLanguage(*LanguageFile, LanguageChoiceFile());
  SpracheComboBox.itemIndex = -1;
  for (std::size_t i = 0; i < SpracheComboBox.items.size(); ++i) {
    if (SameTextIgnoringCase(SpracheComboBox.items[i], LanguageSection)) {
      SpracheComboBox.itemIndex = static_cast<int>(i);
      break;
    }
  }

  if (system().ScreenWidth() < 1024 || system().ScreenHeight() < 768)
    session.Message(BoxKind::Information, LangText(Text::SmallScreen), Buttons::Ok);
  const WindowsVersionResult version = WindowsVersion();
  if (version.level < 2)
    session.Message(
        BoxKind::Information,
        LangText(Text::SystemFound) + " " + version.name +
            LangText(version.level == 0 ? Text::SystemUnreliable : Text::SystemUntested),
        Buttons::Ok);

  StringGrid1.SetRowCount(2);
  StringGrid1.SetCell(kNameColumn, 0, "Name");
  StringGrid1.SetCell(kImageColumn, 0, "Image");
  StringGrid1.SetCell(kFacesColumn, 0, "Faces");
  StringGrid1.SetCell(AssignmentColumn(1), 0, "L 1");
  StringGrid1.SetColWidth(kNameColumn, 186);
  StringGrid1.SetColWidth(kImageColumn, 100);
  StringGrid1.SetColWidth(kFacesColumn, 45);

  StringGrid5.SetColWidth(kSummaryLodColumn, 20);
  StringGrid5.SetColWidth(kSummaryDistanceColumn, 60);
  StringGrid5.SetColWidth(kSummaryFacesColumn, 45);
  StringGrid5.SetCell(kSummaryFacesColumn, 0, "Faces");
  StringGrid5.SetCell(kSummaryFacesColumn, 1, "");

  const ProgramSetup setup = ReadProgramSetup(*ProgramIni);
  const int n = setup.lods;
  StringGrid1.SetColCount(n + 3);
  StringGrid2.SetColCount(n + 2);
  StringGrid5.SetRowCount(n + 1);
  for (int i = 1; i <= n; ++i) {
    StringGrid1.SetCell(AssignmentColumn(i), 0, "L " + IntToStr(i));
    StringGrid2.SetCell(SortMarkColumn(i), 0, "L " + IntToStr(i));
    StringGrid5.SetCell(kSummaryLodColumn, i, IntToStr(i));
  }

  StringGrid4.SetRowCount(n + 1);
  StringGrid4.SetCell(kDistanceColumn, 0, "Meter");
  for (int i = 1; i <= n; ++i) {
    StringGrid4.SetCell(kLodNumberColumn, i, IntToStr(i));
    const std::string& distance = setup.distances[static_cast<std::size_t>(i - 1)];
    StringGrid4.SetCell(kDistanceColumn, i, distance);
    StringGrid5.SetCell(kSummaryDistanceColumn, i, distance);
  }

  LODAnzSpinEdit.value = n;
  LODSpinEdit.maxValue = n;
  LODSpinEdit.enabled = n != 1;
  session.plan.lodCount = n;
  session.vertexLimit = setup.vertexLimit;
  VertLimitSpinEdit.value = session.vertexLimit;

  StringGrid2.SetRowCount(2);
  StringGrid2.SetCell(kVertexCountColumn, 0, "Vert. L 1");
  StringGrid2.SetColWidth(kSubobjectNumberColumn, 28);
  StringGrid2.SetColWidth(kVertexCountColumn, 50);

  StringGrid3.SetRowCount(2);
  StringGrid3.SetCell(kMatrixNameColumn, 0, "Name");
  StringGrid3.SetCell(kMatrixFacesColumn, 0, "Faces");
  StringGrid3.SetCell(kAnimationMarkColumn, 0, "Anim.");

  ApplyLanguage();
  session.undoLines.clear();
  session.plan.pointTolerance = 0;
  DeltaPointsEdit.text = "0";
  session.plan.normalTolerance = 0;
  DeltaNormalsEdit.text = "0";
  AttachChangeNotification();
}

void Form::FormDestroy() {
  if (ProgramIni) {
    ProgramIni->EraseSection("LODs");
    const int n = LODAnzSpinEdit.value;
    ProgramIni->WriteInteger("LODs", "Anzahl", n);
    for (int i = 1; i <= n; ++i) {
      const std::string& distance = session.plan.distances[i];
      ProgramIni->WriteString("LODs", IntToStr(i), distance.empty() ? "2000" : distance);
    }
    ProgramIni->WriteInteger("Limits", "Vertices", session.vertexLimit);
    ProgramIni->Flush();
  }
  session.undoLines.clear();
}

void Form::ResetWindow() {
  session.text.Clear();
  session.text.SetModified(false);
  Label1.caption.clear();
  Label2.caption.clear();
  Caption = kProgramTitle;
  session.path.clear();
  session.ForgetCounts();
  // Row 1 up to the second plan column and the first sort mark; opening a
  // shape empties the rest of the row before it reads.
  StringGrid1.SetRowCount(2);
  for (int col = kNameColumn; col <= AssignmentColumn(2); ++col) StringGrid1.SetCell(col, 1, "");
  StringGrid2.SetRowCount(2);
  for (int col = kSubobjectNumberColumn; col <= SortMarkColumn(1); ++col)
    StringGrid2.SetCell(col, 1, "");
  StringGrid3.SetRowCount(2);
  for (int col = kMatrixNameColumn; col <= kAnimationMarkColumn; ++col)
    StringGrid3.SetCell(col, 1, "");
}

namespace {

std::string ModernWindowsName(int major, int minor) {
  if (major == 6 && minor == 0) return "Windows Vista";
  if (major == 6 && minor == 1) return "Windows 7";
  if (major == 6 && minor == 2) return "Windows 8";
  if (major == 6 && minor == 3) return "Windows 8.1";
  // Windows 11 still calls itself 10.0; only its build number tells.
  return "Windows " + IntToStr(major) + (minor != 0 ? "." + IntToStr(minor) : "");
}

}  // namespace

Form::WindowsVersionResult Form::WindowsVersion() const {
  const OsVersion os = ports_.system.OperatingSystem();
  WindowsVersionResult result;
  using Platform = OsVersion::Platform;
  switch (os.platform) {
    case Platform::NonWindows:
      // The systems the program was ported to are all supported.
      return {2, os.name.empty() ? std::string("Linux") : os.name};
    case Platform::WindowsNT:
      if (os.major <= 4) {
        result = {1, "Windows NT " + IntToStr(os.major)};
      } else if (os.major == 5 && os.minor == 0) {
        result = {2, "Windows 2000"};
      } else if (os.major == 5) {
        result = {2, "Windows XP"};
      } else {
        // Vista and every Windows since run the program as XP does; the
        // version numbers alone would call them all "Win32s".
        result = {2, os.name.empty() ? ModernWindowsName(os.major, os.minor) : os.name};
      }
      break;
    case Platform::Windows95:
      if ((os.major == 4 && os.minor == 0) || os.major < 4) {
        result = {0, "Windows 95"};
      } else if (os.minor == 90) {
        result = {0, "Windows ME"};
      } else {
        result = {0, "Windows 98"};
      }
      break;
    case Platform::Win32s:
      break;
  }
  if (result.name.empty()) result.name = "Win32s";
  return result;
}

// ---- Language ---------------------------------------------------------------

std::string Form::LangText(int number) const {
  if (!LanguageFile) return "";
  return LanguageText(*LanguageFile, LanguageSection, number);
}

std::string Form::LanguageLocale() const {
  if (!LanguageFile) return "";
  return LanguageFile->ReadString(LanguageSection, "Locale", "");
}

void Form::ApplyLanguage() {
  for (const Command& command : CommandTable())
    if (command.caption > 0) command.control(*this).caption = LangText(command.caption);
  TabSheet1.caption = LangText(Text::TabAssignment);
  TabSheet2.caption = LangText(Text::TabFile);
  TabSheet3.caption = LangText(Text::TabSettings);
  TabSheet4.caption = LangText(Text::TabView);
  StringGrid5.SetCell(kSummaryLodColumn, 0, LangText(Text::Number));
  StringGrid5.SetCell(kSummaryDistanceColumn, 0, LangText(Text::Distance));
  StringGrid4.SetCell(kLodNumberColumn, 0, "LOD " + LangText(Text::Number));
  StringGrid2.SetCell(kSubobjectNumberColumn, 0, LangText(Text::Number));
  const std::pair<Label*, int> labels[] = {
      {&Label4, 30},  {&Label5, 31},  {&Label6, 32},  {&Label14, 33}, {&Label15, 34},
      {&Label26, 35}, {&Label25, 36}, {&Label10, 37}, {&Label7, 39},  {&Label17, 40},
      {&Label18, 41}, {&Label8, 42},  {&Label9, 43},  {&Label13, 44}, {&Label19, 45},
      {&Label20, 46}, {&Label23, 47}, {&Label28, 48}, {&Label29, 49}, {&Label30, 50},
      {&Label34, 71}};
  for (const auto& [label, number] : labels) label->caption = LangText(number);
  ShowVertexLimit();
  Label21.caption = LangText(Text::AllElements) + " L " + IntToStr(LODSpinEdit.value) + " =";
}

void Form::SpracheComboBoxSelect(int itemIndex) {
  if (itemIndex < 0 || static_cast<std::size_t>(itemIndex) >= SpracheComboBox.items.size()) return;
  const std::string language = SpracheComboBox.items[static_cast<std::size_t>(itemIndex)];
  IniFile& choice = LanguageChoiceFile();
  choice.WriteString("Languages", "Language", language);
  try {
    choice.Flush();
  } catch (const WriteError&) {
    // The choice did not reach the disk: the window keeps the language it had.
    choice.Reload();
    throw;
  }
  SpracheComboBox.itemIndex = itemIndex;
  LanguageSection = language;
  ApplyLanguage();
  const WindowsVersionResult version = WindowsVersion();
  if (version.level < 2)
    session.Message(
        BoxKind::Information,
        LangText(Text::SystemFound) + " " + version.name +
            LangText(version.level == 0 ? Text::SystemUnreliable : Text::SystemUntested),
        Buttons::Ok);
}

// ---- Shape text ---------------------------------------------------------------

void Form::AttachChangeNotification() {
  SMemo.changeNotificationAttached = true;
  session.text.SetChangeListener([this] { SMemoChange(); });
}

void Form::DetachChangeNotification() {
  SMemo.changeNotificationAttached = false;
  session.text.SetChangeListener({});
}

void Form::SMemoChange() {
  // The save captions follow Modified (CaptionRed), which every change sets;
  // nothing else has to learn of the change.
}

void Form::ShowLineCount() {
  Label2.caption =
      IntToStr(static_cast<long long>(session.text.Count())) + " " + LangText(Text::Lines);
}

SessionView Form::SavingView() {
  SessionView view;
  view.writing = [this](std::size_t line) {
    Label2.caption = IntToStr(static_cast<long long>(line)) + " " + LangText(Text::Of) + " " +
                     IntToStr(static_cast<long long>(session.text.Count())) + " " +
                     LangText(Text::LinesWritten);
  };
  view.lineCountChanged = [this] { ShowLineCount(); };
  return view;
}

Outcome Form::WriteShapeText() {
  return session.WriteText(SavingView());
}

SessionView Form::RewritingView(Button* spent) {
  SessionView view;
  view.rewriting = [this, spent](bool rewriting) {
    SMemo.visible = !rewriting;
    if (rewriting && spent) spent->enabled = false;
  };
  view.lineCountChanged = [this] { ShowLineCount(); };
  return view;
}

}  // namespace quarvel
