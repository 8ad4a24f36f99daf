// A coarser drawing of the same corners for the frames while the camera
// moves: where the software renderer needs longer than a frame for every
// triangle, corners that lie in one small cell of the model's box are drawn
// as one, and the triangles that shrink to nothing are left out. At the
// model's full size a cell is about a pixel or two, so only a close look
// tells the two drawings apart; the full one returns when the camera stops.
#pragma once
#include <cstdint>
#include <vector>

#include "view/ShapeGeometry.h"

namespace quarvel::view {

// Cells along the box's longest side: about the pixels the longest side
// spans when the view fits the model.
constexpr int kPreviewCells = 1024;

// `indices` name three corners per triangle; corner i lies at `positions[i]`
// and joins only corners of the same `keys[i]`: the renderer's keys hold the
// element and sub-object, so every part keeps its colour and outline, and
// the rough direction of the normal, so that creases keep their light.
// Returns the triangles of the coarser drawing, in the same corners, each
// drawn once.
std::vector<std::uint32_t> PreviewIndices(const std::vector<Vec3>& positions,
                                          const std::vector<std::uint64_t>& keys,
                                          const std::vector<std::uint32_t>& indices,
                                          const std::array<Vec3, 2>& box,
                                          int cells = kPreviewCells);

}  // namespace quarvel::view
