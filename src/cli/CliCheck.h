#pragma once
#include <iosfwd>
#include <string>

#include "ports/Texts.h"

namespace quarvel::cli {

// `quarvel-cli SHAPE --check`: reads SHAPE (whose mark the caller has
// checked) and prints every problem CheckShape finds, one per line as
// "LINE: error: message" or "LINE: warning: message", or with `json` as one
// array of {"line", "severity", "message"} objects. Returns the exit status:
// 1 when there is an error, 0 otherwise, 3 when SHAPE cannot be read.
int RunCheck(const std::string& shape, bool json, const TextSource& texts, std::ostream& out,
             std::ostream& err);

}  // namespace quarvel::cli
