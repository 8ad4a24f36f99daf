#include "app/TQVForm.h"

#include <QAction>
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
#include <algorithm>
#include <memory>
#include <optional>
#include <tuple>

#include "app/GridView.h"
#include "app/KeyFilter.h"
#include "app/QtDialogs.h"
#include "app/QtPrinter.h"
#include "app/QtSystemInfo.h"
#include "app/ShapeTextView.h"
#include "app/ViewPage.h"
#include "form/Commands.h"
#include "simtools/ScriptLauncher.h"
#include "simtools/SimulatorPath.h"

namespace quarvel {

namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

// A spin box that lets any text be typed: the form judges a typed value and
// says what is wrong with it, where a plain spin box would drop the
// keystrokes or revert the value without a word. A text that is no value in
// range leaves the value as it is.
class TypedSpinBox : public QSpinBox {
 public:
  using QSpinBox::QSpinBox;

 protected:
  QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }
  int valueFromText(const QString& text) const override {
    bool number = false;
    const int typed = text.trimmed().toInt(&number);
    return number && typed >= minimum() && typed <= maximum() ? typed : value();
  }
};

}  // namespace

// Where the pages' columns start, for the keyboard order.
constexpr int kElementColumnEnd = 390;  // the sub-object column of "Zerlegung"
constexpr int kMatrixColumnStart = 566;
constexpr int kMergePanelStart = 276;  // the panels of "Einstellungen/Settings"
constexpr int kLanguagePanelStart = 546;

struct TQVForm::OwnedPorts {
  QtDialogs dialogs;
  QtSystemInfo system;
  HostSimulatorRegistry registry;
  HostLauncher launcher;
  QtPrinter printer;
};

TQVForm::TQVForm(QWidget* parent) : TQVForm(std::make_unique<OwnedPorts>(), parent) {}

TQVForm::TQVForm(std::unique_ptr<OwnedPorts> owned, QWidget* parent)
    : QWidget(parent),
      owned_(std::move(owned)),
      form_(FormPorts{owned_->dialogs, owned_->system, owned_->registry, owned_->launcher,
                      owned_->printer}) {
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
    dialogs->SetWindow(this, [this] { RefreshWhileBusy(); });

  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  pages_->setGeometry(0, 0, 824, 553);
  keyboard_.push_back(pages_);
  auto* page1 = new QWidget;
  auto* page2 = new QWidget;
  auto* page3 = new QWidget;
  viewPage_ = new ViewPage(form_.session);
  viewPage_->setObjectName(QStringLiteral("TabSheet4"));
  page1->setObjectName(QStringLiteral("TabSheet1"));
  page2->setObjectName(QStringLiteral("TabSheet2"));
  page3->setObjectName(QStringLiteral("TabSheet3"));
  pages_->addTab(page1, FromUtf8(form_.TabSheet1.caption));
  pages_->addTab(page2, FromUtf8(form_.TabSheet2.caption));
  pages_->addTab(page3, FromUtf8(form_.TabSheet3.caption));
  pages_->addTab(viewPage_, FromUtf8(form_.TabSheet4.caption));
  connect(pages_, &QTabWidget::currentChanged, this,
          [this](int index) { form_.activePage = index; });

  BuildCommandPanel();
  BuildStatusPanel();
  BuildAssignmentPage(page1);
  BuildTextPage(page2);
  BuildSettingsPage(page3);
  BuildViewPage();
  SetKeyboardOrder();
  focusConnection_ = connect(qApp, &QApplication::focusChanged, this, &TQVForm::FocusChanged);

  Run([this] { form_.FormCreate(); });
  FitInterfaceFont();

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - QPoint(kClientWidth / 2, kClientHeight / 2));
}

QPushButton* TQVForm::MakeCommandButton(QWidget* parent, const Command& command) {
  Button& state = command.control(form_);
  auto* button = new QPushButton(FromUtf8(state.caption), parent);
  button->setObjectName(QString::fromStdString(command.name));
  const Place& place = command.place;
  button->setGeometry(place.x, place.y, place.width, place.height);
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this,
          [this, command] { Run([this, &command] { return form_.RunCommand(command); }); });
  // The keys every editor has; a disabled button ignores them.
  if (!command.shortcut.empty())
    new QShortcut(QKeySequence(QString::fromStdString(command.shortcut)), this, button,
                  &QPushButton::click);
  buttons_.push_back({button, &state});
  keyboard_.push_back(button);
  return button;
}

void TQVForm::MakeCommandButtons(QWidget* parent, Area area) {
  for (const Command& command : CommandTable())
    if (command.place.area == area) MakeCommandButton(parent, command);
}

void TQVForm::MakeCommandActions(QWidget* owner, Area area) {
  for (const Command& command : CommandTable()) {
    if (command.place.area != area) continue;
    Button& state = command.control(form_);
    auto* action = new QAction(FromUtf8(state.caption), owner);
    action->setObjectName(QString::fromStdString(command.name));
    connect(action, &QAction::triggered, this,
            [this, command] { Run([this, &command] { return form_.RunCommand(command); }); });
    owner->addAction(action);
    actions_.push_back({action, &state});
  }
  // Right click, the menu key or Shift+F10 show the entries.
  if (!owner->actions().isEmpty()) owner->setContextMenuPolicy(Qt::ActionsContextMenu);
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
  keyboard_.push_back(edit);
  return edit;
}

QSpinBox* TQVForm::MakeSpinEdit(QWidget* parent, const char* name, QRect geometry,
                                void (Form::*change)(int),
                                void (Form::*typed)(const std::string&)) {
  const bool typing = typed != nullptr;
  QSpinBox* spin = typing ? new TypedSpinBox(parent) : new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setGeometry(geometry);
  // Arrows only where a typed value would bypass the steps the handlers
  // expect; a typed value reaches the form once, when it is complete.
  spin->findChild<QLineEdit*>()->setReadOnly(!typing);
  spin->setKeyboardTracking(false);
  connect(spin, &QSpinBox::valueChanged, this,
          [this, change](int value) { Run([this, change, value] { (form_.*change)(value); }); });
  if (typing) {
    // What was typed, before the box puts its value back on Enter or on
    // leaving it.
    auto text = std::make_shared<std::optional<QString>>();
    connect(spin->findChild<QLineEdit*>(), &QLineEdit::textEdited, this,
            [text](const QString& edited) { *text = edited; });
    connect(spin, &QSpinBox::editingFinished, this, [this, typed, text] {
      if (!*text) return;
      const std::string entry = (*text)->toStdString();
      text->reset();
      Run([this, typed, entry] { (form_.*typed)(entry); });
    });
  }
  keyboard_.push_back(spin);
  return spin;
}

GridView* TQVForm::MakeGrid(QWidget* parent, const char* name, StringGrid& grid, QRect geometry,
                            bool editable, std::function<bool(int, int)> selectCell,
                            std::function<void(int, int, const std::string&)> setEditText,
                            std::function<void()> editCommitted) {
  GridView::Handlers handlers;
  if (editCommitted) handlers.editCommitted = [this, editCommitted] { Run(editCommitted); };
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
  view->gridModel().SetEmphasis(
      [this, &grid](int col, int row) { return form_.Emphasis(grid, col, row); });
  view->setObjectName(QString::fromLatin1(name));
  view->setGeometry(geometry);
  keyboard_.push_back(view);
  return view;
}

void TQVForm::BuildViewPage() {
  // The table and the view follow each other: the element the user goes to
  // in the element table is lit in the view, a click on a part goes to its
  // row. Where the caret lands by itself (opening a shape) lights nothing.
  connect(grids_[0]->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (!grids_[0]->hasFocus() || !current.isValid()) return;
            chosenElement_ = GridModel::GridRow(current.row()) - 1;
            chosenRevision_ = form_.session.text.Revision();
          });
  viewPage_->elementPicked = [this](int element) {
    chosenElement_ = element;
    chosenRevision_ = form_.session.text.Revision();
    const QModelIndex cell = grids_[0]->model()->index(element, 0);
    grids_[0]->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    viewPage_->Sync(SelectedElements());
  };
}

std::vector<int> TQVForm::SelectedElements() const {
  // A choice made in another text (before a generation, say) names other
  // elements.
  if (chosenElement_ < 0 || chosenRevision_ != form_.session.text.Revision()) return {};
  return {chosenElement_};
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
  MakeLabel(panel2_, "SOAnzLabel", f.SOAnzLabel, {10, 222, 145, 16}, Centre);
  MakeLabel(panel2_, "SOAnzLabel1", f.SOAnzLabel1, {10, 240, 145, 16}, Centre);
  MakeCommandButtons(panel2_, Area::CommandPanel);
}

void TQVForm::BuildStatusPanel() {
  panel3_ = new QFrame(this);
  panel3_->setObjectName(QStringLiteral("Panel3"));
  panel3_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel3_->setGeometry(0, 553, 989, 51);
  MakeLabel(panel3_, "Label1", form_.Label1, {8, 6, 810, 18});
  MakeLabel(panel3_, "Label2", form_.Label2, {8, 26, 810, 18});
  MakeCommandButtons(panel3_, Area::StatusPanel);
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
      },
      // The counts follow a committed entry at once, not only the next move.
      [this] { form_.RefreshAssignment(); });
  MakeCommandActions(grids_[0], Area::ElementTableMenu);
  MakeLabel(page, "Label16", f.Label16, {62, 332, 32, 18}, Right);
  lodSpinEdit_ = MakeSpinEdit(page, "LODSpinEdit", {98, 330, 50, 22}, &Form::LODSpinEditChange);
  MakeLabel(page, "Label21", f.Label21, {152, 332, 156, 18}, Right);
  MakeEdit(page, "NrEdit", f.NrEdit, {312, 330, 32, 22});
  MakeLabel(page, "Label22", f.Label22, {152, 358, 192, 18}, Right);
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
  // With several LODs the plan and mark columns lie beyond the tables' width:
  // the name or number they belong to stays in sight.
  grids_[0]->FreezeFirstColumn();
  grids_[1]->FreezeFirstColumn();
  MakeLabel(page, "Label8", f.Label8, {390, 260, 168, 56}, Wrap);
  MakeLabel(page, "Label9", f.Label9, {390, 318, 168, 44}, Wrap);

  // LOD summary and matrices.
  MakeLabel(page, "Label24", f.Label24, {566, 4, 140, 18}, Bold);
  grids_[4] = MakeGrid(page, "StringGrid5", f.StringGrid5, {566, 24, 148, 108}, false, {}, {});
  MakeLabel(page, "Label6", f.Label6, {566, 146, 130, 18}, Bold);
  grids_[2] = makeMarkGrid("StringGrid3", f.StringGrid3, {566, 170, 246, 256});
  MakeLabel(page, "Label13", f.Label13, {566, 432, 246, 84}, Wrap);
  MakeCommandButtons(page, Area::AssignmentPage);
}

void TQVForm::BuildTextPage(QWidget* page) {
  Form& f = form_;
  memo_ = new ShapeTextView(f.session.text, page);
  memo_->setObjectName(QStringLiteral("SMemo"));
  memo_->setGeometry(6, 6, 806, 480);
  memo_->SetEditRunner([this](const std::function<void()>& edit) { Run(edit); });
  memo_->SetTexts(f.session.Texts());
  MakeCommandButtons(page, Area::TextPage);
  QLineEdit* search = MakeEdit(page, "SucheEdit", f.SucheEdit, {446, 492, 240, 25});
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
  MakeLabel(lods, "Label34", f.Label34, {8, 432, 248, 18});
  vertLimitSpinEdit_ = MakeSpinEdit(lods, "VertLimitSpinEdit", {8, 454, 80, 22},
                                    &Form::VertLimitSpinEditChange, &Form::VertLimitSpinEditExit);
  vertLimitSpinEdit_->setSingleStep(100);

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
  keyboard_.push_back(languageBox_);
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
  // The command panel, the status panel, the tab bar, then the pages; inside
  // each, column by column, and in a column top to bottom and left to right,
  // as the controls are laid out. The text view takes the focus by click only.
  struct Region {
    QWidget* widget;
    std::vector<int> columnStarts;  // x where the second, third ... column starts
  };
  const std::vector<Region> regions = {
      {panel2_, {}},
      {panel3_, {}},
      {pages_, {}},
      {pages_->widget(0), {kElementColumnEnd, kMatrixColumnStart}},
      {pages_->widget(1), {}},
      {pages_->widget(2), {kMergePanelStart, kLanguagePanelStart}}};
  struct Stop {
    std::size_t region;
    std::size_t column;
    int y, x;
    QWidget* widget;
  };
  std::vector<Stop> stops;
  for (QWidget* widget : keyboard_) {
    // The innermost region holds the control: the pages lie inside the tab widget.
    for (std::size_t r = regions.size(); r-- > 0;) {
      QWidget* region = regions[r].widget;
      if (widget != region && !region->isAncestorOf(widget)) continue;
      if (region == pages_ && widget != pages_) continue;
      const QPoint at = widget->mapTo(region, QPoint(0, 0));
      const auto& starts = regions[r].columnStarts;
      const auto column = static_cast<std::size_t>(
          std::upper_bound(starts.begin(), starts.end(), at.x()) - starts.begin());
      stops.push_back({r, column, at.y(), at.x(), widget});
      break;
    }
  }
  std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) {
    return std::tie(a.region, a.column, a.y, a.x) < std::tie(b.region, b.column, b.y, b.x);
  });
  for (std::size_t i = 1; i < stops.size(); ++i) setTabOrder(stops[i - 1].widget, stops[i].widget);
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

Outcome TQVForm::RunHandler(const std::function<Outcome()>& handler) {
  std::size_t caretBefore = form_.SMemo.caretPosition;
  if (depth_ == 0 && memo_ != nullptr && memo_->InSync()) {
    form_.SMemo.caretPosition = memo_->CaretOffset();
    caretBefore = form_.SMemo.caretPosition;
  }
  // A handler that runs while the tab bar switches pages (a table losing the
  // focus as its page is hidden) must not put the old page back.
  if (depth_ == 0 && pages_ != nullptr) form_.activePage = pages_->currentIndex();
  const int pageBefore = form_.activePage;
  if (depth_ == 0)
    for (GridView* grid : grids_)
      if (grid != nullptr) grid->HoldEditors();
  ++depth_;
  const Outcome outcome = handler();
  --depth_;
  if (depth_ == 0) {
    for (GridView* grid : grids_)
      if (grid != nullptr) grid->ReleaseEditors();
    Refresh(form_.SMemo.caretPosition != caretBefore, form_.activePage != pageBefore);
    if (form_.closeRequested) {
      form_.closeRequested = false;
      close();
    }
  }
  return outcome;
}

void TQVForm::RefreshFromForm() {
  Refresh(false, true);
}

void TQVForm::RefreshCaptions() {
  qtLanguage_.Use(form_.LanguageLocale());
  const QString title = FromUtf8(form_.Caption);
  if (windowTitle() != title) setWindowTitle(title);
  for (ButtonBinding& binding : buttons_) {
    QPushButton* button = binding.widget;
    const Button& state = *binding.state;
    const QString caption = FromUtf8(state.caption);
    if (button->text() != caption) button->setText(caption);
    if (button->isEnabled() != state.enabled) button->setEnabled(state.enabled);
    if (button->isHidden() == state.visible) button->setVisible(state.visible);
    const bool red = form_.CaptionRed(state);
    if (binding.red != red) {
      QPalette palette = button->palette();
      palette.setColor(
          QPalette::ButtonText,
          red ? QColor(Qt::red) : QApplication::palette(button).color(QPalette::ButtonText));
      button->setPalette(palette);
      binding.red = red;
    }
  }
  for (const ActionBinding& binding : actions_) {
    const QString caption = FromUtf8(binding.state->caption);
    if (binding.widget->text() != caption) binding.widget->setText(caption);
    if (binding.widget->isEnabled() != binding.state->enabled)
      binding.widget->setEnabled(binding.state->enabled);
    if (binding.widget->isVisible() != binding.state->visible)
      binding.widget->setVisible(binding.state->visible);
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

void TQVForm::RefreshWhileBusy() {
  RefreshCaptions();
  for (GridView* grid : grids_)
    if (grid != nullptr) grid->SyncFromGrid();
}

void TQVForm::Refresh(bool caretMovedByHandler, bool pageChosenByForm) {
  RefreshCaptions();

  {
    const QSignalBlocker blocker(pages_);
    const TabSheet* sheets[] = {&form_.TabSheet1, &form_.TabSheet2, &form_.TabSheet3,
                                &form_.TabSheet4};
    for (int i = 0; i < 4; ++i) {
      const QString caption = FromUtf8(sheets[i]->caption);
      if (pages_->tabText(i) != caption) pages_->setTabText(i, caption);
    }
    if (pageChosenByForm && pages_->currentIndex() != form_.activePage && form_.activePage >= 0 &&
        form_.activePage < 4)
      pages_->setCurrentIndex(form_.activePage);
  }

  for (GridView* grid : grids_) grid->SyncFromGrid();
  viewPage_->Sync(SelectedElements());

  const std::pair<QSpinBox*, const SpinEdit*> spins[] = {
      {lodSpinEdit_, &form_.LODSpinEdit},
      {lodCountSpinEdit_, &form_.LODAnzSpinEdit},
      {vertLimitSpinEdit_, &form_.VertLimitSpinEdit}};
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
    case FocusRequest::DeltaPointsEdit:
    case FocusRequest::DeltaNormalsEdit:
      pages_->setCurrentWidget(findChild<QWidget*>(QStringLiteral("TabSheet3")));
      findChild<QLineEdit*>(form_.focusRequest == FocusRequest::DeltaPointsEdit
                                ? QStringLiteral("DeltaPointsEdit")
                                : QStringLiteral("DeltaNormalsEdit"))
          ->setFocus(Qt::OtherFocusReason);
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
