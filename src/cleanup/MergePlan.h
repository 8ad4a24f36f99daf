#pragma once
#include <cstddef>

#include "cleanup/MergeTable.h"

namespace quarvel {

// Decides for entries 0..count-1 of `table` (their coordinates read) which
// stay and which merge, and returns how many stay. An entry merges into the
// nearest earlier index that matches it (see Matches) and takes that entry's
// new index, so a chain of merges ends at the entry that stayed; the entries
// that stay are numbered in order from 0. A negative tolerance, or one that is
// no number, matches nothing.
//
// The earlier entries are found through a grid of cells a few tolerances
// wide, searched newest index first, so the work grows with the entries near
// each one instead of with all earlier ones; tolerance 0 looks up equal
// coordinates directly.
int PlanMerge(MergeTable& table, std::size_t count, long double tolerance, MergeKind kind);

// After a plan of entries 0..count-1: how far the entry that moves farthest
// is from the one it merges into. A chain of merges can take an entry
// several tolerances away, which the user is told before the merge.
long double FarthestMove(const MergeTable& table, std::size_t count);

// The same decision by comparing every entry with all earlier ones, nearest
// index first: the reference the grid is measured and tested against.
int PlanMergeByScan(MergeTable& table, std::size_t count, long double tolerance, MergeKind kind);

}  // namespace quarvel
