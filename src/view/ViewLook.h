// How the 3D view colours what it draws: a small table of colours that the
// triangles look up by their element or sub-object, so that a change of the
// plan recolours the view without touching the triangles.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "plan/Plan.h"
#include "view/ShapeGeometry.h"

namespace quarvel::view {

enum class ColourBy { Subobject, Element, VtxState };

// One entry of the table. Triangles whose entry is hidden are not drawn;
// those "in every sub-object" are hatched; dimmed ones are drawn pale (the
// rest of a selection).
struct Look {
  std::array<std::uint8_t, 3> rgb{};
  bool hidden = false;
  bool everySubobject = false;
  bool dimmed = false;
  bool operator==(const Look&) const = default;
};

// A line of the legend: a sub-object (or element, or vertex state), its
// colour and, for sub-objects, its vertices.
struct LegendLine {
  int number = 0;
  std::array<std::uint8_t, 3> rgb{};
  int vertices = -1;  // -1: not counted
};

// What one picture shows.
struct LookTable {
  // Which number of a triangle indexes `looks`: its element, or the file's
  // sub-object it lies in.
  bool bySubobjectOfFile = false;
  std::vector<Look> looks;
  std::vector<LegendLine> legend;
};

// The colour of number `n` (from 1) of a legend: hues far apart for
// neighbours, bright enough to stand out from the background.
std::array<std::uint8_t, 3> PaletteColour(int n);
inline constexpr std::array<std::uint8_t, 3> kBackground = {38, 42, 50};

// The looks of the elements of an unsplit shape by the plan's LOD `lod`:
// "999" hidden, "0" hatched in the colour of no sub-object, a number in its
// sub-object's colour. `selected` (element rows from 0) dims every other
// element when it is not empty.
LookTable PlanLooks(const Plan& plan, int lod, int elements, ColourBy by,
                    const std::vector<int>& elementVtxStates,
                    const std::vector<int>& selected = {});

// The looks of a shape that is split already, by the file's own sub-objects
// of distance level `level` (or its elements, or vertex states).
LookTable FileLooks(const GeometryLevel& level, int elements, ColourBy by,
                    const std::vector<int>& elementVtxStates,
                    const std::vector<int>& selected = {});

}  // namespace quarvel::view
