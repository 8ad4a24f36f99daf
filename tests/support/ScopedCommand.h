// A command of the test's own in the window's command table for as long as
// it lives: what a new command costs is this row and nothing else.
#pragma once
#include <algorithm>
#include <string>

#include "form/Commands.h"
#include "form/Form.h"
#include "session/Verbs.h"

namespace quarvel::testing {

class ScopedCommand {
 public:
  explicit ScopedCommand(Command command) : name_(command.name) {
    CommandTable().push_back(std::move(command));
  }
  ~ScopedCommand() {
    auto& table = CommandTable();
    table.erase(std::remove_if(table.begin(), table.end(),
                               [this](const Command& command) { return command.name == name_; }),
                table.end());
  }
  ScopedCommand(const ScopedCommand&) = delete;
  ScopedCommand& operator=(const ScopedCommand&) = delete;

 private:
  std::string name_;
};

// A verb of the test's own in the session's table for as long as it lives.
class ScopedVerb {
 public:
  explicit ScopedVerb(Verb verb) : name_(verb.name) { VerbTable().push_back(std::move(verb)); }
  ~ScopedVerb() {
    auto& table = VerbTable();
    table.erase(std::remove_if(table.begin(), table.end(),
                               [this](const Verb& verb) { return verb.name == name_; }),
                table.end());
  }
  ScopedVerb(const ScopedVerb&) = delete;
  ScopedVerb& operator=(const ScopedVerb&) = delete;

 private:
  std::string name_;
};

// A dummy command: its button state and how often it ran.
struct DummyCommand {
  static Button& State() {
    static Button button;
    return button;
  }
  static int& Runs() {
    static int runs = 0;
    return runs;
  }
  // In the status panel, left of "Weg hier!", and captioned with that
  // button's language text (11) so that a language switch shows.
  static Command Row() {
    return {.name = "DummyButton",
            .control = [](Form&) -> Button& { return State(); },
            .handler =
                [](Form&) {
                  ++Runs();
                  return Outcome::Done();
                },
            .builtInCaption = "Dummy",
            .caption = 11,
            .place = {Area::StatusPanel, 680, 13, 145, 25}};
  }
};

}  // namespace quarvel::testing
