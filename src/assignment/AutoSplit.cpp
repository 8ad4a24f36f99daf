#include "assignment/AutoSplit.h"

#include <algorithm>

#include "assignment/ElementAssignment.h"
#include "common/Convert.h"

namespace quarvel {

namespace {

// "0" and "999" keep their meaning whatever the split does.
bool KeepsItsCell(const SubobjectChoice& cell) {
  const auto value = cell.Value();
  return value && (*value == kEverySubobject || *value == kNotInLod);
}

// The sets of a sub-object under construction and its vertex count.
class SubobjectSets {
 public:
  SubobjectSets(const ShapeIndex& index, std::size_t sets)
      : index_(index), in_(sets, 0), base_(sets, 0) {}

  // The vertices `set` adds to the sub-object (none when it is in already or
  // is no set of the shape).
  long long Adds(int set) const {
    if (!Valid(set) || in_[static_cast<std::size_t>(set)] != 0) return 0;
    return std::max(0, index_.VertexSets[static_cast<std::size_t>(set)].vertexCount);
  }
  long long AddsToBase(int set) const {
    if (!Valid(set) || base_[static_cast<std::size_t>(set)] != 0) return 0;
    return std::max(0, index_.VertexSets[static_cast<std::size_t>(set)].vertexCount);
  }
  void Add(int set) {
    vertices_ += Adds(set);
    if (Valid(set)) in_[static_cast<std::size_t>(set)] = 1;
  }
  // What every sub-object holds from the start: the sets of the "0" elements.
  void TakeAsBase() {
    base_ = in_;
    baseVertices_ = vertices_;
  }
  void StartNext() {
    in_ = base_;
    vertices_ = baseVertices_;
  }
  long long Vertices() const { return vertices_; }
  long long BaseVertices() const { return baseVertices_; }
  bool HoldsMoreThanBase() const { return vertices_ > baseVertices_; }

 private:
  bool Valid(int set) const { return set >= 0 && static_cast<std::size_t>(set) < in_.size(); }

  const ShapeIndex& index_;
  std::vector<char> in_, base_;
  long long vertices_ = 0;
  long long baseVertices_ = 0;
};

}  // namespace

Refusal PlanAutoSplit(const ShapeTables& tables, const Plan& entries, const ShapeIndex& index,
                      int lod, int limit, const TextSource& text, AutoSplitPlan& plan) {
  plan = AutoSplitPlan{};
  plan.lod = lod;
  const int rows = PlannedElements(tables);
  const auto sets = static_cast<std::size_t>(std::clamp(index.VertexSetCount, 0, kShapeIndexSize));
  const auto setOf = [&](int row) {
    return index.ElementVtxStates[static_cast<std::size_t>(row - 1)];
  };

  SubobjectSets current(index, sets);
  for (int row = 1; row <= rows; ++row)
    if (entries.Choice(row, lod).InEverySubobject()) current.Add(setOf(row));
  current.TakeAsBase();
  if (current.BaseVertices() > limit)
    return WithValues(TextFrom(text, Text::EveryElementsOverLimit),
                      {{"lod", IntToStr(lod)},
                       {"vertices", IntToStr(current.BaseVertices())},
                       {"limit", IntToStr(limit)}});

  // The sub-object each vertex set went into: a set written into two
  // sub-objects would be written twice, so an element on a set that is in
  // already joins the sub-object that holds it.
  std::vector<int> owner(sets, 0);
  int subobject = 0;
  for (int row = 1; row <= rows; ++row) {
    const SubobjectChoice& old = entries.Choice(row, lod);
    if (KeepsItsCell(old)) {
      plan.cells.push_back(old);
      continue;
    }
    const int set = setOf(row);
    const bool known = set >= 0 && static_cast<std::size_t>(set) < sets;
    const int holder = known ? owner[static_cast<std::size_t>(set)] : 0;
    if (holder > 0) {
      const long long alone = current.BaseVertices() + current.AddsToBase(set);
      if (alone > limit) plan.oversized.push_back({row, alone, holder});
      SubobjectChoice cell(holder);
      if (cell != old) {
        plan.changesCells = true;
        if (old.Text() != "1") plan.overwritesEntries = true;
      }
      plan.cells.push_back(std::move(cell));
      continue;
    }
    // A sub-object that holds nothing beyond the "0" elements never hands an
    // element on: the next one would leave it empty.
    if (subobject == 0 ||
        (current.Adds(set) > 0 && current.Vertices() + current.Adds(set) > limit &&
         current.HoldsMoreThanBase())) {
      if (subobject > 0) plan.vertices.push_back(current.Vertices());
      if (++subobject > kHighestSubobject)
        return WithValues(TextFrom(text, Text::TooManySubobjects),
                          {{"lod", IntToStr(lod)},
                           {"limit", IntToStr(limit)},
                           {"most", IntToStr(kHighestSubobject)}});
      current.StartNext();
    }
    const long long alone = current.BaseVertices() + current.AddsToBase(set);
    if (alone > limit) plan.oversized.push_back({row, alone, subobject});
    if (known && current.Adds(set) > 0) owner[static_cast<std::size_t>(set)] = subobject;
    current.Add(set);
    SubobjectChoice cell(subobject);
    if (cell != old) {
      plan.changesCells = true;
      if (old.Text() != "1") plan.overwritesEntries = true;
    }
    plan.cells.push_back(std::move(cell));
  }
  if (subobject > 0) plan.vertices.push_back(current.Vertices());
  // The report names the oversized elements sub-object by sub-object.
  std::stable_sort(
      plan.oversized.begin(), plan.oversized.end(),
      [](const AutoSplitPlan::OversizedElement& a, const AutoSplitPlan::OversizedElement& b) {
        return a.subobject < b.subobject;
      });
  return std::nullopt;
}

void ApplyAutoSplit(Plan& entries, const AutoSplitPlan& plan) {
  for (std::size_t i = 0; i < plan.cells.size(); ++i)
    entries.SetChoice(static_cast<int>(i) + 1, plan.lod, plan.cells[i]);
}

std::string OversizedElementsReport(const ShapeTables& tables, const AutoSplitPlan& plan, int limit,
                                    const TextSource& text) {
  // One line per sub-object: elements that share a vertex set share it.
  std::string report = WithValues(TextFrom(text, Text::AloneOverLimit),
                                  {{"lod", IntToStr(plan.lod)}, {"limit", IntToStr(limit)}});
  const std::string lineWord = TextFrom(text, Text::LineWord);
  int shownSubobject = 0;
  for (const AutoSplitPlan::OversizedElement& element : plan.oversized) {
    const std::string name = "\"" + tables.elements[element.row].name + "\" (" + lineWord + " " +
                             IntToStr(element.row) + ")";
    if (element.subobject == shownSubobject) {
      report += ", " + name;
      continue;
    }
    shownSubobject = element.subobject;
    report +=
        "\n" +
        WithValues(TextFrom(text, Text::OversizedSubobject),
                   {{"subobject", IntToStr(element.subobject)},
                    {"vertices",
                     IntToStr(plan.vertices[static_cast<std::size_t>(element.subobject - 1)])}}) +
        " " + name;
  }
  return report;
}

}  // namespace quarvel
