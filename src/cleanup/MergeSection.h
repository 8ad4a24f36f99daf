#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleanup/MergeTable.h"
#include "common/Error.h"
#include "shape/ShapeText.h"

namespace quarvel {

// The section a merge works on: its header line and the count the header
// declares. The entries are the `count` lines after the header, whatever
// keyword they hold.
struct MergeSection {
  MergeKind kind = MergeKind::Points;
  std::size_t header = 0;
  int count = 0;
};

// "points" or "normals".
std::string_view SectionKeyword(MergeKind kind);

// The first line from the second on that holds the section's keyword; none
// when there is no such line or it is the text's last line.
std::optional<std::size_t> FindMergeHeader(const ShapeText& text, MergeKind kind);

// The section with the count read from its header; throws ConvertError
// when the count is no integer.
MergeSection ReadMergeSection(const ShapeText& text, MergeKind kind, std::size_t header);

// Reads the three coordinates of every entry into `table`, growing it for a
// big section. Throws ConvertError
// at the first that is no number; a count beyond the text meets empty lines,
// whose tokens are none. A negative count reads nothing.
void ReadMergeEntries(const ShapeText& text, const MergeSection& section, MergeTable& table);

// A rebuild that found an index it cannot renumber, a list that ends early
// or a count that is negative. The text is then as it was.
class MergeError : public Error {
 public:
  using Error::Error;
};

// Rebuilds `lines` after the plan in `table`: the header's count becomes
// `kept`, the entries that merged are left out, and every index into the
// section after it is renumbered (for points the 2nd token after the "(" of a
// "vertex " line, for normals its 3rd and the first token of each entry of a
// "normal_idxs" list, which may run over several lines). Only the replaced
// tokens change. All or nothing: on a MergeError naming the line, `lines` are
// untouched.
void RebuildMergedSection(std::vector<std::string>& lines, const MergeSection& section, int kept,
                          MergeTable& table);

}  // namespace quarvel
