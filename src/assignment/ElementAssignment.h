// The element plan: for every element and every LOD, the sub-object the
// element goes into. The rules here keep the plan's cells valid, evaluate it
// into vertex counts per sub-object and faces per LOD, and fill, copy and
// shift it in bulk. All of them work on the window's tables as they stand.
#pragma once
#include <string>
#include <string_view>

#include "assignment/StringGrid.h"
#include "assignment/TableColumns.h"
#include "shape/ShapeIndex.h"

namespace quarvel {

// The values an assignment cell may hold: a sub-object number, "every
// sub-object" or "not in this LOD".
inline constexpr int kEverySubobject = 0;
inline constexpr int kHighestSubobject = 99;
inline constexpr int kNotInLod = 999;
inline constexpr int kHighestLod = 99;

// Whether element row `row` belongs to sub-object `subobject` of LOD `lod`.
// A comparison of texts: the cell must read "0" or the plain decimal number,
// so "05" belongs to no sub-object although it passes the entry check.
bool InSubobject(const StringGrid& elementTable, int row, int lod, int subobject);

// The vertices of sub-object `subobject` of LOD `lod`: every vertex set used
// by one of its elements counts once. Leaves in `index.VertexShift`, per
// vertex set, -1 for a set left out and otherwise the number of vertices of
// the sets left out before it (what its vertex indices fall by).
int SubobjectVertexCount(const StringGrid& elementTable, ShapeIndex& index, int lod, int subobject);

struct AssignmentTables {
  StringGrid& elements;
  StringGrid& subobjects;
  StringGrid& lodSummary;
};

// Re-evaluates the plan: the faces of every LOD into the summary, one
// sub-object row per number up to the highest one in use (at least one) with
// its vertices in LOD `shownLod`. A cell that does not read as a value of the
// plan stops it silently and leaves a single empty sub-object row.
void RefreshAssignment(const AssignmentTables& tables, ShapeIndex& index, int lodCount,
                       int shownLod);

// The checks made at every keystroke: an assignment cell, a sort or
// animation mark, and the number the "Do!" fill puts into a whole column.
bool IsAcceptedAssignmentEntry(std::string_view text);
bool IsAcceptedMark(std::string_view text);
bool IsAcceptedFillNumber(std::string_view text);

// Every element's cell of LOD `lod` := `text`.
void FillLodColumn(StringGrid& elementTable, int lod, const std::string& text);
// Every element's cell of LOD `toLod` := its cell of LOD `fromLod`.
void CopyLodColumn(StringGrid& elementTable, int fromLod, int toLod);

// An element was added at `focusedRow`: the assignment cells of LODs
// 1..`lodCount` from that row on move one row down (the last row's values
// are lost) and the focused row is emptied.
void ShiftAssignmentDown(StringGrid& elementTable, int focusedRow, int lodCount);
// The element of `focusedRow` was removed: the assignment cells below it
// move one row up (the focused row's values are lost) and the last row is
// emptied.
void ShiftAssignmentUp(StringGrid& elementTable, int focusedRow, int lodCount);

// The default plan: every element in sub-object 1 of LODs 1..`lodCount`, no
// sort marks. Cells of LODs beyond `lodCount` and of sub-object rows not
// shown are emptied as well, so that nothing of an earlier plan (or an
// earlier shape) shows again when the LOD count or the sub-object rows grow.
void ResetAssignment(StringGrid& elementTable, StringGrid& subobjectTable, int lodCount);

}  // namespace quarvel
