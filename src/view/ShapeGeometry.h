// What the 3D view draws: every triangle of a shape with its corners placed
// by their points and the matrix chain of their distance level, its normals
// turned with them, and the element (prim_state) it belongs to.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ports/Texts.h"

namespace quarvel::view {

using Vec3 = std::array<float, 3>;

// The triangles of one distance level of the file.
struct GeometryLevel {
  // Three corners per triangle: positions and normals, x y z each.
  std::vector<float> positions;
  std::vector<float> normals;
  // Per triangle: the element (0-based prim_state) and the sub-object of
  // the file it lies in (0-based).
  std::vector<std::uint32_t> elements;
  std::vector<std::uint32_t> subobjects;
  // The vertices each sub-object of the file lists.
  std::vector<int> subobjectVertices;
  std::size_t Triangles() const { return elements.size(); }
};

struct ShapeGeometry {
  std::vector<GeometryLevel> levels;  // in file order
  // Per element: its vertex state, for "colour by vertex state".
  std::vector<int> elementVtxStates;
  bool Empty() const;
  // The box around every corner of every level: low, high.
  std::array<Vec3, 2> Bounds() const;
};

// The box around the corners of one level.
std::array<Vec3, 2> BoundsOf(const GeometryLevel& level);

// Reads `lines` (a whole shape text) by the grammar. What the grammar
// refuses is passed over as the walk passes over it; indices that name
// nothing leave their triangle out instead of drawing it anywhere.
ShapeGeometry GeometryOfShape(const std::vector<std::string>& lines, const TextSource& texts = {});

}  // namespace quarvel::view
