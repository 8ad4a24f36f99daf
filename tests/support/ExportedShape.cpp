#include "support/ExportedShape.h"

#include <algorithm>

namespace quarvel::testing {

namespace {

std::string N(long long value) {
  return std::to_string(value);
}

std::string Tabs(int depth) {
  return std::string(static_cast<std::size_t>(depth), '\t');
}

}  // namespace

std::vector<std::string> BuildExportedShape(const ExportedShape& shape) {
  std::vector<std::string> lines = {"SIMISA@@@@@@@@@@JINX0s1t______", ""};
  const auto add = [&lines](int depth, const std::string& text) {
    lines.push_back(Tabs(depth) + text);
  };

  std::vector<ExportedShape::Primitive> primitives = shape.primitives;
  if (primitives.empty())
    for (std::size_t k = 0; k < shape.elements.size(); ++k)
      primitives.push_back({static_cast<int>(k), static_cast<int>(k) + 1});
  std::vector<int> firstVertex;
  int vertices = 0;
  for (int count : shape.setVertices) firstVertex.push_back(vertices), vertices += count;
  const auto matrixOf = [&](int element) {
    return shape.vtxStateMatrices[static_cast<std::size_t>(
        shape.elements[static_cast<std::size_t>(element)].vtxState)];
  };
  int faces = 0;
  for (const auto& primitive : primitives) faces += primitive.faces;
  const int nodes =
      shape.geometryNodes < 0 ? static_cast<int>(shape.matrices.size()) : shape.geometryNodes;

  add(0, "shape (");
  add(1, "shape_header ( 00000000 00000000 )");
  add(1, "volumes ( 1");
  add(2, "vol_sphere (");
  add(3, "vector ( 0.5 1.25 -2 ) 7.75");
  add(2, ")");
  add(1, ")");
  add(1, "shader_names ( 1");
  add(2, "named_shader ( TexDiff )");
  add(1, ")");
  add(1, "points ( " + N(vertices));
  for (int v = 0; v < vertices; ++v) add(2, "point ( " + N(v) + " 0.5 -" + N(v) + " )");
  add(1, ")");
  add(1, "uv_points ( 1");
  add(2, "uv_point ( 0 1 )");
  add(1, ")");
  add(1, "normals ( 2");
  add(2, "vector ( 0 1 0 )");
  add(2, "vector ( 1 0 0 )");
  add(1, ")");
  if (shape.oneLineSortVectors) {
    add(1, "sort_vectors ( 0 )");
  } else {
    add(1, "sort_vectors ( 1");
    add(2, "vector ( 0 0 1 )");
    add(1, ")");
  }
  add(1, "matrices ( " + N(static_cast<long long>(shape.matrices.size())));
  for (const auto& matrix : shape.matrices)
    add(2, "matrix " + matrix + " ( 1 0 0 0 1 0 0 0 1 0 0 0 )");
  add(1, ")");
  add(1, "images ( 1");
  add(2, "image ( Tex.ace )");
  add(1, ")");
  add(1, "textures ( 1");
  add(2, "texture ( 0 0 0 ff000000 )");
  add(1, ")");
  add(1, "vtx_states ( " + N(static_cast<long long>(shape.vtxStateMatrices.size())));
  for (int matrix : shape.vtxStateMatrices)
    add(2, "vtx_state ( 00000000 " + N(matrix) + " -5 0 00000002 )");
  add(1, ")");
  add(1, "prim_states ( " + N(static_cast<long long>(shape.elements.size())));
  for (const auto& element : shape.elements) {
    add(2, "prim_state " + element.name + " ( 00000000 0");
    add(3, "tex_idxs ( 1 0 ) 0 " + N(element.vtxState) + " 0 0 1");
    add(2, ")");
  }
  add(1, ")");
  add(1, "lod_controls ( 1");
  add(2, "lod_control (");
  add(3, "distance_levels_header ( 0 )");
  add(3, "distance_levels ( 1");
  add(4, "distance_level (");
  add(5, "distance_level_header (");
  add(6, "dlevel_selection ( 2000 )");
  std::string hierarchy = "hierarchy ( " + N(static_cast<long long>(shape.matrices.size())) + " -1";
  for (std::size_t m = 1; m < shape.matrices.size(); ++m) hierarchy += " 0";
  add(6, hierarchy + " )");
  add(5, ")");
  add(5, "sub_objects ( 1");
  add(6, "sub_object (");
  add(7, "sub_object_header ( " + shape.flags + " -1 -1 000001d2 000001c4");
  add(8, "geometry_info ( " + N(faces) + " " + N(static_cast<long long>(primitives.size())) +
             " 0 " + N(3LL * faces) + " 0 0 " + N(static_cast<long long>(primitives.size())) +
             " 0 0 0");
  add(9, "geometry_nodes ( " + N(nodes));
  for (int node = 0; node < nodes; ++node) {
    int prims = 0, nodeFaces = 0;
    for (const auto& primitive : primitives)
      if (matrixOf(primitive.element) == node) ++prims, nodeFaces += primitive.faces;
    add(10, "geometry_node ( " + N(prims) + " 0 0 0 0");
    add(11, "cullable_prims ( " + N(prims) + " " + N(nodeFaces) + " " + N(3LL * nodeFaces) + " )");
    add(10, ")");
  }
  add(9, ")");
  std::string map = "geometry_node_map ( " + N(static_cast<long long>(shape.matrices.size()));
  for (std::size_t m = 0; m < shape.matrices.size(); ++m)
    map += " " + N(static_cast<long long>(m) < nodes ? static_cast<long long>(m) : -1);
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
  add(7, "vertex_sets ( " + N(static_cast<long long>(shape.setVertices.size())));
  for (std::size_t set = 0; set < shape.setVertices.size(); ++set)
    add(8, "vertex_set ( " + N(static_cast<long long>(set)) + " " + N(firstVertex[set]) + " " +
               N(shape.setVertices[set]) + " )");
  add(7, ")");
  add(7, "primitives ( " + N(2 * static_cast<long long>(primitives.size())));
  for (const auto& primitive : primitives) {
    const auto set = static_cast<std::size_t>(
        shape.elements[static_cast<std::size_t>(primitive.element)].vtxState);
    const int first = set < firstVertex.size() ? firstVertex[set] : 0;
    const int count = set < firstVertex.size() ? std::max(1, shape.setVertices[set]) : 1;
    add(8, "prim_state_idx ( " + N(primitive.element) + " )");
    add(8, "indexed_trilist (");
    std::string indices = "vertex_idxs ( " + N(3LL * primitive.faces);
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
  if (shape.animation) {
    add(1, "animations ( 1");
    add(2, "animation ( 2 30");
    add(3, "anim_nodes ( " + N(static_cast<long long>(shape.matrices.size())));
    for (std::size_t m = 0; m < shape.matrices.size(); ++m) {
      add(4, "anim_node " + shape.matrices[m] + " (");
      add(5, "controllers ( 0 )");
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

}  // namespace quarvel::testing
