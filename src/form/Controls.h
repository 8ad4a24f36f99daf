#pragma once
#include <string>
#include <vector>

namespace quarvel {

// The state of the window's controls that the handlers read and write. The Qt
// window shows exactly this; the tests look at it as the user would.

struct Button {
  std::string caption;
  bool enabled = true;
  bool visible = true;
};

struct Label {
  std::string caption;
  bool visible = true;
};

struct Edit {
  std::string text;
  bool enabled = true;
};

struct SpinEdit {
  int value = 1;
  int minValue = 1;
  int maxValue = 99;
  bool enabled = true;
};

struct ComboBox {
  std::vector<std::string> items;
  int itemIndex = -1;  // -1: nothing selected
};

struct TabSheet {
  std::string caption;
};

struct TextView {
  bool visible = true;
  // While attached, every change of the shape text runs SMemoChange.
  bool changeNotificationAttached = true;
  // Caret as a character offset into the text with two characters per line end.
  std::size_t caretPosition = 0;
};

// Which control the window should give the keyboard focus to after a handler.
enum class FocusRequest { None, StringGrid4, SMemo, SucheEdit, DeltaPointsEdit, DeltaNormalsEdit };

}  // namespace quarvel
