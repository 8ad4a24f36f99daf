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

void Plan::SetChoice(int row, int lod, SubobjectChoice choice) {
  SetValue(assignment, lod, row, std::move(choice));
}

void Plan::SetSortMark(int lod, int subobject, Mark mark) {
  SetValue(sortMarks, lod, subobject, std::move(mark));
}

std::string NumberText(std::optional<long long> number) {
  return number ? IntToStr(*number) : std::string();
}

}  // namespace quarvel
