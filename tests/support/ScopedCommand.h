// A command of the test's own in the window's command table, or a verb in the
// session's, for as long as it lives: what a new command costs is this row
// and nothing else.
#pragma once
#include <algorithm>
#include <string>

#include "form/Commands.h"
#include "form/Form.h"
#include "session/Verbs.h"

namespace quarvel::testing {

template <typename Row, std::vector<Row>& (*Table)()>
class ScopedRow {
 public:
  explicit ScopedRow(Row row) : name_(row.name) { Table().push_back(std::move(row)); }
  ~ScopedRow() {
    auto& table = Table();
    table.erase(std::remove_if(table.begin(), table.end(),
                               [this](const Row& row) { return row.name == name_; }),
                table.end());
  }
  ScopedRow(const ScopedRow&) = delete;
  ScopedRow& operator=(const ScopedRow&) = delete;

 private:
  std::string name_;
};

using ScopedCommand = ScopedRow<Command, CommandTable>;
// A verb of the test's own in the session's table for as long as it lives.
using ScopedVerb = ScopedRow<Verb, VerbTable>;

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
