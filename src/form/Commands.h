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

// One command of the window: everything the window, the language switch and
// the command line need to know of it. Adding a command is one row here, its
// handler and its two language texts.
struct Command {
  std::string name;  // the control's name
  std::function<Button&(Form&)> control;
  std::function<Outcome(Form&)> handler;
  std::string builtInCaption;  // what the button says before a language is applied
  int caption = 0;             // its language text; 0 keeps the built-in caption
  Place place;
  std::string verb{};        // the command line's name for it ("" when it has none)
  bool oncePerText = false;  // enabled by opening and undo, disabled by its own run
  std::string shortcut{};    // such as "Ctrl+O"
  // What the command line says when the command is not available (its
  // control disabled), as a modeller reads it.
  std::string unavailable{};
};

// The window's commands in the order of their panels. Tests may add a row of
// their own: nothing else needs to learn of a command.
std::vector<Command>& CommandTable();
const Command* FindCommandByVerb(const std::string& verb);
const Command& FindCommand(const std::string& name);

}  // namespace quarvel
