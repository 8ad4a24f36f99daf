// How many vertices a sub-object may hold, and how the tables point out the
// sub-objects and LODs that hold more. The older simulator draws sub-objects
// wrongly from about 14000 vertices on; no simulator can index more than
// 65535 vertices in one sub-object, whose primitives use 16-bit indices.
#pragma once
#include <optional>
#include <vector>

#include "plan/Plan.h"
#include "shape/ShapeIndex.h"

namespace quarvel {

inline constexpr int kDefaultVertexLimit = 14000;
inline constexpr int kLowestVertexLimit = 1000;
// The most vertices 16-bit indices reach: a hard limit of every simulator.
inline constexpr int kIndexableVertices = 65535;

// A limit from the program INI or the command line, brought into the range
// the settings page offers.
int ClampVertexLimit(long long limit);

// How a table cell is to be drawn: plain, red (above the limit) or red and
// bold (above what 16-bit indices reach).
enum class CellEmphasis { None, OverLimit, BeyondIndexRange };

CellEmphasis VertexCountEmphasis(long long vertices, int limit);

// The vertices of sub-objects 1..`subobjects` of LOD `lod`, each exactly as
// SubobjectVertexCount counts it, in one pass over the plan (element k of
// the result is sub-object k + 1). Leaves VertexShift alone.
std::vector<int> SubobjectVertexCounts(const Plan& plan, int elements, const ShapeIndex& index,
                                       int lod, int subobjects);

// The sub-objects above `limit` in LODs 1..`lodCount`, sub-objects
// 1..`subobjects`: the one with the most vertices (the first of them when
// several have as many) and how many there are.
struct OversizedSubobjects {
  int lod = 0;
  int subobject = 0;
  int vertices = 0;
  int count = 0;
};
std::optional<OversizedSubobjects> FindOversizedSubobjects(const Plan& plan, int elements,
                                                           const ShapeIndex& index, int lodCount,
                                                           int subobjects, int limit);

}  // namespace quarvel
