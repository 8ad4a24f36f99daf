#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quarvel {

// Which section a merge works on. Normals only merge when every component has
// the same sign as well.
enum class MergeKind { Points, Normals };

struct MergeEntry {
  long double X = 0;
  long double Y = 0;
  long double Z = 0;
  std::int32_t newIndex = 0;  // the entry's index in the merged section
  std::uint8_t keep = 1;      // 0 once merged into an earlier entry
};

// The working memory of a merge's plan and rebuild. The table keeps it from
// one run to the next, so that a run allocates next to nothing once a section
// of its size has been merged; what it holds between runs means nothing.
struct MergeWork {
  struct CellSlot {
    std::uint32_t tag = 0;
    std::int32_t newest = -1;  // -1: the slot is free
  };
  struct CellNumbers {
    std::int64_t x = 0, y = 0, z = 0;
    bool operator==(const CellNumbers&) const = default;
  };
  // The plan: every entry's cell, the neighbour cells it reaches into and
  // the entry filed before it in its cell; the cells by key; a bit per key.
  std::vector<std::uint64_t> keys;
  std::vector<CellNumbers> cells;  // only where keys are hashes of the numbers
  std::vector<std::uint8_t> reach;
  std::vector<std::int32_t> previous;
  std::vector<std::int32_t> matches;
  std::vector<CellSlot> cellSlots;
  std::vector<std::uint64_t> occupied;
  // The rebuild: the new indices side by side, and what it changed so far.
  std::vector<std::int32_t> newIndices;
  std::vector<std::uint32_t> changes;
  std::string replaced;
};

// The table of the section being merged. It starts with room for
// 60001 entries and grows for a bigger section, so no section is too big and
// nothing is written beyond the table.
class MergeTable {
 public:
  static constexpr std::size_t kInitialSize = 60001;

  MergeTable() : entries_(kInitialSize) {}

  void MakeRoomFor(std::size_t count) {
    if (count > entries_.size()) entries_.resize(count);
  }
  std::size_t Size() const { return entries_.size(); }
  MergeEntry& operator[](std::size_t index) { return entries_[index]; }
  const MergeEntry& operator[](std::size_t index) const { return entries_[index]; }
  MergeWork& Work() { return work_; }

 private:
  std::vector<MergeEntry> entries_;
  MergeWork work_;
};

// -1, 0 or +1; both zeros have the sign 0.
inline int ComponentSign(long double value) {
  return (value > 0) - (value < 0);
}

// Whether entry `earlier` takes in entry `later`: every difference, taken in
// extended precision, at most `tolerance` (a difference that is no number
// never matches), and for normals the signs tested first.
inline bool Matches(const MergeEntry& earlier, const MergeEntry& later, long double tolerance,
                    MergeKind kind) {
  if (kind == MergeKind::Normals && (ComponentSign(earlier.X) != ComponentSign(later.X) ||
                                     ComponentSign(earlier.Y) != ComponentSign(later.Y) ||
                                     ComponentSign(earlier.Z) != ComponentSign(later.Z)))
    return false;
  return std::fabs(earlier.X - later.X) <= tolerance &&
         std::fabs(earlier.Y - later.Y) <= tolerance && std::fabs(earlier.Z - later.Z) <= tolerance;
}

}  // namespace quarvel
