#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace quarvel {
class Session;
}

namespace quarvel::cli {

// The session's tables and plan as a person reads them, with the warnings the
// analysis showed and the vertices of every sub-object in every LOD (a count
// above the vertex limit marked).
void PrintInfo(std::ostream& out, Session& session, const std::vector<std::string>& warnings);
// The same as one JSON object on one line, naming `file`.
void PrintInfoJson(std::ostream& out, Session& session, const std::vector<std::string>& warnings,
                   const std::string& file);

}  // namespace quarvel::cli
