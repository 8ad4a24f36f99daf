#include "assignment/VertexLimit.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <string_view>

#include "assignment/TableColumns.h"

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

// The sub-object a cell names by the membership rule's comparison of texts:
// a plain decimal number without sign or leading zeros.
std::optional<int> NamedSubobject(std::string_view cell, int subobjects) {
  if (cell.empty() || cell.size() > 9 || cell[0] < '1' || cell[0] > '9') return std::nullopt;
  int value = 0;
  for (char c : cell) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > subobjects) return std::nullopt;
  return value;
}

}  // namespace

std::vector<int> SubobjectVertexCounts(const StringGrid& elementTable, const ShapeIndex& index,
                                       int lod, int subobjects) {
  subobjects = std::max(subobjects, 0);
  const auto sets = static_cast<std::size_t>(std::clamp(index.VertexSetCount, 0, kShapeIndexSize));
  // Which sets each sub-object selects; row 0 stands for the sets of the
  // elements that go into every sub-object.
  std::vector<std::vector<char>> selected(static_cast<std::size_t>(subobjects) + 1,
                                          std::vector<char>(sets, 0));
  const int rows = std::clamp(elementTable.RowCount() - 1, 0, kShapeIndexSize);
  const int column = AssignmentColumn(lod);
  for (int row = 1; row <= rows; ++row) {
    const int set = index.ElementVtxStates[static_cast<std::size_t>(row - 1)];
    if (set < 0 || static_cast<std::size_t>(set) >= sets) continue;
    const std::string& cell = elementTable.Cell(column, row);
    if (cell == "0") {
      selected[0][static_cast<std::size_t>(set)] = 1;
    } else if (const auto subobject = NamedSubobject(cell, subobjects)) {
      selected[static_cast<std::size_t>(*subobject)][static_cast<std::size_t>(set)] = 1;
    }
  }

  // The same walk as for a single count: a set counts when the vertices
  // removed before it leave it a shift of zero or more.
  std::vector<int> counts(static_cast<std::size_t>(subobjects), 0);
  for (int subobject = 1; subobject <= subobjects; ++subobject) {
    const std::vector<char>& own = selected[static_cast<std::size_t>(subobject)];
    long long removed = 0;
    long long vertices = 0;
    for (std::size_t set = 0; set < sets; ++set) {
      const int count = index.VertexSets[set].vertexCount;
      if (own[set] == 0 && selected[0][set] == 0) {
        removed += count;
      } else if (std::clamp<long long>(removed, INT_MIN, INT_MAX) >= 0) {
        vertices += count;
      }
    }
    counts[static_cast<std::size_t>(subobject - 1)] =
        static_cast<int>(std::clamp<long long>(vertices, INT_MIN, INT_MAX));
  }
  return counts;
}

std::optional<OversizedSubobjects> FindOversizedSubobjects(const StringGrid& elementTable,
                                                           const ShapeIndex& index, int lodCount,
                                                           int subobjects, int limit) {
  OversizedSubobjects found;
  for (int lod = 1; lod <= lodCount; ++lod) {
    const std::vector<int> counts = SubobjectVertexCounts(elementTable, index, lod, subobjects);
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
