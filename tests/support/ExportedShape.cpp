#include "support/ExportedShape.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quarvel::testing {

namespace {

template <typename Number>
std::string N(Number value) {
  return std::to_string(value);
}

}  // namespace

std::vector<std::string> BuildExportedShape(const ExportedShape& shape) {
  std::vector<std::string> lines = {"SIMISA@@@@@@@@@@JINX0s1t______", ""};
  const auto add = [&lines](int depth, const std::string& text) {
    lines.push_back(std::string(static_cast<std::size_t>(depth), '\t') + text);
  };
  const auto list = [&](const std::string& keyword, const auto& items, const auto& line) {
    add(1, keyword + " ( " + N(items.size()));
    for (const auto& item : items) add(2, line(item));
    add(1, ")");
  };

  std::vector<ExportedShape::Primitive> primitives = shape.primitives;
  if (primitives.empty())
    for (std::size_t k = 0; k < shape.elements.size(); ++k)
      primitives.push_back({static_cast<int>(k), static_cast<int>(k) + 1});
  std::vector<int> firstVertex;
  int vertices = 0;
  for (int count : shape.setVertices) firstVertex.push_back(vertices), vertices += count;
  // The matrix an element is drawn with, -1 where the shape lacks it.
  const auto matrixOf = [&](int element) {
    const auto state =
        static_cast<std::size_t>(shape.elements.at(static_cast<std::size_t>(element)).vtxState);
    return state < shape.vtxStateMatrices.size() ? shape.vtxStateMatrices[state] : -1;
  };
  int faces = 0;
  for (const auto& primitive : primitives) faces += primitive.faces;
  const std::size_t matrices = shape.matrices.size();

  add(0, "shape (");
  add(1, "shape_header ( 00000000 00000000 )");
  add(1, "volumes ( 1");
  add(2, "vol_sphere (");
  add(3, "vector ( 0.5 1.25 -2 ) 7.75");
  add(2, ")");
  add(1, ")");
  list("shader_names", std::vector<int>{0}, [](int) { return "named_shader ( TexDiff )"; });
  list("texture_filter_names", std::vector<int>{0},
       [](int) { return "named_filter_mode ( MipLinear )"; });
  add(1, "points ( " + N(vertices));
  for (int v = 0; v < vertices; ++v) add(2, "point ( " + N(v) + " 0.5 -" + N(v) + " )");
  add(1, ")");
  list("uv_points", std::vector<int>{0}, [](int) { return "uv_point ( 0 1 )"; });
  list("normals", std::vector<std::string>{"0 1 0", "1 0 0"},
       [](const std::string& normal) { return "vector ( " + normal + " )"; });
  if (shape.oneLineSortVectors)
    add(1, "sort_vectors ( 0 )");
  else
    list("sort_vectors", std::vector<int>{0}, [](int) { return "vector ( 0 0 1 )"; });
  add(1, "colours ( 0 )");
  list("matrices", shape.matrices,
       [](const std::string& name) { return "matrix " + name + " ( 1 0 0 0 1 0 0 0 1 0 0 0 )"; });
  list("images", shape.images, [](const std::string& name) { return "image ( " + name + " )"; });
  list("textures", shape.textures,
       [](int image) { return "texture ( " + N(image) + " 0 0 ff000000 )"; });
  add(1, "light_materials ( 0 )");
  add(1, "light_model_cfgs ( 1");
  add(2, "light_model_cfg ( 00000000");
  add(3, "uv_ops ( 1");
  add(4, "uv_op_copy ( 1 0 )");
  add(3, ")");
  add(2, ")");
  add(1, ")");
  list("vtx_states", shape.vtxStateMatrices,
       [](int matrix) { return "vtx_state ( 00000000 " + N(matrix) + " -5 0 00000002 )"; });
  add(1, "prim_states ( " + N(shape.elements.size()));
  for (const auto& element : shape.elements) {
    add(2, "prim_state " + element.name + " ( 00000000 0");
    add(3, "tex_idxs ( 1 " + N(element.texture) + " ) 0 " + N(element.vtxState) + " 0 0 1");
    add(2, ")");
  }
  add(1, ")");
  add(1, "lod_controls ( 1");
  add(2, "lod_control (");
  add(3, "distance_levels_header ( 0 )");
  add(3, "distance_levels ( " + N(shape.distanceLevels));
  add(4, "distance_level (");
  add(5, "distance_level_header (");
  add(6, "dlevel_selection ( 2000 )");
  std::string hierarchy = "hierarchy ( " + N(matrices) + " -1";
  for (std::size_t m = 1; m < matrices; ++m) hierarchy += " 0";
  add(6, hierarchy + " )");
  add(5, ")");
  add(5, "sub_objects ( " + N(shape.subObjects));
  add(6, "sub_object (");
  add(7, "sub_object_header ( " + shape.flags + " -1 -1 000001d2 000001c4");
  add(8, "geometry_info ( " + N(faces) + " " + N(primitives.size()) + " 0 " + N(3 * faces) +
             " 0 0 " + N(primitives.size()) + " 0 0 0");
  add(9, "geometry_nodes ( " + N(matrices));
  for (std::size_t node = 0; node < matrices; ++node) {
    int prims = 0, nodeFaces = 0;
    for (const auto& primitive : primitives)
      if (matrixOf(primitive.element) == static_cast<int>(node))
        ++prims, nodeFaces += primitive.faces;
    add(10, "geometry_node ( " + N(prims) + " 0 0 0 0");
    add(11, "cullable_prims ( " + N(prims) + " " + N(nodeFaces) + " " + N(3 * nodeFaces) + " )");
    add(10, ")");
  }
  add(9, ")");
  std::string map = "geometry_node_map ( " + N(matrices);
  for (std::size_t m = 0; m < matrices; ++m) map += " " + N(m);
  add(9, map + " )");
  add(8, ")");
  add(8, "subobject_shaders ( 1 0 )");
  add(8, "subobject_light_cfgs ( 1 0 ) 0");
  add(7, ")");
  add(7, "vertices ( " + N(vertices));
  for (int v = 0; v < vertices; ++v) {
    add(8, "vertex ( 00000000 " + N(v) + " " + N(v % 2) + " ffffffff ff808080");
    add(9, "vertex_uvs ( 1 0 )");
    add(8, ")");
  }
  add(7, ")");
  add(7, "vertex_sets ( " + N(shape.setVertices.size()));
  for (std::size_t set = 0; set < shape.setVertices.size(); ++set)
    add(8, "vertex_set ( " + N(set) + " " + N(firstVertex[set]) + " " + N(shape.setVertices[set]) +
               " )");
  add(7, ")");
  add(7, "primitives ( " + N(2 * primitives.size()));
  for (const auto& primitive : primitives) {
    const auto set = static_cast<std::size_t>(
        shape.elements.at(static_cast<std::size_t>(primitive.element)).vtxState);
    const int first = set < firstVertex.size() ? firstVertex[set] : 0;
    const int count = set < firstVertex.size() ? std::max(1, shape.setVertices[set]) : 1;
    add(8, "prim_state_idx ( " + N(primitive.element) + " )");
    add(8, "indexed_trilist (");
    std::string indices = "vertex_idxs ( " + N(3 * primitive.faces);
    std::string normals = "normal_idxs ( " + N(primitive.faces);
    std::string flags = "flags ( " + N(primitive.faces);
    for (int f = 0; f < primitive.faces; ++f) {
      for (int c = 0; c < 3; ++c) indices += " " + N(first + (3 * f + c) % count);
      normals += " " + N(f % 2) + " 3";
      flags += " 00000000";
    }
    add(9, indices + " )");
    add(9, normals + " )");
    add(9, flags + " )");
    add(8, ")");
  }
  for (int depth = 7; depth >= 1; --depth) add(depth, ")");
  if (!shape.animNodes.empty()) {
    add(1, "animations ( 1");
    add(2, "animation ( 8 30");
    add(3, "anim_nodes ( " + N(shape.animNodes.size()));
    for (const auto& node : shape.animNodes) {
      add(4, "anim_node " + node.name + " (");
      if (node.keys.empty()) add(5, "controllers ( 0 )");
      if (!node.keys.empty()) add(5, "controllers ( " + N(node.keys.size()));
      for (std::size_t c = 0; c < node.keys.size(); ++c) {
        const bool rotation = c % 2 == 0;
        add(6, (rotation ? "tcb_rot ( " : "linear_pos ( ") + N(node.keys[c]));
        for (int k = 0; k < node.keys[c]; ++k)
          add(7, rotation ? "tcb_key ( " + N(k) + " 0 0 0 1 0 0 0 0 0 )"
                          : "linear_key ( " + N(k) + " 0 0 0 )");
        add(6, ")");
      }
      if (!node.keys.empty()) add(5, ")");
      add(4, ")");
    }
    add(3, ")");
    add(2, ")");
    add(1, ")");
  }
  add(0, ")");
  return lines;
}

ExportedShape ElementsWithOwnSets(int count, int vertices) {
  ExportedShape shape;
  shape.vtxStateMatrices.assign(static_cast<std::size_t>(count), 0);
  shape.elements.clear();
  shape.setVertices.clear();
  for (int k = 0; k < count; ++k) {
    shape.elements.push_back({"Element" + std::to_string(k), k});
    shape.setVertices.push_back(vertices);
  }
  return shape;
}

ExportedShape GradedElements(int count) {
  ExportedShape shape = ElementsWithOwnSets(count);
  for (int k = 0; k < count; ++k) {
    shape.setVertices[static_cast<std::size_t>(k)] = 10 + k;
    shape.primitives.push_back({k, 2 + k});
  }
  return shape;
}

std::size_t LineWith(const std::vector<std::string>& lines, const std::string& text) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(text) != std::string::npos) return i;
  ADD_FAILURE() << "no line holds \"" << text << "\"";
  return 0;
}

}  // namespace quarvel::testing
