#pragma once
#include <string>
#include <vector>

#include "common/Error.h"
#include "plan/Plan.h"
#include "ports/Texts.h"
#include "shape/ShapeIndex.h"

namespace quarvel {

// A new plan for one LOD whose every sub-object stays within a vertex limit.
// Elements go in row order, sub-object after sub-object, so that what a
// modeller exported side by side stays in one sub-object.
struct AutoSplitPlan {
  struct OversizedElement {
    int row = 0;             // element row of the element table
    long long vertices = 0;  // its sub-object's vertices with it alone in there
    int subobject = 0;       // the sub-object it was given
  };

  int lod = 1;
  // The new entry of every element row, row 1 first; "0" and "999" stay.
  std::vector<SubobjectChoice> cells;
  // The vertices of sub-objects 1..n, counted as the sub-object table counts
  // them.
  std::vector<long long> vertices;
  // Elements above the limit even alone in a sub-object.
  std::vector<OversizedElement> oversized;
  // Some cell that changes held an entry of the user's own (other than the
  // default "1"): the split asks before it overwrites the LOD.
  bool overwritesEntries = false;
  bool changesCells = false;

  int Subobjects() const { return static_cast<int>(vertices.size()); }
};

// Plans the split of LOD `lod` under `limit`. Elements with "0" (in every
// sub-object) count in each one, and a vertex set that several elements use
// counts once: an element whose set lies in a sub-object already joins that
// one, so no set is written twice. The next sub-object opens when the next
// element with new vertices would take the current one beyond the limit; an
// element that adds no vertices always joins, and one that exceeds the
// limit alone gets a sub-object of its own. Refuses when the "0" elements alone exceed the limit
// or when more than 99 sub-objects would be needed.
Refusal PlanAutoSplit(const ShapeTables& tables, const Plan& plan, const ShapeIndex& index, int lod,
                      int limit, const TextSource& text, AutoSplitPlan& split);

// Writes the split's entries into its LOD.
void ApplyAutoSplit(Plan& plan, const AutoSplitPlan& split);

// What the user is told of the elements above the limit on their own.
std::string OversizedElementsReport(const ShapeTables& tables, const AutoSplitPlan& split,
                                    int limit, const TextSource& text);

}  // namespace quarvel
