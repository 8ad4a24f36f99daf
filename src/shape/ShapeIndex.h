#pragma once
#include <array>
#include <string>

namespace quarvel {

// Every table of the analysis has room for indices 0..800.
inline constexpr int kShapeIndexSize = 801;

struct VertexSetEntry {
  int vtxState = 0;     // the vertex state the set belongs to, as read
  int firstVertex = 0;  // index of its first vertex in the vertex list
  int vertexCount = 0;
};

// What the analysis learned about the shape, in file order. Element k is the
// k-th prim_state and row k + 1 of the element table.
struct ShapeIndex {
  std::array<std::string, kShapeIndexSize> MatrixNames{};
  std::array<std::string, kShapeIndexSize> ImageNames{};  // lower case
  std::array<int, kShapeIndexSize> TextureImages{};
  std::array<int, kShapeIndexSize> VtxStateMatrices{};
  std::array<int, kShapeIndexSize> ElementVtxStates{};
  std::array<VertexSetEntry, kShapeIndexSize> VertexSets{};
  int VertexSetCount = 0;

  // How many entries this analysis filled.
  int MatrixCount = 0;
  int ImageCount = 0;
  int TextureCount = 0;
  int VtxStateCount = 0;
  int ElementCount = 0;

  // Per vertex set: -1 when the set is not part of the sub-object counted
  // last, otherwise how far its vertex indices fall when the vertices of the
  // sets left out are removed. Kept apart from the sets' own vertex state so
  // that the generation can still check which state a set belongs to.
  std::array<int, kShapeIndexSize> VertexShift{};

  void Clear() { *this = ShapeIndex{}; }
};

}  // namespace quarvel
