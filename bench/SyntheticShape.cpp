#include "SyntheticShape.h"

#include <random>

#include "shape/ShapeFile.h"

namespace quarvel::bench {

namespace {

std::string Indent(int depth) {
  return std::string(static_cast<std::size_t>(depth), '\t');
}

std::string Coordinate(std::mt19937& random) {
  std::uniform_real_distribution<double> value(-5.0, 5.0);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6f", value(random));
  return buffer;
}

}  // namespace

std::vector<std::string> MakeSyntheticShape(const SyntheticShapeOptions& o) {
  std::mt19937 random(o.seed);
  std::vector<std::string> lines;
  const auto add = [&lines](int depth, const std::string& text) {
    lines.push_back(Indent(depth) + text);
  };
  const int elements = o.elements;
  const int faces = elements * o.facesPerElement;
  const int vertices = elements * o.verticesPerElement;

  lines.push_back("SIMISA@@@@@@@@@@JINX0s1t______");
  lines.push_back("");
  add(0, "shape (");
  add(1, "shape_header ( 00000000 00000000 )");
  add(1, "volumes ( 1");
  add(2, "vol_sphere (");
  add(3, "vector ( 0.1 1.5 -0.25 ) 12.5");
  add(2, ")");
  add(1, ")");
  add(1, "shader_names ( 1");
  add(2, "named_shader ( TexDiff )");
  add(1, ")");
  add(1, "texture_filter_names ( 1");
  add(2, "named_filter_mode ( MipLinear )");
  add(1, ")");
  add(1, "points ( " + std::to_string(o.points));
  for (int i = 0; i < o.points; ++i)
    add(2, "point ( " + Coordinate(random) + " " + Coordinate(random) + " " + Coordinate(random) +
               " )");
  add(1, ")");
  add(1, "uv_points ( " + std::to_string(o.uvPoints));
  for (int i = 0; i < o.uvPoints; ++i)
    add(2, "uv_point ( " + Coordinate(random) + " " + Coordinate(random) + " )");
  add(1, ")");
  add(1, "normals ( " + std::to_string(o.normals));
  for (int i = 0; i < o.normals; ++i)
    add(2, "vector ( " + Coordinate(random) + " " + Coordinate(random) + " " + Coordinate(random) +
               " )");
  add(1, ")");
  if (o.oneLineSortVectors) {
    add(1, "sort_vectors ( 0 )");
  } else {
    add(1, "sort_vectors ( 1");
    add(2, "vector ( 0 0 0 )");
    add(1, ")");
  }
  add(1, "colours ( 0");
  add(1, ")");
  add(1, "matrices ( " + std::to_string(o.matrices));
  for (int m = 0; m < o.matrices; ++m)
    add(2, "matrix " + (m == 0 ? std::string("MAIN") : "PART" + std::to_string(m)) +
               " ( 1 0 0 0 1 0 0 0 1 " + std::to_string(m) + " 0 0 )");
  add(1, ")");
  add(1, "images ( " + std::to_string(o.images));
  for (int i = 0; i < o.images; ++i) add(2, "image ( Texture" + std::to_string(i) + ".ACE )");
  add(1, ")");
  add(1, "textures ( " + std::to_string(o.images));
  for (int i = 0; i < o.images; ++i) add(2, "texture ( " + std::to_string(i) + " 0 0 ff000000 )");
  add(1, ")");
  add(1, "light_materials ( 0");
  add(1, ")");
  add(1, "light_model_cfgs ( 1");
  add(2, "light_model_cfg ( 00000000");
  add(3, "uv_ops ( 1");
  add(4, "uv_op_copy ( 1 0 )");
  add(3, ")");
  add(2, ")");
  add(1, ")");
  add(1, "vtx_states ( " + std::to_string(elements));
  for (int k = 0; k < elements; ++k)
    add(2, "vtx_state ( 00000000 " + std::to_string(k % o.matrices) + " -5 0 00000002 )");
  add(1, ")");
  add(1, "prim_states ( " + std::to_string(elements));
  for (int k = 0; k < elements; ++k) {
    add(2, "prim_state Element_" + std::to_string(k) + " ( 00000000 0");
    add(3, "tex_idxs ( 1 " + std::to_string(k % o.images) + " ) 0 " + std::to_string(k) + " 0 0 1");
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
  std::string hierarchy = "hierarchy ( " + std::to_string(o.matrices) + " -1";
  for (int m = 1; m < o.matrices; ++m) hierarchy += " 0";
  add(6, hierarchy + " )");
  add(5, ")");
  add(5, "sub_objects ( 1");
  add(6, "sub_object (");
  add(7, "sub_object_header ( 00000400 -1 -1 000001d2 000001c4");
  add(8, "geometry_info ( " + std::to_string(faces) + " " + std::to_string(elements) + " 0 " +
             std::to_string(3 * faces) + " 0 0 " + std::to_string(elements) + " 0 0 0");
  add(9, "geometry_nodes ( " + std::to_string(o.matrices));
  for (int m = 0; m < o.matrices; ++m) {
    int prims = 0;
    for (int k = m; k < elements; k += o.matrices) ++prims;
    add(10, "geometry_node ( " + std::to_string(prims) + " 0 0 0 0");
    add(11, "cullable_prims ( " + std::to_string(prims) + " " +
                std::to_string(prims * o.facesPerElement) + " " +
                std::to_string(3 * prims * o.facesPerElement) + " )");
    add(10, ")");
  }
  add(9, ")");
  std::string map = "geometry_node_map ( " + std::to_string(o.matrices);
  for (int m = 0; m < o.matrices; ++m) map += " " + std::to_string(m);
  add(9, map + " )");
  add(8, ")");
  add(8, "subobject_shaders ( 1 0 )");
  add(8, "subobject_light_cfgs ( 1 0 ) 0");
  add(7, ")");
  add(7, "vertices ( " + std::to_string(vertices));
  std::uniform_int_distribution<int> point(0, o.points - 1), normal(0, o.normals - 1),
      uv(0, o.uvPoints - 1);
  for (int v = 0; v < vertices; ++v) {
    add(8, "vertex ( 00000000 " + std::to_string(point(random)) + " " +
               std::to_string(normal(random)) + " FFFFFFFF FF000000");
    add(9, "vertex_uvs ( 1 " + std::to_string(uv(random)) + " )");
    add(8, ")");
  }
  add(7, ")");
  add(7, "vertex_sets ( " + std::to_string(elements));
  for (int k = 0; k < elements; ++k)
    add(8, "vertex_set ( " + std::to_string(k) + " " + std::to_string(k * o.verticesPerElement) +
               " " + std::to_string(o.verticesPerElement) + " )");
  add(7, ")");
  add(7, "primitives ( " + std::to_string(2 * elements));
  std::uniform_int_distribution<int> corner(0, o.verticesPerElement - 1);
  for (int k = 0; k < elements; ++k) {
    add(8, "prim_state_idx ( " + std::to_string(k) + " )");
    add(8, "indexed_trilist (");
    std::string indices = "vertex_idxs ( " + std::to_string(3 * o.facesPerElement);
    std::string normals = "normal_idxs ( " + std::to_string(o.facesPerElement);
    std::string flags = "flags ( " + std::to_string(o.facesPerElement);
    for (int f = 0; f < o.facesPerElement; ++f) {
      for (int c = 0; c < 3; ++c)
        indices += " " + std::to_string(k * o.verticesPerElement + corner(random));
      normals += " " + std::to_string(normal(random)) + " 3";
      flags += " 00000000";
    }
    add(9, indices + " )");
    add(9, normals + " )");
    add(9, flags + " )");
    add(8, ")");
  }
  add(7, ")");
  add(6, ")");
  add(5, ")");
  add(4, ")");
  add(3, ")");
  add(2, ")");
  add(1, ")");
  if (o.animations) {
    add(1, "animations ( 1");
    add(2, "animation ( 8 30");
    add(3, "anim_nodes ( " + std::to_string(o.matrices));
    for (int m = 0; m < o.matrices; ++m) {
      add(4, "anim_node " + (m == 0 ? std::string("MAIN") : "PART" + std::to_string(m)) + " (");
      if (m >= 1 && m <= o.animatedMatrices) {
        add(5, "controllers ( 2");
        add(6, "tcb_rot ( 3");
        add(7, "tcb_key ( 0 0 0 0 1 0 0 0 0 0 )");
        add(7, "tcb_key ( 4 1 0 0 0 0 0 0 0 0 )");
        add(7, "tcb_key ( 8 0 0 0 -1 0 0 0 0 0 )");
        add(6, ")");
        add(6, "linear_pos ( 2");
        add(7, "linear_key ( 0 " + std::to_string(m) + " 0 0 )");
        add(7, "linear_key ( 8 " + std::to_string(m) + " 0 0 )");
        add(6, ")");
        add(5, ")");
      } else {
        add(5, "controllers ( 0 )");
      }
      add(4, ")");
    }
    add(3, ")");
    add(2, ")");
    add(1, ")");
  }
  add(0, ")");
  return lines;
}

SyntheticShapeOptions OptionsForSize(double megabytes, int elements, int matrices) {
  // A vertex with its share of the triangle lists, points, normals and uv
  // points comes to about 366 bytes on disk (measured: 30 MB asked gives
  // 30.0 MB, 1 MB gives 0.98 MB, 100 MB gives 102 MB).
  SyntheticShapeOptions o;
  o.elements = elements;
  o.matrices = matrices;
  const double totalVertices = megabytes * 1e6 / 366.0;
  o.verticesPerElement = static_cast<int>(totalVertices / elements) + 1;
  o.facesPerElement = o.verticesPerElement;
  o.points = static_cast<int>(totalVertices / 2) + 1;
  o.normals = static_cast<int>(totalVertices / 4) + 1;
  o.uvPoints = static_cast<int>(totalVertices / 2) + 1;
  return o;
}

std::string SyntheticShapeBytes(const SyntheticShapeOptions& options) {
  return EncodeShapeBytes(MakeSyntheticShape(options), std::string("\xFF\xFE", 2));
}

}  // namespace quarvel::bench
