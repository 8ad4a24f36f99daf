// The check of a whole shape text against what the simulator needs to load
// it: every block as the grammar has it (types, counts, children), every
// index within the table it refers to, and the warnings of layouts loaders
// are known to trip over. One pass over the text, memory for the tables only.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "format/ShapeProblem.h"
#include "ports/Texts.h"

namespace quarvel {

// Every problem of the shape, in the order of their lines. Problems of one
// kind that repeat (the same damage in thousands of vertices) are listed
// twenty times and then summed up in one more entry of that kind.
// The messages are in the language of `texts`.
std::vector<ShapeProblem> CheckShape(const std::vector<std::string>& lines,
                                     const TextSource& texts);

// The first error of CheckShape, or nullopt when there is none.
std::optional<ShapeProblem> FirstShapeError(const std::vector<std::string>& lines,
                                            const TextSource& texts);

}  // namespace quarvel
