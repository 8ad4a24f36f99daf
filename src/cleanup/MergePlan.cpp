#include "cleanup/MergePlan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace quarvel {

namespace {

// Entry k stays (match < 0) or takes the new index of entry `match`.
void Decide(MergeTable& table, std::size_t k, std::int32_t match, int& kept) {
  MergeEntry& entry = table[k];
  if (match < 0) {
    entry.keep = 1;
    entry.newIndex = kept++;
  } else {
    entry.keep = 0;
    entry.newIndex = table[static_cast<std::size_t>(match)].newIndex;
  }
}

bool IsFinite(const MergeEntry& entry) {
  return std::isfinite(entry.X) && std::isfinite(entry.Y) && std::isfinite(entry.Z);
}

std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  h ^= h >> 33;
  return h;
}

// An open-addressing table of keys, each with the newest entry index filed
// under it. Entries are never removed, and a section has at most `count`
// distinct keys, so the table never fills up.
template <typename Key>
class NewestByKey {
 public:
  struct Slot {
    Key key{};
    std::int32_t newest = -1;  // -1: the slot is free
  };

  explicit NewestByKey(std::size_t count) {
    std::size_t capacity = 16;
    while (capacity < 2 * count) capacity *= 2;
    slots_.resize(capacity);
    mask_ = capacity - 1;
  }

  // The key's slot, or the free slot where it belongs (its key is written
  // when an index is filed there).
  Slot& FindOrFree(const Key& key) {
    for (std::size_t i = key.Hash() & mask_;; i = (i + 1) & mask_) {
      Slot& slot = slots_[i];
      if (slot.newest < 0 || slot.key == key) return slot;
    }
  }
  std::int32_t Newest(const Key& key) {
    const Slot& slot = FindOrFree(key);
    return slot.newest;
  }
  static void File(Slot& slot, const Key& key, std::int32_t index) {
    slot.key = key;
    slot.newest = index;
  }

 private:
  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
};

// ---- Tolerance 0 --------------------------------------------------------------

// The 80 bits of a value; both zeros alike.
std::uint64_t ValueHash(long double value) {
  value += 0.0L;  // -0 + 0 is +0
  std::uint64_t words[2] = {0, 0};
  constexpr std::size_t kValueBytes =
      std::numeric_limits<long double>::digits == 64 ? 10 : sizeof(long double);
  std::memcpy(words, &value, kValueBytes);  // the rest of an x87 value is padding
  return Mix(words[0] ^ Mix(words[1]));
}

struct Coordinates {
  long double x = 0, y = 0, z = 0;
  bool operator==(const Coordinates& other) const {
    return x == other.x && y == other.y && z == other.z;
  }
  std::uint64_t Hash() const { return Mix(ValueHash(x) + 3 * ValueHash(y) + 7 * ValueHash(z)); }
};

// At tolerance 0 only a difference of 0 matches, that is equal coordinates
// (the two zeros alike), and equal components have equal signs: the newest
// entry with the same coordinates is the match.
int PlanEqualCoordinates(MergeTable& table, std::size_t count) {
  NewestByKey<Coordinates> newest(count);
  int kept = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const MergeEntry& entry = table[k];
    // An infinity minus itself is no number: such an entry matches nothing.
    if (!IsFinite(entry)) {
      Decide(table, k, -1, kept);
      continue;
    }
    const Coordinates key{entry.X, entry.Y, entry.Z};
    auto& slot = newest.FindOrFree(key);
    Decide(table, k, slot.newest, kept);
    NewestByKey<Coordinates>::File(slot, key, static_cast<std::int32_t>(k));
  }
  return kept;
}

// ---- Grid ---------------------------------------------------------------------

struct Cell {
  std::int64_t x = 0, y = 0, z = 0;
  bool operator==(const Cell& other) const { return x == other.x && y == other.y && z == other.z; }
  std::uint64_t Hash() const {
    return Mix(static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ULL +
               static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4FULL +
               static_cast<std::uint64_t>(z) * 0x165667B19E3779F9ULL);
  }
};

// Cells are a power of two wide, 4 to 8 tolerances, so a coordinate scales
// to cell units exactly and every value within a tolerance of it lies in its
// own cell or the one neighbour on the side it is near. The width also grows
// with the largest coordinate, keeping cell numbers within 62 bits.
class CellGrid {
 public:
  struct Place {
    std::int64_t cell = 0;
    int neighbour = 0;  // -1, 0 or +1: the other cell a match may lie in
  };

  CellGrid(long double tolerance, long double largestCoordinate) {
    if (std::isinf(tolerance)) {
      inverseWidth_ = 0;
      reach_ = -1;
      return;
    }
    int exponent = 0;
    std::frexp(tolerance, &exponent);  // tolerance = m * 2^exponent, 0.5 <= m < 1
    int widthExponent = exponent + 2;
    if (largestCoordinate > 0)
      widthExponent = std::max(widthExponent, std::ilogb(largestCoordinate) - 60);
    widthExponent = std::max(widthExponent, -16000);  // the inverse stays finite
    inverseWidth_ = std::ldexp(1.0L, -widthExponent);
    // A rounded difference of at most the tolerance allows an exact one a
    // little above it; the margin covers that and the rounding of 1 - f.
    reach_ = tolerance * inverseWidth_;
    reach_ += std::ldexp(reach_, -60);
  }

  Place Locate(long double value) const {
    if (inverseWidth_ == 0) return {};
    const long double scaled = value * inverseWidth_;
    auto cell = static_cast<std::int64_t>(scaled);
    if (scaled < static_cast<long double>(cell)) --cell;
    const long double offset = scaled - static_cast<long double>(cell);  // exact, in [0, 1]
    int neighbour = 0;
    if (offset <= reach_) {
      neighbour = -1;
    } else if (1 - offset <= reach_) {
      neighbour = 1;
    }
    return {cell, neighbour};
  }

 private:
  long double inverseWidth_ = 1;
  long double reach_ = 0;
};

int PlanByGrid(MergeTable& table, std::size_t count, long double tolerance, MergeKind kind) {
  // An infinite tolerance puts everything into one cell.
  const bool oneCell = std::isinf(tolerance);
  long double largest = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const MergeEntry& entry = table[k];
    if (!IsFinite(entry)) continue;
    largest = std::max({largest, std::fabs(entry.X), std::fabs(entry.Y), std::fabs(entry.Z)});
  }
  const CellGrid grid(tolerance, largest);
  NewestByKey<Cell> cells(count);
  // The entry filed before each one in its cell: every cell is a list from
  // its newest entry down.
  std::vector<std::int32_t> previous(count, -1);

  int kept = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const MergeEntry& entry = table[k];
    // With a finite tolerance nothing matches an infinite or undefined
    // coordinate, so such an entry stays and is filed nowhere.
    if (!oneCell && !IsFinite(entry)) {
      Decide(table, k, -1, kept);
      continue;
    }
    const CellGrid::Place px = grid.Locate(entry.X);
    const CellGrid::Place py = grid.Locate(entry.Y);
    const CellGrid::Place pz = grid.Locate(entry.Z);

    std::int32_t match = -1;
    // Lists run from the newest entry down; below the best match so far
    // nothing can win any more.
    const auto searchFrom = [&](std::int32_t j) {
      for (; j > match; j = previous[static_cast<std::size_t>(j)]) {
        if (Matches(table[static_cast<std::size_t>(j)], entry, tolerance, kind)) {
          match = j;
          return;
        }
      }
    };
    const Cell own{px.cell, py.cell, pz.cell};
    auto& ownSlot = cells.FindOrFree(own);
    searchFrom(ownSlot.newest);
    for (int corner = 1; corner < 8; ++corner) {
      const int dx = (corner & 1) ? px.neighbour : 0;
      const int dy = (corner & 2) ? py.neighbour : 0;
      const int dz = (corner & 4) ? pz.neighbour : 0;
      if (((corner & 1) && dx == 0) || ((corner & 2) && dy == 0) || ((corner & 4) && dz == 0))
        continue;
      searchFrom(cells.Newest({px.cell + dx, py.cell + dy, pz.cell + dz}));
    }
    Decide(table, k, match, kept);
    previous[k] = ownSlot.newest;
    NewestByKey<Cell>::File(ownSlot, own, static_cast<std::int32_t>(k));
  }
  return kept;
}

int KeepAll(MergeTable& table, std::size_t count) {
  int kept = 0;
  for (std::size_t k = 0; k < count; ++k) Decide(table, k, -1, kept);
  return kept;
}

}  // namespace

int PlanMerge(MergeTable& table, std::size_t count, long double tolerance, MergeKind kind) {
  if (!(tolerance >= 0)) return KeepAll(table, count);
  if (tolerance == 0) return PlanEqualCoordinates(table, count);
  return PlanByGrid(table, count, tolerance, kind);
}

int PlanMergeByScan(MergeTable& table, std::size_t count, long double tolerance, MergeKind kind) {
  int kept = 0;
  for (std::size_t k = 0; k < count; ++k) {
    std::int32_t match = -1;
    for (std::size_t j = k; j-- > 0;) {
      if (Matches(table[j], table[k], tolerance, kind)) {
        match = static_cast<std::int32_t>(j);
        break;
      }
    }
    Decide(table, k, match, kept);
  }
  return kept;
}

}  // namespace quarvel
