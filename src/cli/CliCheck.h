#pragma once
#include <string>

#include "ports/Texts.h"

namespace quarvel::cli {

class ShapeReport;

// `quarvel-cli --check`: reads the report's shape (whose mark the caller has
// checked) and says every problem CheckShape finds on standard output, as
// "SHAPE:LINE: error: message" or "SHAPE:LINE: warning: message", or with
// `json` as one line {"file", "problems": [{"line", "severity",
// "message"}]}. Returns the exit status: 1 when there is an error, 0
// otherwise, 3 when the shape cannot be read.
int RunCheck(bool json, const TextSource& texts, ShapeReport& report);

}  // namespace quarvel::cli
