#pragma once
#include <optional>
#include <string>

#include "assignment/StringGrid.h"

namespace quarvel {

// The LOD count and the distance of each LOD, and the tables that follow the
// count. None of these erase a cell: lowering the count and raising it again
// brings back the distances and assignment columns the user had.

inline constexpr int kMinLodDistance = 1;
inline constexpr int kMaxLodDistance = 2000;
inline constexpr const char* kNewLodDistance = "2000";

// Gives the distance table `lodCount` data rows (counts of 100 and more leave
// the size alone), numbers them and fills every empty distance with "2000".
void ResizeDistanceTable(StringGrid& distances, int lodCount);

// Gives the element, sub-object and summary tables their columns and rows for
// `lodCount` LODs: headers "L n", empty assignment cells of the element rows
// set to "1", and the summary's numbers and distances copied from `distances`.
void ApplyLodCountToTables(int lodCount, const StringGrid& distances, StringGrid& elements,
                           StringGrid& subobjects, StringGrid& summary);

// How a distance typed into the table is judged, keystroke by keystroke.
struct DistanceEntry {
  bool accepted = true;  // false: the cell has to be emptied with a warning
  // The text the summary shows for it: the value read, or "" when the entry
  // is empty or refused.
  std::string summaryText;
};
DistanceEntry CheckDistanceEntry(const std::string& text);

// The first data row whose distance is empty, if any.
std::optional<int> FirstEmptyDistanceRow(const StringGrid& distances);

}  // namespace quarvel
