#pragma once
#include <cstddef>
#include <optional>
#include <string>

#include "common/Error.h"
#include "plan/Plan.h"
#include "ports/Texts.h"
#include "shape/ShapeText.h"

namespace quarvel {

// The animation nodes of a shape against the "Anim." marks of the matrix
// table: reading the marks from the text, and deleting the controllers of
// every node whose matrix has lost its mark.

// The line that opens the animation section, when there is one before the
// last line.
std::optional<std::size_t> FindAnimationsLine(const ShapeText& text);

// Sets the animation marks of `plan`: set for every matrix whose node has
// controllers, empty for the others. Without an animation section the marks
// stay as they are and the result is false.
bool ReadAnimationMarks(const ShapeText& text, const ShapeTables& tables, Plan& plan);

struct AnimationCleanup {
  bool sectionFound = false;
  std::size_t cleanedNodes = 0;
  std::size_t deletedLines = 0;
};

// Deletes the controllers of every node whose matrix row (matched ignoring
// case) has no animation mark, and sets the node's controller
// count to 0. Everything is checked before the first line changes: a node
// that two unmarked rows would act on, a count that is not a number, or
// controllers that run past the end refuse, with the text as it was.
Checked<AnimationCleanup> DeleteUnmarkedAnimations(ShapeText& text, const ShapeTables& tables,
                                                   const Plan& plan, const TextSource& texts);

}  // namespace quarvel
