#include "plan/Plan.h"

#include "common/Convert.h"

namespace quarvel {

namespace {

// The number a plain decimal text names: no sign, no leading zero, "0" alone.
int PlainNumberOf(std::string_view text) {
  if (text == "0") return 0;
  if (text.empty() || text.size() > 9 || text[0] < '1' || text[0] > '9') return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

SubobjectChoice::SubobjectChoice(int number) : SubobjectChoice(FromText(IntToStr(number))) {}

SubobjectChoice SubobjectChoice::FromText(std::string text) {
  SubobjectChoice choice;
  choice.value_ = TryStrToInt(text);
  choice.plain_ = PlainNumberOf(text);
  choice.text_ = std::move(text);
  return choice;
}

const SubobjectChoice& Plan::Choice(int row, int lod) const {
  static const SubobjectChoice empty;
  if (lod < 0 || static_cast<std::size_t>(lod) >= assignment.size()) return empty;
  return assignment[static_cast<std::size_t>(lod)][row];
}

void Plan::SetChoice(int row, int lod, SubobjectChoice choice) {
  if (lod < 0 || row < 1) return;
  if (static_cast<std::size_t>(lod) >= assignment.size()) {
    if (choice.Empty()) return;
    assignment.resize(static_cast<std::size_t>(lod) + 1);
  }
  assignment[static_cast<std::size_t>(lod)].Set(row, std::move(choice));
}

const Mark& Plan::SortMark(int lod, int subobject) const {
  static const Mark none;
  if (lod < 0 || static_cast<std::size_t>(lod) >= sortMarks.size()) return none;
  return sortMarks[static_cast<std::size_t>(lod)][subobject];
}

void Plan::SetSortMark(int lod, int subobject, Mark mark) {
  if (lod < 0 || subobject < 1) return;
  if (static_cast<std::size_t>(lod) >= sortMarks.size()) {
    if (mark == Mark{}) return;
    sortMarks.resize(static_cast<std::size_t>(lod) + 1);
  }
  sortMarks[static_cast<std::size_t>(lod)].Set(subobject, std::move(mark));
}

std::string NumberText(std::optional<long long> number) {
  return number ? IntToStr(*number) : std::string();
}

}  // namespace quarvel
