#pragma once
#include <functional>
#include <string>
#include <vector>

#include "form/Controls.h"
#include "ports/Outcome.h"

namespace quarvel {

class Form;

// Where the window puts a command's button: its panel or page and its place
// there in pixels; or an entry of the element table's context menu, in the
// order of the table's rows (no pixels).
enum class Area { CommandPanel, StatusPanel, AssignmentPage, TextPage, ElementTableMenu };
struct Place {
  Area area;
  int x, y, width, height;
};

// One command of the window: everything the window and the language switch
// need to know of it. Adding a command is one row here, its handler and its
// two language texts; a command the command line offers as well is a verb
// of the session's table.
struct Command {
  std::string name;  // the control's name
  std::function<Button&(Form&)> control;
  std::function<Outcome(Form&)> handler;
  std::string builtInCaption;  // what the button says before a language is applied
  int caption = 0;             // its language text; 0 keeps the built-in caption
  Place place;
  bool oncePerText = false;  // enabled by opening and undo, disabled by its own run
  std::string shortcut{};    // such as "Ctrl+O"
};

// The window's commands in the order of their panels. Tests may add a row of
// their own: nothing else needs to learn of a command.
std::vector<Command>& CommandTable();
const Command& FindCommand(const std::string& name);

}  // namespace quarvel
