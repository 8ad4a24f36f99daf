// The element plan: for every element and every LOD, the sub-object the
// element goes into. The rules here keep the plan's entries valid, evaluate
// it into vertex counts per sub-object and faces per LOD, and fill, copy and
// shift it in bulk.
#pragma once
#include <string>
#include <string_view>

#include "plan/Plan.h"
#include "shape/ShapeIndex.h"

namespace quarvel {

// The element rows that take part in the plan: those the index has room for
// (the analysis never makes more).
int PlannedElements(const ShapeTables& tables);

// The vertices of sub-object `subobject` of LOD `lod`: every vertex set used
// by one of its elements counts once. Leaves in `index.VertexShift`, per
// vertex set, -1 for a set left out and otherwise the number of vertices of
// the sets left out before it (what its vertex indices fall by).
int SubobjectVertexCount(const Plan& plan, int elements, ShapeIndex& index, int lod, int subobject);

// Re-evaluates the plan: the faces of every LOD into the summary, one
// sub-object line per number up to the highest one in use (at least one) with
// its vertices in LOD `shownLod`. An entry that does not read as a value of
// the plan stops it silently and leaves a single empty sub-object line.
void RefreshAssignment(const ShapeTables& tables, const Plan& plan, PlanSummary& summary,
                       ShapeIndex& index, int shownLod);

// The checks made at every keystroke: a plan entry, a sort or animation
// mark, and the number the "Do!" fill puts into a whole LOD.
bool IsAcceptedAssignmentEntry(std::string_view text);
bool IsAcceptedMark(std::string_view text);
bool IsAcceptedFillNumber(std::string_view text);

// Every element's entry of LOD `lod` := `choice`.
void FillLod(Plan& plan, int elements, int lod, const SubobjectChoice& choice);
// Every element's entry of LOD `toLod` := its entry of LOD `fromLod`.
void CopyLod(Plan& plan, int elements, int fromLod, int toLod);

// An element was added at `focusedRow`: the entries of LODs 1..`lodCount`
// from that row on move one row down (the last row's values are lost) and
// the focused row is emptied.
void ShiftAssignmentDown(Plan& plan, int elements, int focusedRow, int lodCount);
// The element of `focusedRow` was removed: the entries below it move one row
// up (the focused row's values are lost) and the last row is emptied.
void ShiftAssignmentUp(Plan& plan, int elements, int focusedRow, int lodCount);

// The default plan: every element in sub-object 1 of LODs 1..`lodCount`, no
// sort marks. Entries of LODs beyond `lodCount` and marks of sub-objects not
// shown are emptied as well, so that nothing of an earlier plan (or an
// earlier shape) shows again when the LOD count or the sub-objects grow.
void ResetAssignment(Plan& plan, PlanSummary& summary, int elements, int lodCount);

}  // namespace quarvel
