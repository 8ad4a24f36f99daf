#include "generation/Generation.h"

#include <algorithm>

#include "generation/RewriteText.h"
#include "generation/SubobjectWriter.h"
#include "shape/LineNumbers.h"

namespace quarvel {

using rewrite::IntTokenAfter;
using rewrite::LineAt;
using rewrite::ReplaceAfter;

Checked<GenerationLayout> PrepareGeneration(ShapeText& text, const Plan& plan, int elementCount,
                                            const TextSource& texts) {
  const auto refused = [&] {
    return Checked<GenerationLayout>::Refused(TextFrom(texts, Text::GeneralGenerationError));
  };
  if (text.Empty()) return refused();
  for (int row = 1; row <= elementCount; ++row)
    if (!plan.Choice(row, 1).Value()) return refused();

  GenerationLayout layout;
  bool sortVectorsFound = true;
  const std::size_t last = text.Count() - 1;
  std::size_t i = 1;
  while (i < last && !Contains(text[i], "sort_vectors")) ++i;
  if (Contains(text[i], "sort_vectors")) {
    const std::string& line = text[i];
    const auto close = line.find(')');
    if (close != std::string::npos) {
      // "sort_vectors ( 0 )" on one line becomes the opening line and a line
      // of its own for the ")", the form every later step expects.
      std::string opening = line;
      opening.erase(close, 255);
      text.Replace(i, std::move(opening));
      text.Insert(i + 1, "\t)");
    }
  } else {
    sortVectorsFound = false;
  }
  layout.sortVectorsLine = i;

  const std::size_t count = text.Count();
  const auto find = [&](std::size_t from, std::string_view keyword, std::size_t& found) {
    for (std::size_t k = from; k < count; ++k) {
      if (Contains(text[k], keyword)) {
        found = k;
        return true;
      }
    }
    return false;
  };
  if (!find(i + 1, "sub_object ", layout.firstSubobjectLine)) return refused();
  if (!find(layout.firstSubobjectLine + 1, "vertices", layout.verticesLine)) return refused();

  std::size_t flagsLine = 0;
  bool flagsFound = false;
  for (std::size_t k = layout.verticesLine + 1; k < count; ++k) {
    if (Contains(text[k], "sub_object ")) break;
    if (Contains(text[k], "flags")) flagsFound = true, flagsLine = k;
  }
  if (!flagsFound) return refused();
  std::size_t closing = flagsLine;
  while (closing < count && !Contains(text[closing], ")")) ++closing;
  layout.subobjectEndLine = closing + 3;
  if (!sortVectorsFound) return refused();
  return layout;
}

Checked<GenerationPlan> CountAndCheck(const GenerationInput& input, int subobjectRows) {
  GenerationPlan plan;
  for (int lod = 1; lod <= input.lodCount; ++lod) {
    plan.lodSubobjectCount[static_cast<std::size_t>(lod)] = 0;
    int previous = 1;
    for (int s = 1; s <= subobjectRows; ++s) {
      const int vertices = input.VertexCount(lod, s);
      if (vertices > 0) {
        ++plan.lodSubobjectCount[static_cast<std::size_t>(lod)];
        if (input.plan.SortMarked(lod, s)) ++plan.sortCount;
      }
      if ((previous == 0 && vertices > 0) || (s == 1 && vertices == 0))
        return Checked<GenerationPlan>::Refused(
            WithValue(TextFrom(input.text, Text::EmptyLod), "lod", IntToStr(lod)));
      previous = vertices;
    }
  }
  return plan;
}

namespace {

// Digits, optionally with a decimal point and more digits, and not zero.
bool IsPlainPositiveNumber(std::string_view text) {
  const std::size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view fraction =
      dot == std::string_view::npos ? std::string_view("0") : text.substr(dot + 1);
  const auto digits = [](std::string_view part) {
    return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
  };
  return digits(whole) && digits(fraction) && text.find_first_not_of("0.") != std::string::npos;
}

}  // namespace

Refusal CheckDistances(const GenerationInput& input) {
  for (int lod = 1; lod <= input.lodCount; ++lod) {
    // The text goes into the shape as it stands; anything but a plain
    // positive number there makes a distance level the simulator cannot read.
    const std::string& distance = input.plan.distances[lod];
    if (!IsPlainPositiveNumber(distance))
      return WithValues(TextFrom(input.text, Text::InvalidDistance),
                        {{"lod", IntToStr(lod)}, {"distance", distance}});
  }
  return std::nullopt;
}

namespace {

// An upper bound of the lines the rewrite writes, so that the new text is
// never moved while it grows: each sub-object takes at most the template
// without the vertices it leaves out. The room reserved beyond the real
// count is never touched and so costs no memory.
std::size_t OutputLinesBound(const std::vector<std::string>& source, const GenerationLayout& layout,
                             const GenerationInput& input, const GenerationPlan& plan) {
  const std::size_t templateLines = layout.subobjectEndLine + 1 - layout.firstSubobjectLine;
  long long allVertices = 0;
  for (int set = 0; set < input.index.VertexSetCount; ++set)
    allVertices += input.index.VertexSets[static_cast<std::size_t>(set)].vertexCount;
  std::size_t bound = source.size() + static_cast<std::size_t>(plan.sortCount) * 4;
  for (int lod = 1; lod <= input.lodCount; ++lod) {
    bound += layout.firstSubobjectLine + 2;
    for (int s = 1; s <= plan.lodSubobjectCount[static_cast<std::size_t>(lod)]; ++s) {
      const long long removed = allVertices - input.VertexCount(lod, s);
      bound += templateLines - static_cast<std::size_t>(std::clamp<long long>(
                                   3 * removed, 0, static_cast<long long>(templateLines)));
    }
  }
  return bound;
}

}  // namespace

namespace {

std::vector<std::string> RewriteLines(const std::vector<std::string>& source,
                                      const GenerationLayout& layout, const GenerationInput& input,
                                      const GenerationPlan& plan,
                                      const GenerationProgress& progress) {
  std::vector<std::string> out;
  bool distanceLevelFound = false;
  out.reserve(OutputLinesBound(source, layout, input, plan));
  const int sortCount = plan.sortCount;

  // Header: volumes and sort vectors gain one entry per sorted sub-object,
  // then the number of distance levels. Only the first line naming each
  // list is its header: a matrix or image whose name merely contains the
  // word stays as it is.
  std::size_t index = 0;
  std::size_t firstLevelLine = 0;
  std::string vectorLine;
  bool volumesDone = false, sortVectorsDone = false;
  while (index < layout.firstSubobjectLine) {
    if (sortCount > 0 && !volumesDone && Contains(LineAt(source, index), "volumes")) {
      volumesDone = true;
      std::string line = LineAt(source, index);
      ReplaceAfter(line, "volumes", 2, IntTokenAfter(line, "volumes", 2, index) + sortCount);
      out.push_back(std::move(line));
      ++index;
      for (int copy = 0; copy <= sortCount; ++copy)
        for (std::size_t k = 0; k < 3; ++k) out.push_back(LineAt(source, index + k));
      vectorLine = LineAt(source, index + 1);
      index += 3;
    }
    if (sortCount > 0 && !sortVectorsDone && Contains(LineAt(source, index), "sort_vectors")) {
      sortVectorsDone = true;
      std::string line = LineAt(source, index);
      ReplaceAfter(line, "sort_vectors", 2,
                   IntTokenAfter(line, "sort_vectors", 2, index) + sortCount);
      out.push_back(std::move(line));
      ++index;
      // The sphere's centre, without its radius, is every new sort vector.
      while (!vectorLine.empty() && vectorLine.back() != ')') vectorLine.pop_back();
      if (vectorLine.empty())
        throw RewriteError(Text::SphereAfterSortVectors, {{"volumes", "volumes"},
                                                          {"sortvectors", "sort_vectors"},
                                                          {"line", ShownLineText(index - 1)}});
      for (int copy = 0; copy < sortCount; ++copy) out.push_back(vectorLine);
    }
    if (Contains(LineAt(source, index), "distance_levels ")) {
      std::string line = LineAt(source, index);
      ReplaceAfter(line, "distance_levels ", 2, input.lodCount);
      out.push_back(std::move(line));
      ++index;
      firstLevelLine = index;
      distanceLevelFound = true;
      break;
    }
    out.push_back(LineAt(source, index));
    ++index;
  }
  if (!distanceLevelFound) throw MissingDistanceLevel();

  // One distance level per LOD, each with its own distance and sub-objects.
  SubobjectWriter writer(source, layout, input, out, progress);
  for (int lod = 1; lod <= input.lodCount; ++lod) {
    const int subobjects = plan.lodSubobjectCount[static_cast<std::size_t>(lod)];
    for (index = firstLevelLine; index < layout.firstSubobjectLine; ++index) {
      std::string line = LineAt(source, index);
      if (Contains(line, "dlevel_selection"))
        ReplaceTokenAfter(line, "dlevel_selection", 2, Utf8ToLatin1(input.plan.distances[lod]));
      if (Contains(line, "sub_objects")) ReplaceAfter(line, "sub_objects", 2, subobjects);
      out.push_back(std::move(line));
    }
    for (int s = 1; s <= subobjects; ++s) writer.WriteSubobject(lod, s);
    out.push_back(LineAt(source, layout.subobjectEndLine + 1));
    out.push_back(LineAt(source, layout.subobjectEndLine + 2));
  }
  for (index = layout.subobjectEndLine + 3; index < source.size(); ++index)
    out.push_back(source[index]);
  return out;
}

}  // namespace

Checked<std::vector<std::string>> RewriteShape(const std::vector<std::string>& source,
                                               const GenerationLayout& layout,
                                               const GenerationInput& input,
                                               const GenerationPlan& plan,
                                               const GenerationProgress& progress) {
  using Lines = Checked<std::vector<std::string>>;
  try {
    return RewriteLines(source, layout, input, plan, progress);
  } catch (const MissingDistanceLevel&) {
    return Lines::Refused(TextFrom(input.text, Text::NoDistanceLevel));
  } catch (const RewriteError& error) {
    // Never a half-rebuilt text: the shape stays as it was.
    return Lines::Refused(
        Worded(input.text, Text::RewriteFailed, {{"reason", error.In(input.text)}}));
  }
}

}  // namespace quarvel
