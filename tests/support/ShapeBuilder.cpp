#include "support/ShapeBuilder.h"

#include <gtest/gtest.h>

namespace quarvel::testing {

std::vector<std::string> BuildShape(const ShapeParts& parts) {
  const auto n = [](auto value) { return std::to_string(value); };
  std::vector<std::string> lines = {"SIMISA@@@@@@@@@@JINX0s1t______", "", "shape (",
                                    "\tsort_vectors ( 0 )"};
  const auto add = [&lines](const std::string& line) { lines.push_back(line); };
  const auto list = [&](const std::string& keyword, std::size_t count, const auto& items,
                        const auto& line) {
    add("\t" + keyword + " ( " + n(count));
    for (const auto& item : items) add("\t\t" + line(item));
    add("\t)");
  };
  list("matrices", parts.matrices.size(), parts.matrices,
       [](const std::string& name) { return "matrix " + name + " ( 1 0 0 0 1 0 0 0 1 0 0 0 )"; });
  list("images", parts.images.size(), parts.images,
       [](const std::string& name) { return "image ( " + name + " )"; });
  list("textures", parts.textures.size(), parts.textures,
       [&](int image) { return "texture ( " + n(image) + " 0 0 ff000000 )"; });
  list("vtx_states", parts.vtxStates.size(), parts.vtxStates,
       [&](int matrix) { return "vtx_state ( 00000000 " + n(matrix) + " -5 0 00000002 )"; });
  add("\tprim_states ( " + n(parts.elements.size()));
  for (const auto& element : parts.elements) {
    add("\t\tprim_state " + element.name + " ( 00000000 0");
    add("\t\t\ttex_idxs ( 1 " + n(element.texture) + " ) 0.0 " + n(element.vtxState) + " 0 0 1");
    add("\t\t)");
  }
  add("\t)");
  for (const char* line :
       {"\tlod_controls ( 1", "\t\tlod_control (", "\t\t\tdistance_levels_header ( 0 )"})
    add(line);
  add("\t\t\tdistance_levels ( " + n(parts.distanceLevels));
  add("\t\t\t\tdistance_level (");
  add("\t\t\t\t\tdistance_level_header ( dlevel_selection ( 2000 ) hierarchy ( 1 -1 ) )");
  add("\t\t\t\t\tsub_objects ( " + n(parts.subObjects));
  add("\t\t\t\t\t\tsub_object (");

  std::vector<ShapeParts::VertexSet> sets = parts.vertexSets;
  for (std::size_t i = 0; parts.vertexSets.empty() && i < parts.vtxStates.size(); ++i)
    sets.push_back({static_cast<int>(i), 10 * static_cast<int>(i), 10});
  list("vertex_sets", sets.size(), sets, [&](const ShapeParts::VertexSet& set) {
    return "vertex_set ( " + n(set.vtxState) + " " + n(set.firstVertex) + " " + n(set.vertexCount) +
           " )";
  });

  std::vector<ShapeParts::Primitive> primitives = parts.primitives;
  for (std::size_t k = 0; parts.primitives.empty() && k < parts.elements.size(); ++k)
    primitives.push_back({static_cast<int>(k), 4});
  add("\tprimitives ( " + n(2 * primitives.size()));
  for (const auto& primitive : primitives) {
    add("\t\tprim_state_idx ( " + n(primitive.element) + " )");
    add("\t\tindexed_trilist (");
    std::string indices = "\t\t\tvertex_idxs ( " + n(3 * primitive.faces);
    std::string flags = "\t\t\tflags ( " + n(primitive.faces);
    for (int f = 0; f < primitive.faces; ++f) indices += " 0 1 2", flags += " 00000000";
    add(indices + " )");
    add("\t\t\tnormal_idxs ( 0 )");
    add(flags + " )");
    add("\t\t)");
  }
  for (int depth = 5; depth >= 0; --depth)
    add(std::string(static_cast<std::size_t>(depth), '\t') + ")");
  return lines;
}

ShapeParts SimpleParts(int count) {
  ShapeParts parts;
  parts.vtxStates.assign(static_cast<std::size_t>(count), 0);
  int first = 0;
  for (int k = 0; k < count; ++k) {
    parts.elements.push_back({"Element" + std::to_string(k), 0, k});
    parts.vertexSets.push_back({k, first, 10 + k});
    parts.primitives.push_back({k, 2 + k});
    first += 10 + k;
  }
  return parts;
}

std::size_t LineWith(const std::vector<std::string>& lines, const std::string& text) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(text) != std::string::npos) return i;
  ADD_FAILURE() << "no line holds \"" << text << "\"";
  return 0;
}

}  // namespace quarvel::testing
