#include "view/PreviewMesh.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace quarvel::view {

namespace {

std::uint64_t Mixed(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  return h;
}

struct CellKey {
  std::uint32_t x, y, z;
  std::uint64_t key;
  bool operator==(const CellKey&) const = default;
};

struct CellHash {
  std::size_t operator()(const CellKey& c) const {
    return static_cast<std::size_t>(Mixed((static_cast<std::uint64_t>(c.x) << 42) ^
                                          (static_cast<std::uint64_t>(c.y) << 21) ^ c.z ^
                                          Mixed(c.key)));
  }
};

struct Triangle {
  std::uint32_t a, b, c;
  bool operator==(const Triangle&) const = default;
};

struct TriangleHash {
  std::size_t operator()(const Triangle& t) const {
    return static_cast<std::size_t>(Mixed((static_cast<std::uint64_t>(t.a) << 40) ^
                                          (static_cast<std::uint64_t>(t.b) << 20) ^ t.c));
  }
};

}  // namespace

std::vector<std::uint32_t> PreviewIndices(const std::vector<Vec3>& positions,
                                          const std::vector<std::uint64_t>& keys,
                                          const std::vector<std::uint32_t>& indices,
                                          const std::array<Vec3, 2>& box, int cells) {
  float longest = 0;
  for (int a = 0; a < 3; ++a) longest = std::max(longest, box[1][a] - box[0][a]);
  const float cell = longest > 0 ? longest / static_cast<float>(std::max(cells, 1)) : 1;
  const auto cellOf = [&](float v, int a) {
    return static_cast<std::uint32_t>(std::max(0.0f, std::floor((v - box[0][a]) / cell)));
  };
  // The first corner met in a cell stands for all of its corners.
  std::vector<std::uint32_t> standIn(positions.size());
  std::unordered_map<CellKey, std::uint32_t, CellHash> first(positions.size());
  for (std::size_t i = 0; i < positions.size(); ++i) {
    const CellKey at{cellOf(positions[i][0], 0), cellOf(positions[i][1], 1),
                     cellOf(positions[i][2], 2), keys[i]};
    standIn[i] = first.try_emplace(at, static_cast<std::uint32_t>(i)).first->second;
  }
  std::vector<std::uint32_t> kept;
  kept.reserve(indices.size() / 2);
  std::unordered_set<Triangle, TriangleHash> drawn(indices.size() / 6);
  for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
    const std::uint32_t a = standIn[indices[t]], b = standIn[indices[t + 1]],
                        c = standIn[indices[t + 2]];
    if (a == b || b == c || a == c) continue;
    // One triangle seen from either side is the same triangle: both sides
    // are drawn, so the order of its corners does not matter.
    std::uint32_t sorted[3] = {a, b, c};
    std::sort(sorted, sorted + 3);
    if (!drawn.insert({sorted[0], sorted[1], sorted[2]}).second) continue;
    kept.insert(kept.end(), {a, b, c});
  }
  return kept;
}

}  // namespace quarvel::view
