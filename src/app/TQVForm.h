// The program's window: shows the state of the headless Form and forwards
// every event to the Form's handler of the same name. It holds no rule of its
// own; after each handler it shows the Form's state again.
#pragma once
#include <QWidget>
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "app/QtLanguage.h"
#include "form/Commands.h"
#include "form/Form.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace quarvel {

class GridView;
class ViewPage;
class ShapeTextView;

class TQVForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 989;
  static constexpr int kClientHeight = 604;

  // The program's window over the system's own dialogs, system information
  // and simulator registry.
  explicit TQVForm(QWidget* parent = nullptr);
  // The window over ports of the caller's choosing (tests script the dialogs).
  explicit TQVForm(FormPorts ports, QWidget* parent = nullptr);
  ~TQVForm() override;

  Form& form() { return form_; }

  // Runs `handler` as an event of the window does: through Form::Run (an
  // error becomes a message box), then the widgets show the Form's state.
  template <typename Handler>
  Outcome Run(Handler&& handler) {
    return RunHandler([&]() -> Outcome { return form_.Run(handler); });
  }
  // Shows the Form's whole state (after the Form was changed directly).
  void RefreshFromForm();

  ShapeTextView& textView() const { return *memo_; }
  // StringGrid1 .. StringGrid5.
  GridView& grid(int number) const { return *grids_.at(static_cast<std::size_t>(number - 1)); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct OwnedPorts;
  struct ButtonBinding {
    QPushButton* widget;
    Button* state;
    bool red = false;
  };
  struct ActionBinding {
    QAction* widget;
    Button* state;
  };
  struct LabelBinding {
    QLabel* widget;
    Label* state;
  };
  struct EditBinding {
    QLineEdit* widget;
    Edit* state;
  };
  struct ExitBinding {
    QWidget* widget;
    std::function<void()> handler;
  };
  enum LabelStyle { Plain = 0, Wrap = 1, Right = 2, Centre = 4, Bold = 8, Red = 16 };

  TQVForm(std::unique_ptr<OwnedPorts> owned, QWidget* parent);
  Outcome RunHandler(const std::function<Outcome()>& handler);
  void Build();
  void BuildCommandPanel();
  void BuildStatusPanel();
  void BuildAssignmentPage(QWidget* page);
  void BuildTextPage(QWidget* page);
  void BuildSettingsPage(QWidget* page);
  void BuildViewPage();
  // The elements (from 0) the view lights: the one last chosen.
  std::vector<int> SelectedElements() const;
  void SetKeyboardOrder();
  void FitInterfaceFont();

  QPushButton* MakeCommandButton(QWidget* parent, const Command& command);
  // The buttons of the command table's rows for `area`.
  void MakeCommandButtons(QWidget* parent, Area area);
  // The entries of the command table's rows for `area` in `owner`'s context menu.
  void MakeCommandActions(QWidget* owner, Area area);
  QLabel* MakeLabel(QWidget* parent, const char* name, Label& state, QRect geometry,
                    int style = Plain);
  QLineEdit* MakeEdit(QWidget* parent, const char* name, Edit& state, QRect geometry);
  // With `typed`, the value can be typed as well: the text reaches `typed`
  // when the user presses Enter or leaves the box.
  QSpinBox* MakeSpinEdit(QWidget* parent, const char* name, QRect geometry,
                         void (Form::*change)(int),
                         void (Form::*typed)(const std::string&) = nullptr);
  GridView* MakeGrid(QWidget* parent, const char* name, StringGrid& grid, QRect geometry,
                     bool editable, std::function<bool(int, int)> selectCell,
                     std::function<void(int, int, const std::string&)> setEditText,
                     std::function<void()> editCommitted = {});

  void Refresh(bool caretMovedByHandler, bool pageChosenByForm);
  // What a long command shows while it lets events run: captions, labels,
  // enabled states, the visibility of the text view.
  void RefreshCaptions();
  // The captions and the tables, for a window that shows a box or progress
  // while a command runs.
  void RefreshWhileBusy();
  void FocusChanged(QWidget* old, QWidget* now);

  std::unique_ptr<OwnedPorts> owned_;
  QtLanguage qtLanguage_;
  Form form_;
  QMetaObject::Connection focusConnection_;
  int depth_ = 0;  // handlers running (a message box lets events run inside one)
  bool destroyed_ = false;

  QTabWidget* pages_ = nullptr;
  QFrame* panel2_ = nullptr;
  QFrame* panel3_ = nullptr;
  std::array<GridView*, 5> grids_{};
  ViewPage* viewPage_ = nullptr;
  // The element last chosen in the table or the view (from 0), in the text
  // of that revision.
  int chosenElement_ = -1;
  std::uint64_t chosenRevision_ = 0;
  ShapeTextView* memo_ = nullptr;
  QSpinBox* lodSpinEdit_ = nullptr;
  QSpinBox* lodCountSpinEdit_ = nullptr;
  QSpinBox* vertLimitSpinEdit_ = nullptr;
  QComboBox* languageBox_ = nullptr;
  std::vector<ButtonBinding> buttons_;
  std::vector<ActionBinding> actions_;
  std::vector<LabelBinding> labels_;
  std::vector<EditBinding> edits_;
  std::vector<ExitBinding> exits_;
  std::vector<QWidget*> keyboard_;  // every control the keyboard reaches
};

}  // namespace quarvel
