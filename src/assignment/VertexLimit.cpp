#include "assignment/VertexLimit.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <string_view>

namespace quarvel {

int ClampVertexLimit(long long limit) {
  return static_cast<int>(std::clamp<long long>(limit, kLowestVertexLimit, kIndexableVertices));
}

CellEmphasis VertexCountEmphasis(long long vertices, int limit) {
  if (vertices > kIndexableVertices) return CellEmphasis::BeyondIndexRange;
  if (vertices > limit) return CellEmphasis::OverLimit;
  return CellEmphasis::None;
}

namespace {

// The sub-object an entry names by the membership rule: its plain number.
std::optional<int> NamedSubobject(const SubobjectChoice& choice, int subobjects) {
  const std::optional<int> value = choice.PlainNumber();
  if (!value || *value < 1 || *value > subobjects) return std::nullopt;
  return value;
}

int ClampToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

std::vector<int> SubobjectVertexCounts(const Plan& plan, int elements, const ShapeIndex& index,
                                       int lod, int subobjects) {
  subobjects = std::max(subobjects, 0);
  const auto sets = static_cast<std::size_t>(std::clamp(index.VertexSetCount, 0, kShapeIndexSize));
  const auto vertices = [&](std::size_t set) { return index.VertexSets[set].vertexCount; };
  // The sets of the elements in every sub-object, and each other element's
  // sub-object and set.
  std::vector<char> every(sets, 0);
  std::vector<std::pair<int, std::size_t>> members;
  const int rows = std::clamp(elements, 0, kShapeIndexSize);
  for (int row = 1; row <= rows; ++row) {
    const int set = index.ElementVtxStates[static_cast<std::size_t>(row - 1)];
    if (set < 0 || static_cast<std::size_t>(set) >= sets) continue;
    const SubobjectChoice& cell = plan.Choice(row, lod);
    if (cell.InEverySubobject()) {
      every[static_cast<std::size_t>(set)] = 1;
    } else if (const auto subobject = NamedSubobject(cell, subobjects)) {
      members.emplace_back(*subobject, static_cast<std::size_t>(set));
    }
  }
  std::sort(members.begin(), members.end());
  members.erase(std::unique(members.begin(), members.end()), members.end());

  std::vector<int> counts(static_cast<std::size_t>(subobjects), 0);
  bool negative = false;
  long long base = 0;
  for (std::size_t set = 0; set < sets; ++set) {
    negative = negative || vertices(set) < 0;
    if (every[set] != 0) base += vertices(set);
  }
  if (!negative) {
    // Nothing removed can be negative: every selected set counts.
    std::vector<long long> sums(static_cast<std::size_t>(subobjects), base);
    for (const auto& [subobject, set] : members)
      if (every[set] == 0) sums[static_cast<std::size_t>(subobject - 1)] += vertices(set);
    std::transform(sums.begin(), sums.end(), counts.begin(), ClampToInt);
    return counts;
  }
  // A damaged count: the same walk as for a single count, where a set counts
  // only when the vertices removed before it leave it a shift of zero or more.
  for (int subobject = 1; subobject <= subobjects; ++subobject) {
    std::vector<char> selected = every;
    for (const auto& [owner, set] : members)
      if (owner == subobject) selected[set] = 1;
    long long removed = 0;
    long long sum = 0;
    for (std::size_t set = 0; set < sets; ++set) {
      if (selected[set] == 0) {
        removed += vertices(set);
      } else if (ClampToInt(removed) >= 0) {
        sum += vertices(set);
      }
    }
    counts[static_cast<std::size_t>(subobject - 1)] = ClampToInt(sum);
  }
  return counts;
}

std::optional<OversizedSubobjects> FindOversizedSubobjects(const Plan& plan, int elements,
                                                           const ShapeIndex& index, int lodCount,
                                                           int subobjects, int limit) {
  OversizedSubobjects found;
  for (int lod = 1; lod <= lodCount; ++lod) {
    const std::vector<int> counts = SubobjectVertexCounts(plan, elements, index, lod, subobjects);
    for (std::size_t i = 0; i < counts.size(); ++i) {
      if (counts[i] <= limit) continue;
      ++found.count;
      if (counts[i] > found.vertices)
        found = {lod, static_cast<int>(i) + 1, counts[i], found.count};
    }
  }
  if (found.count == 0) return std::nullopt;
  return found;
}

}  // namespace quarvel
