#pragma once
#include <cstddef>
#include <string>

namespace quarvel {

enum class ProblemKind { Error, Warning };

// A problem of a shape text: its line (the index in the text, 0 the first),
// how bad it is, and what is wrong, in UTF-8 without the line.
struct ShapeProblem {
  std::size_t line = 0;
  ProblemKind kind = ProblemKind::Error;
  std::string message;
};

}  // namespace quarvel
