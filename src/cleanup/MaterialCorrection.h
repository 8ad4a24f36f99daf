#pragma once
#include "plan/Plan.h"
#include "shape/ShapeIndex.h"
#include "shape/ShapeText.h"

namespace quarvel {

// Corrects the light materials a modelling tool writes the wrong way round:
// a vertex state "-6" becomes "-7" when an element drawn with it has
// "loshine" in its name, and "-7" becomes "-6" for "hishine" (any letter
// case), each state line at most once. When any state has a light material
// other than "-5", every later "sub_object_header" whose flags are 400 or
// more gets its hundreds digit lowered by 4; flags whose hundreds digit is
// below 4 are left alone. Element k is row k + 1 of the element table and
// uses vertex state `index.ElementVtxStates[k]`.
// Throws ConvertError when such flags are no decimal integer; the lines
// changed until then stay changed.
void CorrectMaterials(ShapeText& text, const ShapeTables& tables, int elementCount,
                      const ShapeIndex& index);

}  // namespace quarvel
