// The operations a script can ask for by name: the command line's `--do`.
// Adding one is a row here.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "session/Session.h"

namespace quarvel {

struct Verb {
  std::string name;
  std::function<Outcome(Session&)> run;
  // Whether the session allows it now (always, when left out).
  std::function<bool(const Session&)> available{};
  // Why not, as a modeller reads it.
  Text unavailable{};
};

// In the order of the window's command panel. Tests may add a row.
std::vector<Verb>& VerbTable();
const Verb* FindVerb(const std::string& name);

}  // namespace quarvel
