#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace quarvel {
class Form;
}

namespace quarvel::cli {

// The tables of the form as a person reads them, with the warnings the
// analysis showed.
void PrintInfo(std::ostream& out, const Form& form, const std::vector<std::string>& warnings);
// The same as one JSON object.
void PrintInfoJson(std::ostream& out, const Form& form, const std::vector<std::string>& warnings);

}  // namespace quarvel::cli
