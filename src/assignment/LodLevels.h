#pragma once
#include <optional>
#include <string>

#include "plan/Plan.h"

namespace quarvel {

// The LOD count and the distance of each LOD, and what follows the count.
// None of these erase an entry: lowering the count and raising it again
// brings back the distances and the LODs' entries the user had.

inline constexpr int kMinLodDistance = 1;
inline constexpr int kMaxLodDistance = 2000;
inline constexpr const char* kNewLodDistance = "2000";

// Every empty distance of LODs 1..`lods` becomes "2000".
void FillEmptyDistances(Plan& plan, int lods);

// What `lodCount` LODs need: empty entries of the elements' LODs 1..lodCount
// become "1", the summary numbers the LODs and shows their distances.
void ApplyLodCount(Plan& plan, PlanSummary& summary, int elements, int lodCount);

// How a distance typed into the table is judged, keystroke by keystroke.
struct DistanceEntry {
  bool accepted = true;  // false: the entry has to be emptied with a warning
  // The text the summary shows for it: the value read, or "" when the entry
  // is empty or refused.
  std::string summaryText;
};
DistanceEntry CheckDistanceEntry(const std::string& text);

// The first of LODs 1..`lods` whose distance is empty, if any.
std::optional<int> FirstEmptyDistance(const Plan& plan, int lods);

}  // namespace quarvel
