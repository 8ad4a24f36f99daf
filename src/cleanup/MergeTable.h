#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
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

// The window's table of the section being merged. It starts with room for
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

 private:
  std::vector<MergeEntry> entries_;
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
