// The analysis of a shape: one pass from top to bottom that collects its
// matrices, images, textures, vertex states, elements (prim_states), the
// vertex sets and primitives of its first sub-object, and fills the element
// and matrix tables from them.
#pragma once
#include <functional>
#include <string>

#include "plan/Plan.h"
#include "shape/ShapeIndex.h"
#include "shape/ShapeText.h"

namespace quarvel {

// Called with each warning at the moment the analysis meets it: the shape has
// `count` distance levels, or `count` sub-objects in its first, more than
// one. The window shows the warning and disables the generation.
enum class AnalysisWarningKind { DistanceLevels, Subobjects };
using AnalysisWarning = std::function<void(AnalysisWarningKind kind, const std::string& count)>;

// Starts from an empty `index` (an empty text changes nothing at all) and
// writes the element and matrix rows of `tables`; the plan is not touched. Throws quarvel::Error
// when the shape has no element, more entries than the index holds, an index outside it, a
// primitive whose matrix lies beyond the matrix table, or a number that does not read as an integer
// (ConvertError). Whatever was filled before the failure stays.
void AnalyseShape(const ShapeText& text, ShapeIndex& index, ShapeTables& tables,
                  const AnalysisWarning& warn);

}  // namespace quarvel
