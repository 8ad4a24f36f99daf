#include "assignment/LodLevels.h"

#include "common/Convert.h"

namespace quarvel {

void FillEmptyDistances(Plan& plan, int lods) {
  for (int lod = 1; lod <= lods; ++lod)
    if (plan.distances[lod].empty()) plan.distances.Set(lod, kNewLodDistance);
}

void ApplyLodCount(Plan& plan, PlanSummary& summary, int elements, int lodCount) {
  summary.lods.SetCount(lodCount);
  const SubobjectChoice first(1);
  for (int lod = 1; lod <= lodCount; ++lod) {
    for (int row = 1; row <= elements; ++row)
      if (plan.Choice(row, lod).Empty()) plan.SetChoice(row, lod, first);
    LodLine& line = summary.lods.At(lod);
    line.number = lod;
    line.distance = plan.distances[lod];
  }
}

DistanceEntry CheckDistanceEntry(const std::string& text) {
  if (text.empty()) return {true, ""};
  const int value = TryStrToInt(text).value_or(-1);
  if (value < kMinLodDistance || value > kMaxLodDistance) return {false, ""};
  return {true, IntToStr(value)};
}

std::optional<int> FirstEmptyDistance(const Plan& plan, int lods) {
  for (int lod = 1; lod <= lods; ++lod)
    if (plan.distances[lod].empty()) return lod;
  return std::nullopt;
}

}  // namespace quarvel
