#include "support/ShapeBuilder.h"

#include <gtest/gtest.h>

namespace quarvel::testing {

namespace {

std::string N(int value) {
  return std::to_string(value);
}
std::string Count(std::size_t value) {
  return std::to_string(value);
}

}  // namespace

std::vector<std::string> BuildShape(const ShapeParts& parts) {
  std::vector<std::string> lines = {"SIMISA@@@@@@@@@@JINX0s1t______", "", "shape (",
                                    "\tshape_header ( 00000000 00000000 )", "\tsort_vectors ( 0 )"};
  const auto add = [&lines](const std::string& line) { lines.push_back(line); };

  add("\tmatrices ( " + Count(parts.matrices.size()));
  for (const auto& name : parts.matrices)
    add("\t\tmatrix " + name + " ( 1 0 0 0 1 0 0 0 1 0 0 0 )");
  add("\t)");
  add("\timages ( " + Count(parts.images.size()));
  for (const auto& name : parts.images) add("\t\timage ( " + name + " )");
  add("\t)");
  add("\ttextures ( " + Count(parts.textures.size()));
  for (int image : parts.textures) add("\t\ttexture ( " + N(image) + " 0 0 ff000000 )");
  add("\t)");
  add("\tvtx_states ( " + Count(parts.vtxStates.size()));
  for (int matrix : parts.vtxStates)
    add("\t\tvtx_state ( 00000000 " + N(matrix) + " -5 0 00000002 )");
  add("\t)");
  add("\tprim_states ( " + Count(parts.elements.size()));
  for (const auto& element : parts.elements) {
    add("\t\tprim_state " + element.name + " ( 00000000 0");
    add("\t\t\ttex_idxs ( 1 " + N(element.texture) + " ) 0.0 " + N(element.vtxState) + " 0 0 1");
    add("\t\t)");
  }
  add("\t)");
  add("\tlod_controls ( 1");
  add("\t\tlod_control (");
  add("\t\t\tdistance_levels_header ( 0 )");
  add("\t\t\tdistance_levels ( " + N(parts.distanceLevels));
  add("\t\t\t\tdistance_level (");
  add("\t\t\t\t\tdistance_level_header (");
  add("\t\t\t\t\t\tdlevel_selection ( 2000 )");
  add("\t\t\t\t\t\thierarchy ( 1 -1 )");
  add("\t\t\t\t\t)");
  add("\t\t\t\t\tsub_objects ( " + N(parts.subObjects));
  add("\t\t\t\t\t\tsub_object (");
  add("\t\t\t\t\t\t\tsub_object_header ( 00000400 -1 -1 000001d2 000001c4");
  add("\t\t\t\t\t\t\t)");

  std::vector<ShapeParts::VertexSet> sets = parts.vertexSets;
  if (sets.empty()) {
    int first = 0;
    for (std::size_t i = 0; i < parts.vtxStates.size(); ++i) {
      sets.push_back({static_cast<int>(i), first, 10});
      first += 10;
    }
  }
  int vertices = 0;
  for (const auto& set : sets) vertices += set.vertexCount;
  add("\t\t\t\t\t\t\tvertices ( " + N(vertices));
  add("\t\t\t\t\t\t\t)");
  add("\t\t\t\t\t\t\tvertex_sets ( " + Count(sets.size()));
  for (const auto& set : sets)
    add("\t\t\t\t\t\t\t\tvertex_set ( " + N(set.vtxState) + " " + N(set.firstVertex) + " " +
        N(set.vertexCount) + " )");
  add("\t\t\t\t\t\t\t)");

  std::vector<ShapeParts::Primitive> primitives = parts.primitives;
  if (primitives.empty())
    for (std::size_t k = 0; k < parts.elements.size(); ++k)
      primitives.push_back({static_cast<int>(k), 4});
  add("\t\t\t\t\t\t\tprimitives ( " + Count(2 * primitives.size()));
  for (const auto& primitive : primitives) {
    add("\t\t\t\t\t\t\t\tprim_state_idx ( " + N(primitive.element) + " )");
    add("\t\t\t\t\t\t\t\tindexed_trilist (");
    std::string indices = "\t\t\t\t\t\t\t\t\tvertex_idxs ( " + N(3 * primitive.faces);
    std::string flags = "\t\t\t\t\t\t\t\t\tflags ( " + N(primitive.faces);
    for (int f = 0; f < primitive.faces; ++f) indices += " 0 1 2", flags += " 00000000";
    add(indices + " )");
    add("\t\t\t\t\t\t\t\t\tnormal_idxs ( 0 )");
    add(flags + " )");
    add("\t\t\t\t\t\t\t\t)");
  }
  add("\t\t\t\t\t\t\t)");
  add("\t\t\t\t\t\t)");
  add("\t\t\t\t\t)");
  add("\t\t\t\t)");
  add("\t\t\t)");
  add("\t\t)");
  add("\t)");
  add(")");
  return lines;
}

ShapeParts SimpleParts(int count) {
  ShapeParts parts;
  parts.vtxStates.clear();
  for (int k = 0; k < count; ++k) {
    parts.vtxStates.push_back(0);
    parts.elements.push_back({"Element" + N(k), 0, k});
    parts.vertexSets.push_back({k, 0, 10 + k});
    parts.primitives.push_back({k, 2 + k});
  }
  int first = 0;
  for (auto& set : parts.vertexSets) set.firstVertex = first, first += set.vertexCount;
  return parts;
}

std::size_t LineWith(const std::vector<std::string>& lines, const std::string& text) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(text) != std::string::npos) return i;
  ADD_FAILURE() << "no line holds \"" << text << "\"";
  return 0;
}

}  // namespace quarvel::testing
