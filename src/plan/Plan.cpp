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

namespace {

// The value of number `number` in the rows of `lod`.
template <typename T>
const T& ValueOf(const std::vector<Rows<T>>& lods, int lod, int number) {
  static const T empty{};
  if (lod < 0 || static_cast<std::size_t>(lod) >= lods.size()) return empty;
  return lods[static_cast<std::size_t>(lod)][number];
}

template <typename T>
void SetValue(std::vector<Rows<T>>& lods, int lod, int number, T value) {
  if (lod < 0 || number < 1) return;
  if (static_cast<std::size_t>(lod) >= lods.size()) {
    if (value == T{}) return;
    lods.resize(static_cast<std::size_t>(lod) + 1);
  }
  lods[static_cast<std::size_t>(lod)].Set(number, std::move(value));
}

}  // namespace

const SubobjectChoice& Plan::Choice(int row, int lod) const {
  return ValueOf(assignment, lod, row);
}

void Plan::SetChoice(int row, int lod, SubobjectChoice choice) {
  SetValue(assignment, lod, row, std::move(choice));
}

const Mark& Plan::SortMark(int lod, int subobject) const {
  return ValueOf(sortMarks, lod, subobject);
}

void Plan::SetSortMark(int lod, int subobject, Mark mark) {
  SetValue(sortMarks, lod, subobject, std::move(mark));
}

std::string NumberText(std::optional<long long> number) {
  return number ? IntToStr(*number) : std::string();
}

}  // namespace quarvel
