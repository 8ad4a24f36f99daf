#include "cleanup/MergePlan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "cleanup/LineScan.h"

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

// Every entry's decision from its match (-1: none), in order, so that a
// match's new index is known; `matches` becomes the new indices on the way.
int DecideAll(MergeTable& table, std::size_t count, std::vector<std::int32_t>& matches) {
  int kept = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const std::int32_t match = matches[k];
    MergeEntry& entry = table[k];
    entry.keep = match < 0;
    entry.newIndex = match < 0 ? kept++ : matches[static_cast<std::size_t>(match)];
    matches[k] = entry.newIndex;
  }
  return kept;
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
// index of a group (equal coordinates, or one cell). It is asked by the key's
// hash (Mix of the key). A slot keeps 32 bits of the hash only, which keeps
// the table small enough to stay in the cache; `same` tells by the slot's
// newest entry whether a slot whose bits agree is the group's. Slots are
// never freed, and there are at most `count` groups, so the table never
// fills up.
class NewestByKey {
 public:
  using Slot = MergeWork::CellSlot;

  NewestByKey(std::vector<Slot>& storage, std::size_t count) : slots_(storage) {
    std::size_t capacity = 16;
    while (capacity < 2 * count) capacity *= 2;
    slots_.assign(capacity, Slot{});
    mask_ = capacity - 1;
  }

  // The group's slot, or the free slot where it belongs (filled by File).
  template <typename Same>
  Slot& Find(std::uint64_t hash, const Same& same) {
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
      Slot& slot = slots_[i];
      if (slot.newest < 0 || (slot.tag == tag && same(slot))) return slot;
    }
  }
  // The slot a group most likely has, for a look ahead.
  const Slot& Likely(std::uint64_t hash) const { return slots_[hash & mask_]; }
  void Prefetch(std::uint64_t hash) const { PrefetchLineText(&slots_[hash & mask_]); }
  static void File(Slot& slot, std::uint64_t hash, std::size_t index) {
    slot.tag = static_cast<std::uint32_t>(hash >> 32);
    slot.newest = static_cast<std::int32_t>(index);
  }

 private:
  std::vector<Slot>& slots_;
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
  NewestByKey newest(table.Work().cellSlots, count);
  int kept = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const MergeEntry& entry = table[k];
    // An infinity minus itself is no number: such an entry matches nothing.
    if (!IsFinite(entry)) {
      Decide(table, k, -1, kept);
      continue;
    }
    const std::uint64_t key =
        Mix(Mix(ValueHash(entry.X) + 3 * ValueHash(entry.Y) + 7 * ValueHash(entry.Z)));
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
    // cell numbers (even with the arithmetic set to 53 bits). The reach stays
    // below a quarter cell and a bit, so an entry is never near both sides.
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

  // Without branches: which side an entry is near is as good as random.
  template <typename Real>
  static Place Placed(Real scaled, Real reach) {
    auto cell = static_cast<std::int64_t>(scaled);
    cell -= scaled < static_cast<Real>(cell);
    const Real offset = scaled - static_cast<Real>(cell);  // from the lower border
    return {cell, static_cast<int>(1 - offset <= reach) - static_cast<int>(offset <= reach)};
  }

  Mode mode_ = Mode::OneCell;
  double inverseWidth_ = 0;
  double reach_ = 0;
  long double extendedInverseWidth_ = 0;
  long double extendedReach_ = 0;
  long double limit_ = std::numeric_limits<long double>::infinity();
};

using CellNumbers = MergeWork::CellNumbers;

// The key of a cell: its three numbers packed side by side when each fits
// into 21 bits (then a key is one cell, and a neighbour's key is the key
// plus an offset), else a hash of them.
constexpr std::int64_t kCellBias = 1 << 20;

std::uint64_t PackedKey(std::int64_t x, std::int64_t y, std::int64_t z) {
  const auto u = [](std::int64_t value) { return static_cast<std::uint64_t>(value + kCellBias); };
  return u(x) << 42 | u(y) << 21 | u(z);
}

std::uint64_t HashedKey(const CellNumbers& cell) {
  const auto u = [](std::int64_t value) { return static_cast<std::uint64_t>(value); };
  return u(cell.x) * 0x9E3779B97F4A7C15ULL + u(cell.y) * 0xC2B2AE3D27D4EB4FULL +
         u(cell.z) * 0x165667B19E3779F9ULL;
}

// One bit per key hash, so that most of the neighbour cells, which hold no
// entry, are passed over without a look into the big table.
class OccupiedCells {
 public:
  OccupiedCells(std::vector<std::uint64_t>& bits, std::size_t count) : bits_(bits) {
    int log2 = 10;
    while ((std::size_t{1} << log2) < 16 * count) ++log2;
    bits_.assign((std::size_t{1} << log2) / 64, 0);
    shift_ = 64 - log2;
  }
  void Set(std::uint64_t hash) {
    const std::uint64_t bit = hash >> shift_;
    bits_[bit >> 6] |= std::uint64_t{1} << (bit & 63);
  }
  bool MayHold(std::uint64_t hash) const {
    const std::uint64_t bit = hash >> shift_;
    return (bits_[bit >> 6] >> (bit & 63)) & 1;
  }

 private:
  std::vector<std::uint64_t>& bits_;
  int shift_ = 0;
};

// An entry's reach into its neighbour cells, the offset to the neighbour in
// two bits an axis (0: none, 1: the upper, 3: the lower), and whether it is filed at all: with a
// finite tolerance nothing matches an infinite or undefined coordinate, so such an entry stays
// apart.
constexpr std::uint8_t kNotFiled = 0x80;

std::uint8_t Reach(const CellGrid::Place& x, const CellGrid::Place& y, const CellGrid::Place& z) {
  const auto code = [](int neighbour) { return static_cast<unsigned>(neighbour) & 3; };
  return static_cast<std::uint8_t>(code(x.neighbour) | code(y.neighbour) << 2 |
                                   code(z.neighbour) << 4);
}

int Offset(std::uint8_t reach, int axis) {
  const unsigned code = (reach >> (2 * axis)) & 3;
  return code == 3 ? -1 : static_cast<int>(code);
}

// Works out every entry's cell and reach into `work` (the cell numbers too
// when `hashed`) and returns the largest cell number in size, or -1 when a
// coordinate is too large for the grid.
std::int64_t PlaceEntries(const MergeTable& table, std::size_t count, const CellGrid& grid,
                          bool oneCell, bool hashed, MergeWork& work) {
  const long double limit = grid.Limit();
  const double roughLimit = grid.TakesDoubles() ? static_cast<double>(limit) : 0;
  std::int64_t largest = 0;
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
      work.reach[k] = kNotFiled;
      continue;
    } else if (grid.TakesDoubles() || std::fabs(entry.X) >= limit || std::fabs(entry.Y) >= limit ||
               std::fabs(entry.Z) >= limit) {
      return -1;
    } else {
      x = grid.Locate(entry.X);
      y = grid.Locate(entry.Y);
      z = grid.Locate(entry.Z);
    }
    work.reach[k] = Reach(x, y, z);
    largest = std::max({largest, std::abs(x.cell), std::abs(y.cell), std::abs(z.cell)});
    if (hashed) {
      work.cells[k] = {x.cell, y.cell, z.cell};
      work.keys[k] = HashedKey(work.cells[k]);
    } else {
      work.keys[k] = PackedKey(x.cell, y.cell, z.cell);
    }
  }
  return largest;
}

int PlanByGrid(MergeTable& table, std::size_t count, long double tolerance, MergeKind kind) {
  MergeWork& work = table.Work();
  work.keys.resize(count);
  work.reach.resize(count);
  work.previous.resize(count);
  // An infinite tolerance puts everything into one cell.
  const bool oneCell = std::isinf(tolerance);
  // First every entry's cell and the neighbours it needs, so that the search
  // below can ask for the cells of the entries ahead before it needs them.
  // Cells as wide as the tolerance asks, unless a coordinate is too large for
  // them (then wider, as the largest coordinate asks); keys packed unless a
  // cell number is too large for that.
  CellGrid grid(tolerance, 0);
  std::int64_t largestCell = PlaceEntries(table, count, grid, oneCell, false, work);
  if (largestCell < 0) {
    long double largest = 0;
    for (std::size_t k = 0; k < count; ++k) {
      const MergeEntry& entry = table[k];
      if (IsFinite(entry))
        largest = std::max({largest, std::fabs(entry.X), std::fabs(entry.Y), std::fabs(entry.Z)});
    }
    grid = CellGrid(tolerance, largest);
    largestCell = PlaceEntries(table, count, grid, oneCell, false, work);
  }
  const bool hashed = largestCell >= kCellBias - 2;
  if (hashed) {
    work.cells.resize(count);
    PlaceEntries(table, count, grid, oneCell, true, work);
  }

  NewestByKey cells(work.cellSlots, count);
  OccupiedCells occupied(work.occupied, count);
  // Two cells whose hashes agree in a slot's bits and meet in its probe
  // sequence share the slot: their lists run together, so a search tests an
  // entry more now and then, and never misses one.
  const auto find = [&](std::uint64_t hash) -> NewestByKey::Slot& {
    return cells.Find(hash, [](const NewestByKey::Slot&) { return true; });
  };
  // The cells of the entries ahead are asked for early, and so are the
  // newest entries of those that are occupied, the likely candidates.
  constexpr std::size_t kSlotsAhead = 16;
  constexpr std::size_t kCandidatesAhead = 8;
  const CellNumbers noCell;

  // The matches first, side by side: writing the decisions into the big
  // table as the search goes would push the cells out of the cache.
  std::vector<std::int32_t>& matches = work.matches;
  matches.resize(count);
  for (std::size_t k = 0; k < count; ++k) {
    if (k + kSlotsAhead < count) cells.Prefetch(Mix(work.keys[k + kSlotsAhead]));
    if (k + kCandidatesAhead < count) {
      const std::uint64_t hash = Mix(work.keys[k + kCandidatesAhead]);
      const NewestByKey::Slot& likely = cells.Likely(hash);
      if (likely.newest >= 0 && occupied.MayHold(hash))
        PrefetchLineText(&table[static_cast<std::size_t>(likely.newest)]);
    }
    const std::uint8_t reach = work.reach[k];
    if (reach == kNotFiled) {
      matches[k] = -1;
      continue;
    }
    const MergeEntry& entry = table[k];
    std::int32_t match = -1;
    // Lists run from the newest entry down; below the best match so far
    // nothing can win any more.
    const auto searchFrom = [&](std::int32_t j) {
      for (; j > match; j = work.previous[static_cast<std::size_t>(j)]) {
        if (Matches(table[static_cast<std::size_t>(j)], entry, tolerance, kind)) {
          match = j;
          return;
        }
      }
    };
    const std::uint64_t ownKey = work.keys[k];
    const CellNumbers& ownCell = hashed ? work.cells[k] : noCell;
    const std::uint64_t ownHash = Mix(ownKey);
    NewestByKey::Slot* ownSlot = nullptr;
    if (occupied.MayHold(ownHash)) {
      ownSlot = &find(ownHash);
      searchFrom(ownSlot->newest);
    }
    if (reach != 0) {
      const int dx = Offset(reach, 0), dy = Offset(reach, 1), dz = Offset(reach, 2);
      for (int corner = 1; corner < 8; ++corner) {
        const int cx = (corner & 1) ? dx : 0;
        const int cy = (corner & 2) ? dy : 0;
        const int cz = (corner & 4) ? dz : 0;
        if (((corner & 1) && cx == 0) || ((corner & 2) && cy == 0) || ((corner & 4) && cz == 0))
          continue;
        const CellNumbers cell =
            hashed ? CellNumbers{ownCell.x + cx, ownCell.y + cy, ownCell.z + cz} : noCell;
        const std::uint64_t key =
            hashed ? HashedKey(cell)
                   : ownKey + static_cast<std::uint64_t>((std::int64_t{cx} << 42) +
                                                         (std::int64_t{cy} << 21) + cz);
        const std::uint64_t hash = Mix(key);
        if (!occupied.MayHold(hash)) continue;
        searchFrom(find(hash).newest);
      }
    }
    matches[k] = match;
    if (ownSlot == nullptr) ownSlot = &find(ownHash);
    work.previous[k] = ownSlot->newest;
    NewestByKey::File(*ownSlot, ownHash, k);
    occupied.Set(ownHash);
  }
  return DecideAll(table, count, matches);
}

int KeepAll(MergeTable& table, std::size_t count) {
  int kept = 0;
  for (std::size_t k = 0; k < count; ++k) Decide(table, k, -1, kept);
  return kept;
}

}  // namespace

long double FarthestMove(const MergeTable& table, std::size_t count) {
  std::vector<std::size_t> kept;  // by new index
  for (std::size_t i = 0; i < count; ++i)
    if (table[i].keep != 0) kept.push_back(i);
  long double farthest = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const MergeEntry& entry = table[i];
    if (entry.keep != 0 || entry.newIndex < 0 ||
        static_cast<std::size_t>(entry.newIndex) >= kept.size())
      continue;
    const MergeEntry& into = table[kept[static_cast<std::size_t>(entry.newIndex)]];
    const long double dx = entry.X - into.X, dy = entry.Y - into.Y, dz = entry.Z - into.Z;
    farthest = std::max(farthest, std::sqrt(dx * dx + dy * dy + dz * dz));
  }
  return farthest;
}

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
