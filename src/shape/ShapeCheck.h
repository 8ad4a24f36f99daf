// The check of a whole shape text against what the simulator needs to load it:
// balanced parentheses, every count equal to its entries, every index within
// the table it refers to, and the warnings of layouts loaders are known to
// trip over. One pass over the text, memory for the structure only.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quarvel {

enum class ProblemKind { Error, Warning };

struct ShapeProblem {
  std::size_t line = 0;  // index of the line (0 is the first)
  ProblemKind kind = ProblemKind::Error;
  std::string message;  // UTF-8, one sentence or two, without the line
};

// Every problem of the shape, in the order of their lines. Problems of one
// kind that repeat (the same damage in thousands of vertices) are listed
// twenty times and then summed up in one more entry of that kind.
std::vector<ShapeProblem> CheckShape(const std::vector<std::string>& lines);

// The first error of CheckShape, or nullopt when there is none.
std::optional<ShapeProblem> FirstShapeError(const std::vector<std::string>& lines);

}  // namespace quarvel
