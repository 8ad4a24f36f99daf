#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace quarvel {
class Session;
}

namespace quarvel::cli {

// The session's tables and plan as a person reads them, with the warnings the
// analysis showed.
void PrintInfo(std::ostream& out, const Session& session, const std::vector<std::string>& warnings);
// The same as one JSON object.
void PrintInfoJson(std::ostream& out, const Session& session,
                   const std::vector<std::string>& warnings);

}  // namespace quarvel::cli
