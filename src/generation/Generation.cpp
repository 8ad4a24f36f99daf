#include "generation/Generation.h"

#include "generation/RewriteText.h"
#include "generation/SubobjectWriter.h"

namespace quarvel {

using rewrite::IntTokenAfter;
using rewrite::LineAt;
using rewrite::ReplaceAfter;

bool PrepareGeneration(ShapeText& text, const StringGrid& elements, int elementCount,
                       GenerationLayout& layout) {
  if (text.Empty()) return false;
  for (int row = 1; row <= elementCount; ++row)
    if (!TryStrToInt(elements.Cell(3, row))) return false;

  bool result = true;
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
    result = false;
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
  if (!find(i + 1, "sub_object ", layout.firstSubobjectLine)) return false;
  if (!find(layout.firstSubobjectLine + 1, "vertices", layout.verticesLine)) return false;

  std::size_t flagsLine = 0;
  bool flagsFound = false;
  for (std::size_t k = layout.verticesLine + 1; k < count; ++k) {
    if (Contains(text[k], "sub_object ")) break;
    if (Contains(text[k], "flags")) flagsFound = true, flagsLine = k;
  }
  if (!flagsFound) return false;
  std::size_t closing = flagsLine;
  while (closing < count && !Contains(text[closing], ")")) ++closing;
  layout.subobjectEndLine = closing + 3;
  return result;
}

bool SortMarked(const StringGrid& subobjects, int lod, int subobject) {
  const std::string& mark = subobjects.Cell(lod + 1, subobject);
  return mark == "x" || mark == "X";
}

std::string CountAndCheck(const GenerationInput& input, int subobjectRows, GenerationPlan& plan) {
  plan.sortCount = 0;
  for (int lod = 1; lod <= input.lodCount; ++lod) {
    plan.lodSubobjectCount[static_cast<std::size_t>(lod)] = 0;
    int previous = 1;
    for (int s = 1; s <= subobjectRows; ++s) {
      const int vertices = input.vertexCount(lod, s);
      if (vertices > 0) {
        ++plan.lodSubobjectCount[static_cast<std::size_t>(lod)];
        if (SortMarked(input.subobjects, lod, s)) ++plan.sortCount;
      }
      if ((previous == 0 && vertices > 0) || (s == 1 && vertices == 0))
        return "LOD " + IntToStr(lod) + " ist leer oder ein leeres " +
               "Subobjekt liegt vor nicht-leeren Subobjekten. Dies würde zum Absturz " +
               "des Simulators führen. Abbruch der Aktion.";
      previous = vertices;
    }
  }
  return "";
}

RewriteResult RewriteShape(const std::vector<std::string>& source, const GenerationLayout& layout,
                           const GenerationInput& input, const GenerationPlan& plan,
                           const GenerationProgress& progress) {
  RewriteResult result;
  std::vector<std::string>& out = result.lines;
  out.reserve(source.size() * 2);
  const int sortCount = plan.sortCount;

  // Header: volumes and sort vectors gain one entry per sorted sub-object,
  // then the number of distance levels.
  std::size_t index = 0;
  std::size_t firstLevelLine = 0;
  std::string vectorLine;
  while (index < layout.firstSubobjectLine) {
    if (sortCount > 0 && Contains(LineAt(source, index), "volumes")) {
      std::string line = LineAt(source, index);
      ReplaceAfter(line, "volumes", 2, IntTokenAfter(line, "volumes", 2, index) + sortCount);
      out.push_back(std::move(line));
      ++index;
      for (int copy = 0; copy <= sortCount; ++copy)
        for (std::size_t k = 0; k < 3; ++k) out.push_back(LineAt(source, index + k));
      vectorLine = LineAt(source, index + 1);
      index += 3;
    }
    if (sortCount > 0 && Contains(LineAt(source, index), "sort_vectors")) {
      std::string line = LineAt(source, index);
      ReplaceAfter(line, "sort_vectors", 2,
                   IntTokenAfter(line, "sort_vectors", 2, index) + sortCount);
      out.push_back(std::move(line));
      ++index;
      // The sphere's centre, without its radius, is every new sort vector.
      while (!vectorLine.empty() && vectorLine.back() != ')') vectorLine.pop_back();
      if (vectorLine.empty())
        throw RewriteError("Die Kugel unter \"volumes\" steht nicht vor \"sort_vectors\" (Zeile " +
                           rewrite::LineNumber(index - 1) + ").");
      for (int copy = 0; copy < sortCount; ++copy) out.push_back(vectorLine);
    }
    if (Contains(LineAt(source, index), "distance_levels ")) {
      std::string line = LineAt(source, index);
      ReplaceAfter(line, "distance_levels ", 2, input.lodCount);
      out.push_back(std::move(line));
      ++index;
      firstLevelLine = index;
      result.distanceLevelFound = true;
      break;
    }
    out.push_back(LineAt(source, index));
    ++index;
  }
  if (!result.distanceLevelFound) return result;

  // One distance level per LOD, each with its own distance and sub-objects.
  SubobjectWriter writer(source, layout, input, out, progress);
  for (int lod = 1; lod <= input.lodCount; ++lod) {
    const int subobjects = plan.lodSubobjectCount[static_cast<std::size_t>(lod)];
    for (index = firstLevelLine; index < layout.firstSubobjectLine; ++index) {
      std::string line = LineAt(source, index);
      if (Contains(line, "dlevel_selection"))
        ReplaceTokenAfter(line, "dlevel_selection", 2, Utf8ToLatin1(input.distances.Cell(1, lod)));
      if (Contains(line, "sub_objects")) ReplaceAfter(line, "sub_objects", 2, subobjects);
      out.push_back(std::move(line));
    }
    for (int s = 1; s <= subobjects; ++s) writer.WriteSubobject(lod, s);
    out.push_back(LineAt(source, layout.subobjectEndLine + 1));
    out.push_back(LineAt(source, layout.subobjectEndLine + 2));
  }
  for (index = layout.subobjectEndLine + 3; index < source.size(); ++index)
    out.push_back(source[index]);
  return result;
}

}  // namespace quarvel
