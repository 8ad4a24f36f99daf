#pragma once
#include <string_view>

namespace quarvel {

// Where the window's tables keep what: every column by its meaning, so that
// no command, file or printout counts columns itself. Row 0 of each table is
// its header row.

// ElementTable (StringGrid1): name, image, faces, then one plan column per LOD.
inline constexpr int kNameColumn = 0;
inline constexpr int kImageColumn = 1;
inline constexpr int kFacesColumn = 2;
constexpr int AssignmentColumn(int lod) {
  return lod + 2;
}
// The LOD of a plan column; 0 and below for name, image and faces.
constexpr int LodOfAssignmentColumn(int col) {
  return col - 2;
}

// SubobjectTable (StringGrid2): number, vertices, then one sort mark per LOD.
inline constexpr int kSubobjectNumberColumn = 0;
inline constexpr int kVertexCountColumn = 1;
constexpr int SortMarkColumn(int lod) {
  return lod + 1;
}

// MatrixTable (StringGrid3): name, faces and the animation mark.
inline constexpr int kMatrixNameColumn = 0;
inline constexpr int kMatrixFacesColumn = 1;
inline constexpr int kAnimationMarkColumn = 2;

// DistanceTable (StringGrid4): one row per LOD.
inline constexpr int kLodNumberColumn = 0;
inline constexpr int kDistanceColumn = 1;

// LodSummaryTable (StringGrid5): one row per LOD.
inline constexpr int kSummaryLodColumn = 0;
inline constexpr int kSummaryDistanceColumn = 1;
inline constexpr int kSummaryFacesColumn = 2;

// A sort or animation mark: "x" in either case. An empty cell is none.
constexpr bool IsMark(std::string_view cell) {
  return cell == "x" || cell == "X";
}

}  // namespace quarvel
