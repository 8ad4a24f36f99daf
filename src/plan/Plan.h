// The plan of one shape as data: what the analysis found (elements and
// matrices), what the user planned for them (the sub-object of every element
// per LOD, the sort and animation marks, the LOD set-up, the tolerances, the
// vertex limit) and what the plan comes to (the sub-objects' vertices and the
// LODs' faces). The window's tables and the command line show these; every
// command works on them.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarvel {

// The values a plan entry may hold: a sub-object number, "every sub-object"
// or "not in this LOD".
inline constexpr int kEverySubobject = 0;
inline constexpr int kHighestSubobject = 99;
inline constexpr int kNotInLod = 999;
inline constexpr int kHighestLod = 99;

// Values by number from 1, as the tables number their rows. Reading beyond
// what was ever written gives the empty value; shrinking the count erases
// nothing, so that rows and LODs taken away come back as they were.
// What a value reads as where none was ever written.
template <typename T>
inline const T kNoValue{};

template <typename T>
class Rows {
 public:
  int Count() const { return count_; }
  void SetCount(int count) { count_ = count < 0 ? 0 : count; }
  const T& operator[](int number) const {
    return number >= 1 && static_cast<std::size_t>(number) <= values_.size()
               ? values_[static_cast<std::size_t>(number - 1)]
               : kNoValue<T>;
  }
  T& At(int number) {
    if (static_cast<std::size_t>(number) > values_.size())
      values_.resize(static_cast<std::size_t>(number));
    return values_[static_cast<std::size_t>(number - 1)];
  }
  void Set(int number, T value) {
    if (number < 1) return;
    if (static_cast<std::size_t>(number) > values_.size() && value == T{}) return;
    At(number) = std::move(value);
  }

 private:
  int count_ = 0;
  std::vector<T> values_;
};

// An element's sub-object in one LOD. It keeps the spelling it was typed or
// stored with ("05", "+5"), which the tables and the settings file show as it
// was; the commands read only its value and its membership.
class SubobjectChoice {
 public:
  SubobjectChoice() = default;  // empty: the user is about to type a number
  explicit SubobjectChoice(int number);
  static SubobjectChoice FromText(std::string text);

  const std::string& Text() const { return text_; }
  bool Empty() const { return text_.empty(); }
  // The number it reads as; none when empty or unreadable.
  std::optional<int> Value() const { return value_; }
  // Written as "0": in every sub-object of its LOD.
  bool InEverySubobject() const { return plain_ == kEverySubobject; }
  // The plain number it names (no sign, no leading zero); none otherwise, so
  // that "05" belongs to no sub-object although it reads as 5.
  std::optional<int> PlainNumber() const {
    return plain_ < 0 ? std::nullopt : std::optional<int>(plain_);
  }
  // Whether the element belongs to `subobject`: "0" or its plain number.
  bool IsIn(int subobject) const { return plain_ == kEverySubobject || plain_ == subobject; }

  bool operator==(const SubobjectChoice& other) const { return text_ == other.text_; }

 private:
  std::string text_;
  std::optional<int> value_;
  int plain_ = -1;
};

// A sort or animation mark: "x" in either case. Other text, from a
// hand-edited settings file, is kept as it stands but marks nothing.
class Mark {
 public:
  Mark() = default;
  static Mark FromText(std::string text) {
    Mark mark;
    mark.text_ = std::move(text);
    return mark;
  }
  static Mark Set() { return FromText("x"); }
  const std::string& Text() const { return text_; }
  bool IsSet() const { return text_ == "x" || text_ == "X"; }
  bool operator==(const Mark& other) const { return text_ == other.text_; }

 private:
  std::string text_;
};

// What the analysis finds: row k of the element table is prim_state k - 1.
struct ElementRow {
  std::string name;          // UTF-8
  std::string image;         // the image of its texture, as the shape names it
  std::optional<int> faces;  // none before the analysis counted them
  bool operator==(const ElementRow&) const = default;
};
struct MatrixRow {
  std::string name;
  std::optional<long long> faces;  // of the primitives the matrix moves
  bool operator==(const MatrixRow&) const = default;
};
struct ShapeTables {
  Rows<ElementRow> elements;
  Rows<MatrixRow> matrices;
};

// The value of number `number` in the rows of `lod`; inline, as the
// evaluation reads every entry at every refresh.
template <typename T>
const T& ValueOf(const std::vector<Rows<T>>& lods, int lod, int number) {
  if (lod < 0 || static_cast<std::size_t>(lod) >= lods.size()) return kNoValue<T>;
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

struct Plan {
  int lodCount = 1;
  // [lod] of element rows.
  std::vector<Rows<SubobjectChoice>> assignment;
  // [lod] of sub-object numbers.
  std::vector<Rows<Mark>> sortMarks;
  // By matrix row.
  Rows<Mark> animationMarks;
  // By LOD, as typed (the generation writes it into the shape as it stands).
  Rows<std::string> distances;
  long double pointTolerance = 0;
  long double normalTolerance = 0;

  const SubobjectChoice& Choice(int row, int lod) const { return ValueOf(assignment, lod, row); }
  void SetChoice(int row, int lod, SubobjectChoice choice);
  const Mark& SortMark(int lod, int subobject) const { return ValueOf(sortMarks, lod, subobject); }
  void SetSortMark(int lod, int subobject, Mark mark);
  bool SortMarked(int lod, int subobject) const { return SortMark(lod, subobject).IsSet(); }
};

// What the plan comes to, as the sub-object and LOD tables show it. Refreshed
// when the plan is evaluated; an evaluation stopped by an unreadable entry
// leaves what it did not reach as it was.
struct SubobjectLine {
  std::optional<int> number;
  std::optional<int> vertices;  // in the LOD shown
  bool operator==(const SubobjectLine&) const = default;
};
struct LodLine {
  std::optional<int> number;
  std::string distance;  // as read, "" for an entry refused or empty
  std::optional<long long> faces;
  bool operator==(const LodLine&) const = default;
};
struct PlanSummary {
  Rows<SubobjectLine> subobjects;
  Rows<LodLine> lods;
};

// The text of a number, "" for none.
std::string NumberText(std::optional<long long> number);

}  // namespace quarvel
