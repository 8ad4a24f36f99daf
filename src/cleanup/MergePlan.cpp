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

// An open-addressing table that files, under a 64-bit key, the newest entry
// index of a group (equal coordinates, or one cell). A slot keeps 32 bits of
// the key's hash only, which keeps the table small enough to stay in the
// cache; `same` tells by the slot's newest entry whether a slot whose bits
// agree is the group's. Slots are never freed, and there are at most `count`
// groups, so the table never fills up.
class NewestByKey {
 public:
  struct Slot {
    std::uint32_t tag = 0;
    std::int32_t newest = -1;  // -1: the slot is free
  };

  explicit NewestByKey(std::size_t count) {
    std::size_t capacity = 16;
    while (capacity < 2 * count) capacity *= 2;
    slots_.resize(capacity);
    mask_ = capacity - 1;
  }

  // The group's slot, or the free slot where it belongs (filled by File).
  template <typename Same>
  Slot& Find(std::uint64_t key, const Same& same) {
    const std::uint64_t hash = Mix(key);
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
      Slot& slot = slots_[i];
      if (slot.newest < 0 || (slot.tag == tag && same(slot))) return slot;
    }
  }
  void Prefetch([[maybe_unused]] std::uint64_t key) const {
#if defined(__GNUC__)
    __builtin_prefetch(&slots_[Mix(key) & mask_]);
#endif
  }
  static void File(Slot& slot, std::uint64_t key, std::size_t index) {
    slot.tag = static_cast<std::uint32_t>(Mix(key) >> 32);
    slot.newest = static_cast<std::int32_t>(index);
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

// At tolerance 0 only a difference of 0 matches, that is equal coordinates
// (the two zeros alike), and equal components have equal signs: the newest
// entry with the same coordinates is the match.
int PlanEqualCoordinates(MergeTable& table, std::size_t count) {
  NewestByKey newest(count);
  int kept = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const MergeEntry& entry = table[k];
    // An infinity minus itself is no number: such an entry matches nothing.
    if (!IsFinite(entry)) {
      Decide(table, k, -1, kept);
      continue;
    }
    const std::uint64_t key =
        Mix(ValueHash(entry.X) + 3 * ValueHash(entry.Y) + 7 * ValueHash(entry.Z));
    auto& slot = newest.Find(key, [&](const NewestByKey::Slot& candidate) {
      const MergeEntry& other = table[static_cast<std::size_t>(candidate.newest)];
      return other.X == entry.X && other.Y == entry.Y && other.Z == entry.Z;
    });
    Decide(table, k, slot.newest, kept);
    NewestByKey::File(slot, key, k);
  }
  return kept;
}

// ---- Grid ---------------------------------------------------------------------

// Cells are a power of two wide, 4 to 8 tolerances, so that every value
// within a tolerance of a coordinate lies in its own cell or in the one
// neighbour on the side it is near. The cells only choose the candidates and
// the exact extended test decides, so a cell may be worked out in double
// precision as long as the reach towards the neighbours covers the rounding:
// with cell numbers below 2^40 in size that is far below 2^-12 of a cell
// (a grid for larger coordinates is made wider to keep them there). Only
// coordinates or tolerances beyond the double range take the slower way in
// extended precision.
class CellGrid {
 public:
  struct Place {
    std::int64_t cell = 0;
    int neighbour = 0;  // -1, 0 or +1: the other cell a match may lie in
  };

  CellGrid(long double tolerance, long double largestCoordinate) {
    if (std::isinf(tolerance)) return;  // everything matches: one cell
    int exponent = 0;
    std::frexp(tolerance, &exponent);  // tolerance = m * 2^exponent, 0.5 <= m < 1
    const int largestExponent = largestCoordinate > 0 ? std::ilogb(largestCoordinate) : -20000;
    const int width = std::max({exponent + 2, largestExponent - 38, -16000});
    // A rounded difference of at most the tolerance allows an exact one a
    // little above it; the factor covers that, the sum the rounding of the
    // cell numbers (even with the arithmetic set to 53 bits).
    const long double reach = std::ldexp(tolerance, -width) * (1 + 0x1p-50L) + 0x1p-12L;
    limit_ = std::ldexp(1.0L, width + 39);
    if (largestCoordinate < 1e300L && width >= -1000 && width <= 1000) {
      mode_ = Mode::Double;
      inverseWidth_ = std::ldexp(1.0, -width);
      reach_ = static_cast<double>(reach);
      limit_ = std::min(limit_, 1e300L);
    } else {
      mode_ = Mode::Extended;
      extendedInverseWidth_ = std::ldexp(1.0L, -width);
      extendedReach_ = reach;
    }
  }

  // Coordinates below this in size have their cell here; a larger one needs
  // a grid made for it.
  long double Limit() const { return limit_; }
  // Whether a coordinate's double value gives its cell.
  bool TakesDoubles() const { return mode_ == Mode::Double; }
  Place Locate(double value) const { return Placed(value * inverseWidth_, reach_); }

  Place Locate(long double value) const {
    switch (mode_) {
      case Mode::OneCell:
        return {};
      case Mode::Double:
        return Placed(static_cast<double>(value) * inverseWidth_, reach_);
      case Mode::Extended:
        return Placed(value * extendedInverseWidth_, extendedReach_);
    }
    return {};
  }

 private:
  enum class Mode { OneCell, Double, Extended };

  template <typename Real>
  static Place Placed(Real scaled, Real reach) {
    auto cell = static_cast<std::int64_t>(scaled);
    if (scaled < static_cast<Real>(cell)) --cell;
    const Real offset = scaled - static_cast<Real>(cell);  // from the lower border
    if (offset <= reach) return {cell, -1};
    if (1 - offset <= reach) return {cell, 1};
    return {cell, 0};
  }

  Mode mode_ = Mode::OneCell;
  double inverseWidth_ = 0;
  double reach_ = 0;
  long double extendedInverseWidth_ = 0;
  long double extendedReach_ = 0;
  long double limit_ = std::numeric_limits<long double>::infinity();
};

struct CellNumbers {
  std::int64_t x = 0, y = 0, z = 0;
  bool operator==(const CellNumbers&) const = default;
};

// The key of a cell: its three numbers packed side by side when each fits
// into 21 bits (then a key is one cell), else a hash of them.
class CellKeys {
 public:
  explicit CellKeys(double largestCell) : packed_(largestCell < kBias - 2) {}
  bool Exact() const { return packed_; }
  std::uint64_t Key(const CellNumbers& cell) const {
    const auto u = [](std::int64_t value) { return static_cast<std::uint64_t>(value); };
    if (packed_) return u(cell.x + kBias) << 42 | u(cell.y + kBias) << 21 | u(cell.z + kBias);
    return u(cell.x) * 0x9E3779B97F4A7C15ULL + u(cell.y) * 0xC2B2AE3D27D4EB4FULL +
           u(cell.z) * 0x165667B19E3779F9ULL;
  }

 private:
  static constexpr std::int64_t kBias = 1 << 20;
  bool packed_;
};

// One bit per key hash, so that most of the neighbour cells, which hold no
// entry, are passed over without a look into the big table.
class OccupiedCells {
 public:
  explicit OccupiedCells(std::size_t count) {
    int log2 = 10;
    while ((std::size_t{1} << log2) < 16 * count) ++log2;
    bits_.assign((std::size_t{1} << log2) / 64, 0);
    shift_ = 64 - log2;
  }
  void Set(std::uint64_t key) {
    const std::uint64_t bit = Mix(key) >> shift_;
    bits_[bit >> 6] |= std::uint64_t{1} << (bit & 63);
  }
  bool MayHold(std::uint64_t key) const {
    const std::uint64_t bit = Mix(key) >> shift_;
    return (bits_[bit >> 6] >> (bit & 63)) & 1;
  }

 private:
  std::vector<std::uint64_t> bits_;
  int shift_ = 0;
};

int PlanByGrid(MergeTable& table, std::size_t count, long double tolerance, MergeKind kind) {
  // An infinite tolerance puts everything into one cell.
  const bool oneCell = std::isinf(tolerance);

  // First every entry's cell and the neighbours it needs, so that the search
  // below can ask for the cells of the entries ahead before it needs them.
  struct Placed {
    CellNumbers cell;
    std::int8_t dx = 0, dy = 0, dz = 0;
    bool filed = true;  // with a finite tolerance nothing matches an infinite
                        // or undefined coordinate: such an entry stays apart
  };
  std::vector<Placed> placed(count);
  std::int64_t largestCell = 0;
  // False when a coordinate is too large for the grid.
  const auto place = [&](const CellGrid& grid) {
    const long double limit = grid.Limit();
    const double roughLimit = grid.TakesDoubles() ? static_cast<double>(limit) : 0;
    largestCell = 0;
    for (std::size_t k = 0; k < count; ++k) {
      const MergeEntry& entry = table[k];
      CellGrid::Place x, y, z;
      const double rough[3] = {static_cast<double>(entry.X), static_cast<double>(entry.Y),
                               static_cast<double>(entry.Z)};
      if (std::fabs(rough[0]) < roughLimit && std::fabs(rough[1]) < roughLimit &&
          std::fabs(rough[2]) < roughLimit) {
        x = grid.Locate(rough[0]);
        y = grid.Locate(rough[1]);
        z = grid.Locate(rough[2]);
      } else if (oneCell) {
        x = y = z = {};
      } else if (!IsFinite(entry)) {
        placed[k].filed = false;
        continue;
      } else if (grid.TakesDoubles() || std::fabs(entry.X) >= limit ||
                 std::fabs(entry.Y) >= limit || std::fabs(entry.Z) >= limit) {
        return false;
      } else {
        x = grid.Locate(entry.X);
        y = grid.Locate(entry.Y);
        z = grid.Locate(entry.Z);
      }
      placed[k] = {{x.cell, y.cell, z.cell},
                   static_cast<std::int8_t>(x.neighbour),
                   static_cast<std::int8_t>(y.neighbour),
                   static_cast<std::int8_t>(z.neighbour),
                   true};
      largestCell = std::max({largestCell, std::abs(x.cell), std::abs(y.cell), std::abs(z.cell)});
    }
    return true;
  };
  // Cells as wide as the tolerance asks, unless a coordinate is too large
  // for them (then wider, as the largest coordinate asks).
  if (!place(CellGrid(tolerance, 0))) {
    long double largest = 0;
    for (std::size_t k = 0; k < count; ++k) {
      const MergeEntry& entry = table[k];
      if (IsFinite(entry))
        largest = std::max({largest, std::fabs(entry.X), std::fabs(entry.Y), std::fabs(entry.Z)});
    }
    place(CellGrid(tolerance, largest));
  }
  const CellKeys keys(static_cast<double>(largestCell) + 1);

  NewestByKey cells(count);
  OccupiedCells occupied(count);
  // The entry filed before each one in its cell: every cell is a list from
  // its newest entry down.
  std::vector<std::int32_t> previous(count, -1);
  const auto find = [&](std::uint64_t key, const CellNumbers& cell) -> NewestByKey::Slot& {
    return cells.Find(key, [&](const NewestByKey::Slot& slot) {
      return keys.Exact() || placed[static_cast<std::size_t>(slot.newest)].cell == cell;
    });
  };
  constexpr std::size_t kAhead = 8;

  int kept = 0;
  for (std::size_t k = 0; k < count; ++k) {
    if (k + kAhead < count) cells.Prefetch(keys.Key(placed[k + kAhead].cell));
    const Placed& place = placed[k];
    if (!place.filed) {
      Decide(table, k, -1, kept);
      continue;
    }
    const MergeEntry& entry = table[k];
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
    const std::uint64_t ownKey = keys.Key(place.cell);
    NewestByKey::Slot* ownSlot = nullptr;
    if (occupied.MayHold(ownKey)) {
      ownSlot = &find(ownKey, place.cell);
      searchFrom(ownSlot->newest);
    }
    for (int corner = 1; corner < 8; ++corner) {
      const int dx = (corner & 1) ? place.dx : 0;
      const int dy = (corner & 2) ? place.dy : 0;
      const int dz = (corner & 4) ? place.dz : 0;
      if (((corner & 1) && dx == 0) || ((corner & 2) && dy == 0) || ((corner & 4) && dz == 0))
        continue;
      const CellNumbers cell{place.cell.x + dx, place.cell.y + dy, place.cell.z + dz};
      const std::uint64_t key = keys.Key(cell);
      if (occupied.MayHold(key)) searchFrom(find(key, cell).newest);
    }
    Decide(table, k, match, kept);
    if (ownSlot == nullptr) ownSlot = &find(ownKey, place.cell);
    previous[k] = ownSlot->newest;
    NewestByKey::File(*ownSlot, ownKey, k);
    occupied.Set(ownKey);
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
