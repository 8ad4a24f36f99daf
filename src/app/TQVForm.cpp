#include "app/TQVForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>

#include "app/GridView.h"
#include "app/KeyFilter.h"
#include "app/QtDialogs.h"
#include "app/QtPrinter.h"
#include "app/QtSystemInfo.h"
#include "app/ShapeTextView.h"
#include "simtools/SimulatorPath.h"

namespace quarvel {

namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

struct TQVForm::OwnedPorts {
  QtDialogs dialogs;
  QtSystemInfo system;
  HostSimulatorRegistry registry;
  QtPrinter printer;
};

TQVForm::TQVForm(QWidget* parent) : TQVForm(std::make_unique<OwnedPorts>(), parent) {}

TQVForm::TQVForm(std::unique_ptr<OwnedPorts> owned, QWidget* parent)
    : QWidget(parent),
      owned_(std::move(owned)),
      form_(FormPorts{owned_->dialogs, owned_->system, owned_->registry, owned_->printer}) {
  Build();
}

TQVForm::TQVForm(FormPorts ports, QWidget* parent) : QWidget(parent), form_(ports) {
  Build();
}

TQVForm::~TQVForm() {
  // The widgets outlive the form's state by a moment: nothing they signal from
  // now on may reach it.
  disconnect(focusConnection_);
  for (QObject* child : findChildren<QObject*>())
    QObject::disconnect(child, nullptr, this, nullptr);
  if (auto* dialogs = dynamic_cast<QtDialogs*>(&form_.dialogs())) dialogs->SetWindow(nullptr, {});
  // A window that goes away without being closed still keeps its LOD set-up.
  if (!destroyed_) {
    destroyed_ = true;
    form_.Run([this] { form_.FormDestroy(); });
  }
  // The tables and the text view read the form's state: they go first.
  delete pages_;
  delete panel2_;
  delete panel3_;
}

// ---- Building ------------------------------------------------------------------

void TQVForm::Build() {
  setObjectName(QStringLiteral("QVForm"));
  setFixedSize(kClientWidth, kClientHeight);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);

  if (auto* dialogs = dynamic_cast<QtDialogs*>(&form_.dialogs()))
    dialogs->SetWindow(this, [this] { RefreshCaptions(); });

  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  pages_->setGeometry(0, 0, 824, 553);
  auto* page1 = new QWidget;
  auto* page2 = new QWidget;
  auto* page3 = new QWidget;
  page1->setObjectName(QStringLiteral("TabSheet1"));
  page2->setObjectName(QStringLiteral("TabSheet2"));
  page3->setObjectName(QStringLiteral("TabSheet3"));
  pages_->addTab(page1, FromUtf8(form_.TabSheet1.caption));
  pages_->addTab(page2, FromUtf8(form_.TabSheet2.caption));
  pages_->addTab(page3, FromUtf8(form_.TabSheet3.caption));
  connect(pages_, &QTabWidget::currentChanged, this,
          [this](int index) { form_.activePage = index; });

  BuildCommandPanel();
  BuildStatusPanel();
  BuildAssignmentPage(page1);
  BuildTextPage(page2);
  BuildSettingsPage(page3);
  SetKeyboardOrder();
  focusConnection_ = connect(qApp, &QApplication::focusChanged, this, &TQVForm::FocusChanged);

  Run([this] { form_.FormCreate(); });
  FitInterfaceFont();

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - QPoint(kClientWidth / 2, kClientHeight / 2));
}

QPushButton* TQVForm::MakeButton(QWidget* parent, const char* name, Button& state, QRect geometry,
                                 void (Form::*handler)()) {
  auto* button = new QPushButton(FromUtf8(state.caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this,
          [this, handler] { Run([this, handler] { (form_.*handler)(); }); });
  buttons_.push_back({button, &state});
  return button;
}

QLabel* TQVForm::MakeLabel(QWidget* parent, const char* name, Label& state, QRect geometry,
                           int style) {
  auto* label = new QLabel(FromUtf8(state.caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(style & Wrap);
  Qt::Alignment alignment = Qt::AlignLeft;
  if (style & Right) alignment = Qt::AlignRight;
  if (style & Centre) alignment = Qt::AlignHCenter;
  label->setAlignment(alignment | ((style & Wrap) ? Qt::AlignTop : Qt::AlignVCenter));
  if (style & Bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  if (style & Red) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(palette);
  }
  labels_.push_back({label, &state});
  return label;
}

QLineEdit* TQVForm::MakeEdit(QWidget* parent, const char* name, Edit& state, QRect geometry) {
  auto* edit = new QLineEdit(FromUtf8(state.text), parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(geometry);
  // The text belongs to the form as typed; the handlers read it from there.
  connect(edit, &QLineEdit::textEdited, this,
          [this, &state](const QString& text) { state.text = text.toStdString(); });
  edits_.push_back({edit, &state});
  return edit;
}

QSpinBox* TQVForm::MakeSpinEdit(QWidget* parent, const char* name, QRect geometry,
                                void (Form::*change)(int)) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setGeometry(geometry);
  // Arrows only: a typed value would bypass the steps the handlers expect.
  spin->findChild<QLineEdit*>()->setReadOnly(true);
  spin->setKeyboardTracking(false);
  connect(spin, &QSpinBox::valueChanged, this,
          [this, change](int value) { Run([this, change, value] { (form_.*change)(value); }); });
  return spin;
}

GridView* TQVForm::MakeGrid(QWidget* parent, const char* name, StringGrid& grid, QRect geometry,
                            bool editable, std::function<bool(int, int)> selectCell,
                            std::function<void(int, int, const std::string&)> setEditText) {
  GridView::Handlers handlers;
  if (selectCell) {
    handlers.selectCell = [this, selectCell](int col, int row) {
      bool allowed = false;
      Run([&] { allowed = selectCell(col, row); });
      return allowed;
    };
  }
  if (setEditText) {
    handlers.setEditText = [this, setEditText](int col, int row, const std::string& text) {
      Run([&] { setEditText(col, row, text); });
    };
  }
  auto* view = new GridView(grid, editable, std::move(handlers), parent);
  view->setObjectName(QString::fromLatin1(name));
  view->setGeometry(geometry);
  return view;
}

void TQVForm::BuildCommandPanel() {
  panel2_ = new QFrame(this);
  panel2_->setObjectName(QStringLiteral("Panel2"));
  panel2_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel2_->setGeometry(824, 0, 165, 553);
  Form& f = form_;
  MakeLabel(panel2_, "Label3", f.Label3, {10, 8, 145, 30}, Wrap | Red | Bold);
  MakeLabel(panel2_, "Label11", f.Label11, {10, 42, 145, 30}, Wrap | Red | Bold);
  MakeLabel(panel2_, "Label12", f.Label12, {10, 76, 145, 66}, Wrap | Red);
  MakeButton(panel2_, "CompressButton", f.CompressButton, {10, 150, 145, 25},
             &Form::CompressButtonClick);
  QPushButton* open = MakeButton(panel2_, "OeffnenButton", f.OeffnenButton, {10, 190, 145, 25},
                                 &Form::OeffnenButtonClick);
  MakeLabel(panel2_, "SOAnzLabel", f.SOAnzLabel, {10, 222, 145, 16}, Centre);
  MakeLabel(panel2_, "SOAnzLabel1", f.SOAnzLabel1, {10, 240, 145, 16}, Centre);
  MakeButton(panel2_, "Sub_ObjectsButton", f.Sub_ObjectsButton, {10, 264, 145, 25},
             &Form::Sub_ObjectsButtonClick);
  MakeButton(panel2_, "AnimButton", f.AnimButton, {10, 300, 145, 25}, &Form::AnimButtonClick);
  MakeButton(panel2_, "PunkteButton", f.PunkteButton, {10, 336, 145, 25}, &Form::PunkteButtonClick);
  MakeButton(panel2_, "NormalenButton", f.NormalenButton, {10, 372, 145, 25},
             &Form::NormalenButtonClick);
  MakeButton(panel2_, "MatButton", f.MatButton, {10, 408, 145, 25}, &Form::MatButtonClick);
  MakeButton(panel2_, "UndoButton", f.UndoButton, {10, 444, 145, 25}, &Form::UndoButtonClick);
  QPushButton* save = MakeButton(panel2_, "SpeichernBitBtn", f.SpeichernBitBtn, {10, 484, 145, 25},
                                 &Form::SpeichernButtonClick);
  // The keys every editor has; a click on a disabled button does nothing.
  new QShortcut(QKeySequence::Open, this, open, &QPushButton::click);
  new QShortcut(QKeySequence::Save, this, save, &QPushButton::click);
  MakeButton(panel2_, "SpeichernUnterBitBtn", f.SpeichernUnterBitBtn, {10, 516, 145, 25},
             &Form::SpeichernUnterButtonClick);
}

void TQVForm::BuildStatusPanel() {
  panel3_ = new QFrame(this);
  panel3_->setObjectName(QStringLiteral("Panel3"));
  panel3_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel3_->setGeometry(0, 553, 989, 51);
  MakeLabel(panel3_, "Label1", form_.Label1, {8, 6, 810, 18});
  MakeLabel(panel3_, "Label2", form_.Label2, {8, 26, 810, 18});
  MakeButton(panel3_, "Button1", form_.Button1, {834, 13, 145, 25}, &Form::WegButtonClick);
}

void TQVForm::BuildAssignmentPage(QWidget* page) {
  Form& f = form_;
  // Elements, with the bulk assignment and the row shifts below the table.
  MakeLabel(page, "Label4", f.Label4, {6, 4, 200, 18}, Bold);
  grids_[0] = MakeGrid(
      page, "StringGrid1", f.StringGrid1, {6, 24, 377, 300}, true,
      [this](int col, int row) { return form_.StringGrid1SelectCell(col, row); },
      [this](int col, int row, const std::string& text) {
        form_.StringGrid1SetEditText(col, row, text);
      });
  MakeButton(page, "ZeilePlusButton", f.ZeilePlusButton, {6, 330, 24, 22},
             &Form::ZeilePlusButtonClick);
  MakeButton(page, "ZeileMinusButton", f.ZeileMinusButton, {32, 330, 24, 22},
             &Form::ZeileMinusButtonClick);
  MakeLabel(page, "Label16", f.Label16, {62, 332, 32, 18}, Right);
  lodSpinEdit_ = MakeSpinEdit(page, "LODSpinEdit", {98, 330, 50, 22}, &Form::LODSpinEditChange);
  MakeLabel(page, "Label21", f.Label21, {152, 332, 156, 18}, Right);
  MakeEdit(page, "NrEdit", f.NrEdit, {312, 330, 32, 22});
  MakeButton(page, "DoButton", f.DoButton, {347, 330, 36, 22}, &Form::DoButtonClick);
  MakeLabel(page, "Label22", f.Label22, {152, 358, 192, 18}, Right);
  MakeButton(page, "DoButton1", f.DoButton1, {347, 356, 36, 22}, &Form::DoButton1Click);
  MakeLabel(page, "Label7", f.Label7, {6, 386, 377, 42}, Wrap);
  MakeLabel(page, "Label17", f.Label17, {6, 430, 377, 42}, Wrap);
  MakeLabel(page, "Label18", f.Label18, {6, 474, 377, 42}, Wrap);

  // Sub-objects, their hints and the settings-file commands.
  MakeLabel(page, "Label5", f.Label5, {390, 4, 168, 18}, Bold);
  // The sub-object and matrix tables take marks through the same handlers.
  const auto makeMarkGrid = [&](const char* name, StringGrid& grid, QRect geometry) {
    return MakeGrid(
        page, name, grid, geometry, true,
        [this, &grid](int col, int row) { return form_.StringGrid2SelectCell(grid, col, row); },
        [this, &grid](int col, int row, const std::string& text) {
          form_.StringGrid2SetEditText(grid, col, row, text);
        });
  };
  grids_[1] = makeMarkGrid("StringGrid2", f.StringGrid2, {390, 24, 168, 230});
  MakeLabel(page, "Label8", f.Label8, {390, 260, 168, 56}, Wrap);
  MakeLabel(page, "Label9", f.Label9, {390, 318, 168, 44}, Wrap);
  MakeButton(page, "GrundButton", f.GrundButton, {390, 386, 168, 25}, &Form::GrundButtonClick);
  MakeButton(page, "E_SpeichernButton", f.E_SpeichernButton, {390, 418, 168, 25},
             &Form::E_SpeichernButtonClick);
  MakeButton(page, "E_LadenButton", f.E_LadenButton, {390, 450, 168, 25},
             &Form::E_LadenButtonClick);
  MakeButton(page, "E_DruckenButton", f.E_DruckenButton, {390, 482, 168, 25},
             &Form::E_DruckenButtonClick);

  // LOD summary and matrices.
  MakeLabel(page, "Label24", f.Label24, {566, 4, 140, 18}, Bold);
  grids_[4] = MakeGrid(page, "StringGrid5", f.StringGrid5, {566, 24, 148, 108}, false, {}, {});
  MakeLabel(page, "Label6", f.Label6, {566, 146, 130, 18}, Bold);
  MakeButton(page, "AnimResetButton", f.AnimResetButton, {712, 142, 100, 25},
             &Form::AnimResetButtonClick);
  grids_[2] = makeMarkGrid("StringGrid3", f.StringGrid3, {566, 170, 246, 256});
  MakeLabel(page, "Label13", f.Label13, {566, 432, 246, 84}, Wrap);
}

void TQVForm::BuildTextPage(QWidget* page) {
  Form& f = form_;
  memo_ = new ShapeTextView(f.shapeText, page);
  memo_->setObjectName(QStringLiteral("SMemo"));
  memo_->setGeometry(6, 6, 806, 480);
  memo_->SetEditRunner([this](const std::function<void()>& edit) { Run(edit); });
  MakeButton(page, "SButton1", f.SButton1, {6, 492, 80, 25}, &Form::SButton1Click);
  MakeButton(page, "SButton2", f.SButton2, {90, 492, 80, 25}, &Form::SButton2Click);
  MakeButton(page, "SButton3", f.SButton3, {174, 492, 80, 25}, &Form::SButton3Click);
  MakeButton(page, "SButton4", f.SButton4, {258, 492, 80, 25}, &Form::SButton4Click);
  MakeButton(page, "SButton5", f.SButton5, {342, 492, 80, 25}, &Form::SButton5Click);
  QLineEdit* search = MakeEdit(page, "SucheEdit", f.SucheEdit, {446, 493, 240, 23});
  MakeButton(page, "SButton6", f.SButton6, {692, 492, 80, 25}, &Form::SButton6Click);
  // The form sees every key typed into the search edit first; one it sets to
  // 0 (Enter, which searches) goes no further.
  new KeyFilter(search, [this](QKeyEvent& event) {
    const QString typed = event.text();
    char key = 0;
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
      key = '\r';
    else if (typed.size() == 1 && typed[0].unicode() >= 0x20 && typed[0].unicode() < 0x100)
      key = static_cast<char>(typed[0].unicode());
    if (key == 0) return false;
    Run([this, &key] { form_.SucheEditKeyPress(key); });
    return key == 0;
  });
  new QShortcut(QKeySequence::Find, this, [this] { Run([this] { form_.FindShortcut(); }); });
  new QShortcut(QKeySequence(Qt::Key_F3), this,
                [this] { Run([this] { form_.FindNextShortcut(); }); });
}

void TQVForm::BuildSettingsPage(QWidget* page) {
  Form& f = form_;
  const auto panel = [page](const char* name, QRect geometry) {
    auto* frame = new QFrame(page);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    frame->setGeometry(geometry);
    return frame;
  };

  QFrame* lods = panel("Panel1", {6, 6, 264, 496});
  MakeLabel(lods, "Label27", f.Label27, {8, 6, 200, 18}, Bold);
  MakeLabel(lods, "Label14", f.Label14, {8, 33, 136, 18});
  lodCountSpinEdit_ =
      MakeSpinEdit(lods, "LODAnzSpinEdit", {148, 30, 56, 22}, &Form::LODAnzSpinEditChange);
  MakeLabel(lods, "Label15", f.Label15, {8, 62, 200, 18});
  grids_[3] = MakeGrid(
      lods, "StringGrid4", f.StringGrid4, {8, 82, 152, 220}, true,
      [this](int col, int row) { return form_.StringGrid4SelectCell(col, row); },
      [this](int col, int row, const std::string& text) {
        form_.StringGrid4SetEditText(col, row, text);
      });
  MakeLabel(lods, "Label19", f.Label19, {8, 310, 248, 44}, Wrap);
  MakeLabel(lods, "Label20", f.Label20, {8, 358, 248, 30}, Wrap);
  MakeLabel(lods, "Label23", f.Label23, {8, 392, 248, 30}, Wrap);

  QFrame* merging = panel("Panel4", {276, 6, 264, 496});
  MakeLabel(merging, "Label26", f.Label26, {8, 6, 200, 18}, Bold);
  MakeLabel(merging, "Label25", f.Label25, {8, 33, 116, 18});
  QLineEdit* points = MakeEdit(merging, "DeltaPointsEdit", f.DeltaPointsEdit, {128, 30, 110, 22});
  MakeLabel(merging, "Label10", f.Label10, {8, 63, 116, 18});
  QLineEdit* normals =
      MakeEdit(merging, "DeltaNormalsEdit", f.DeltaNormalsEdit, {128, 60, 110, 22});
  MakeLabel(merging, "Label28", f.Label28, {8, 96, 248, 58}, Wrap);
  MakeLabel(merging, "Label29", f.Label29, {8, 158, 248, 72}, Wrap);
  MakeLabel(merging, "Label30", f.Label30, {8, 234, 248, 58}, Wrap);

  QFrame* language = panel("Panel5", {546, 6, 266, 496});
  MakeLabel(language, "Label31", f.Label31, {8, 6, 200, 18}, Bold);
  MakeLabel(language, "Label32", f.Label32, {8, 32, 250, 18});
  languageBox_ = new QComboBox(language);
  languageBox_->setObjectName(QStringLiteral("SpracheComboBox"));
  languageBox_->setGeometry(8, 54, 170, 22);
  languageBox_->setEditable(false);
  connect(languageBox_, &QComboBox::activated, this,
          [this](int index) { Run([this, index] { form_.SpracheComboBoxSelect(index); }); });
  MakeLabel(language, "Label33", f.Label33, {8, 86, 250, 44}, Wrap);

  exits_ = {
      {grids_[0], [this] { form_.StringGrid1Exit(); }},
      {grids_[3], [this] { form_.StringGrid4Exit(); }},
      {lodCountSpinEdit_, [this] { form_.LODAnzSpinEditExit(); }},
      {points, [this] { form_.DeltaPointsEditExit(); }},
      {normals, [this] { form_.DeltaNormalsEditExit(); }},
  };
}

void TQVForm::SetKeyboardOrder() {
  // The command panel first, then the status panel, then the pages.
  const char* order[] = {
      "CompressButton", "OeffnenButton", "Sub_ObjectsButton", "AnimButton", "PunkteButton",
      "NormalenButton", "MatButton", "UndoButton", "SpeichernBitBtn", "SpeichernUnterBitBtn",
      "Button1", "PageControl1",
      // Zerlegung
      "StringGrid1", "ZeilePlusButton", "ZeileMinusButton", "LODSpinEdit", "NrEdit", "DoButton",
      "DoButton1", "StringGrid2", "GrundButton", "E_SpeichernButton", "E_LadenButton",
      "E_DruckenButton", "StringGrid5", "AnimResetButton", "StringGrid3",
      // Datei (the text view takes the focus by click only)
      "SButton1", "SButton2", "SButton3", "SButton4", "SButton5", "SucheEdit", "SButton6",
      // Einstellungen/Settings
      "LODAnzSpinEdit", "StringGrid4", "DeltaPointsEdit", "DeltaNormalsEdit", "SpracheComboBox"};
  QWidget* previous = nullptr;
  for (const char* name : order) {
    QWidget* widget = name == std::string_view("PageControl1")
                          ? pages_
                          : findChild<QWidget*>(QString::fromLatin1(name));
    if (widget == nullptr) continue;
    if (previous != nullptr) setTabOrder(previous, widget);
    previous = widget;
  }
}

void TQVForm::FitInterfaceFont() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  if (QFontInfo(font).family() != QLatin1String("MS Sans Serif")) {
    // The system's own interface font, at the largest size up to 8 points at
    // which every caption fits its control.
    font = QApplication::font();
    struct Caption {
      QString text;
      int width;
      bool bold;
    };
    std::vector<Caption> captions;
    for (const QPushButton* button : findChildren<QPushButton*>())
      captions.push_back({button->text(), button->width() - 10, false});
    for (const LabelBinding& binding : labels_) {
      const QLabel* label = binding.widget;
      // The status lines show paths and counts, not captions.
      if (!label->wordWrap() && label->parentWidget() != panel3_)
        captions.push_back({label->text(), label->width(), label->font().bold()});
    }
    for (qreal size = 8.0; size >= 6.0; size -= 0.5) {
      font.setPointSizeF(size);
      QFont bold = font;
      bold.setBold(true);
      const QFontMetrics metrics(font);
      const QFontMetrics boldMetrics(bold);
      const bool fits = std::all_of(captions.begin(), captions.end(), [&](const Caption& caption) {
        return (caption.bold ? boldMetrics : metrics).horizontalAdvance(caption.text) <=
               caption.width;
      });
      if (fits) break;
    }
  }
  setFont(font);
  const int rowHeight = QFontMetrics(font).height() + 5;
  for (int i = 0; i < 4; ++i) grids_[static_cast<std::size_t>(i)]->SetRowHeight(rowHeight);

  // The LOD summary's narrow columns are made for Arial. A font with the same
  // metrics takes its place where Arial is missing; any other font is made
  // small enough for the headers to fit their columns.
  GridView& summary = *grids_[4];
  QFont summaryFont(QStringLiteral("Arial"));
  summaryFont.setStyleHint(QFont::SansSerif);
  summaryFont.setPointSize(8);
  const QString family = QFontInfo(summaryFont).family();
  if (family != QLatin1String("Arial") && family != QLatin1String("Liberation Sans") &&
      family != QLatin1String("Arimo")) {
    const StringGrid& grid = form_.StringGrid5;
    for (qreal size = 8.0; size >= 6.0; size -= 0.5) {
      summaryFont.setPointSizeF(size);
      const QFontMetrics metrics(summaryFont);
      bool fits = true;
      for (int col = 0; col < grid.ColCount(); ++col)
        fits = fits && metrics.horizontalAdvance(QString::fromStdString(grid.Cell(col, 0))) + 6 <=
                           grid.ColWidth(col);
      if (fits) break;
    }
  }
  summary.setFont(summaryFont);
  summary.horizontalHeader()->setFont(summaryFont);
  summary.SetRowHeight(16);
}

// ---- Showing the form's state ----------------------------------------------------

bool TQVForm::Run(const std::function<void()>& handler) {
  std::size_t caretBefore = form_.SMemo.caretPosition;
  if (depth_ == 0 && memo_ != nullptr && memo_->InSync()) {
    form_.SMemo.caretPosition = memo_->CaretOffset();
    caretBefore = form_.SMemo.caretPosition;
  }
  ++depth_;
  const bool ok = form_.Run(handler);
  --depth_;
  if (depth_ == 0) {
    Refresh(form_.SMemo.caretPosition != caretBefore);
    if (form_.closeRequested) {
      form_.closeRequested = false;
      close();
    }
  }
  return ok;
}

void TQVForm::RefreshFromForm() {
  Refresh(false);
}

void TQVForm::RefreshCaptions() {
  const QString title = FromUtf8(form_.Caption);
  if (windowTitle() != title) setWindowTitle(title);
  for (ButtonBinding& binding : buttons_) {
    QPushButton* button = binding.widget;
    const Button& state = *binding.state;
    const QString caption = FromUtf8(state.caption);
    if (button->text() != caption) button->setText(caption);
    if (button->isEnabled() != state.enabled) button->setEnabled(state.enabled);
    if (button->isHidden() == state.visible) button->setVisible(state.visible);
    if (binding.red != state.captionRed) {
      QPalette palette = button->palette();
      palette.setColor(QPalette::ButtonText, state.captionRed ? QColor(Qt::red)
                                                              : QApplication::palette(button).color(
                                                                    QPalette::ButtonText));
      button->setPalette(palette);
      binding.red = state.captionRed;
    }
  }
  for (const LabelBinding& binding : labels_) {
    const QString caption = FromUtf8(binding.state->caption);
    if (binding.widget->text() != caption) binding.widget->setText(caption);
    if (binding.widget->isHidden() == binding.state->visible)
      binding.widget->setVisible(binding.state->visible);
  }
  if (memo_ != nullptr && memo_->isHidden() == form_.SMemo.visible)
    memo_->setVisible(form_.SMemo.visible);
}

void TQVForm::Refresh(bool caretMovedByHandler) {
  RefreshCaptions();

  {
    const QSignalBlocker blocker(pages_);
    const TabSheet* sheets[] = {&form_.TabSheet1, &form_.TabSheet2, &form_.TabSheet3};
    for (int i = 0; i < 3; ++i) {
      const QString caption = FromUtf8(sheets[i]->caption);
      if (pages_->tabText(i) != caption) pages_->setTabText(i, caption);
    }
    if (pages_->currentIndex() != form_.activePage && form_.activePage >= 0 && form_.activePage < 3)
      pages_->setCurrentIndex(form_.activePage);
  }

  for (GridView* grid : grids_) grid->SyncFromGrid();

  const std::pair<QSpinBox*, const SpinEdit*> spins[] = {
      {lodSpinEdit_, &form_.LODSpinEdit}, {lodCountSpinEdit_, &form_.LODAnzSpinEdit}};
  for (const auto& [spin, state] : spins) {
    const QSignalBlocker blocker(spin);
    if (spin->minimum() != state->minValue || spin->maximum() != state->maxValue)
      spin->setRange(state->minValue, state->maxValue);
    if (spin->value() != state->value) spin->setValue(state->value);
    if (spin->isEnabled() != state->enabled) spin->setEnabled(state->enabled);
  }

  for (const EditBinding& binding : edits_) {
    const QString text = FromUtf8(binding.state->text);
    if (binding.widget->text() != text) binding.widget->setText(text);
    if (binding.widget->isEnabled() != binding.state->enabled)
      binding.widget->setEnabled(binding.state->enabled);
  }

  {
    const QSignalBlocker blocker(languageBox_);
    QStringList items;
    for (const std::string& item : form_.SpracheComboBox.items) items << FromUtf8(item);
    QStringList shown;
    for (int i = 0; i < languageBox_->count(); ++i) shown << languageBox_->itemText(i);
    if (shown != items) {
      languageBox_->clear();
      languageBox_->addItems(items);
    }
    if (languageBox_->currentIndex() != form_.SpracheComboBox.itemIndex)
      languageBox_->setCurrentIndex(form_.SpracheComboBox.itemIndex);
  }

  // A command that rewrote the text leaves the caret at the start, unless it
  // placed the caret itself (a jump places it even where it stood, to end a
  // selection).
  const bool reloaded = memo_->SyncWithDocument();
  const bool placed = caretMovedByHandler || form_.focusRequest == FocusRequest::SMemo;
  if (placed)
    memo_->SetCaretOffset(form_.SMemo.caretPosition);
  else if (reloaded)
    memo_->SetCaretOffset(0);
  if (placed || reloaded) form_.SMemo.caretPosition = memo_->CaretOffset();

  switch (form_.focusRequest) {
    case FocusRequest::StringGrid4:
      pages_->setCurrentWidget(findChild<QWidget*>(QStringLiteral("TabSheet3")));
      grids_[3]->setFocus(Qt::OtherFocusReason);
      break;
    case FocusRequest::SMemo:
      pages_->setCurrentWidget(findChild<QWidget*>(QStringLiteral("TabSheet2")));
      memo_->setFocus(Qt::OtherFocusReason);
      break;
    case FocusRequest::SucheEdit:
      pages_->setCurrentWidget(findChild<QWidget*>(QStringLiteral("TabSheet2")));
      findChild<QLineEdit*>(QStringLiteral("SucheEdit"))->setFocus(Qt::ShortcutFocusReason);
      break;
    case FocusRequest::None:
      break;
  }
  form_.focusRequest = FocusRequest::None;
}

// ---- Events ----------------------------------------------------------------------

void TQVForm::FocusChanged(QWidget* old, QWidget* now) {
  // Only the user moving the focus inside the window leaves a control; a
  // message box, another program or a running command's own effects do not.
  if (depth_ > 0 || old == nullptr || now == nullptr || now->window() != this ||
      old->window() != this)
    return;
  const auto inside = [](QWidget* control, QWidget* widget) {
    return widget == control || control->isAncestorOf(widget);
  };
  for (const ExitBinding& exit : exits_) {
    if (inside(exit.widget, old) && !inside(exit.widget, now)) Run(exit.handler);
  }
}

void TQVForm::closeEvent(QCloseEvent* event) {
  if (depth_ > 0) {
    // A command is still running (it lets events run): it ends first.
    event->ignore();
    return;
  }
  if (destroyed_) {
    event->accept();
    return;
  }
  bool allowed = false;
  Run([this, &allowed] { allowed = form_.FormCloseQuery(); });
  if (!allowed) {
    event->ignore();
    return;
  }
  destroyed_ = true;
  Run([this] { form_.FormDestroy(); });
  event->accept();
}

}  // namespace quarvel
