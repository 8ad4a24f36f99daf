#pragma once
#include <string>
#include <vector>

namespace quarvel::testing {

// A small shape in the layout the modelling tool exports, described by its
// parts, for tests that need irregular shapes (shared vertex states, unused
// elements, several primitives per element). Every list is written as given,
// so a test can also describe a shape that refers to what it lacks.
struct ShapeParts {
  struct Element {
    std::string name;
    int texture = 0;
    int vtxState = 0;
  };
  struct VertexSet {
    int vtxState = 0;
    int firstVertex = 0;
    int vertexCount = 0;
  };
  struct Primitive {
    int element = 0;
    int faces = 0;
  };

  std::vector<std::string> matrices = {"MAIN"};
  std::vector<std::string> images = {"Tex.ace"};
  std::vector<int> textures = {0};   // the image of each texture
  std::vector<int> vtxStates = {0};  // the matrix of each vertex state
  std::vector<Element> elements;
  // Empty: one set of 10 vertices per vertex state, set i for state i.
  std::vector<VertexSet> vertexSets;
  // Empty: one primitive of 4 faces per element, in element order.
  std::vector<Primitive> primitives;
  int distanceLevels = 1;
  int subObjects = 1;
};

std::vector<std::string> BuildShape(const ShapeParts& parts);

// `count` elements, each with a vertex state and a vertex set of its own
// (of 10 + k vertices) on matrix MAIN and a primitive of 2 + k faces.
ShapeParts SimpleParts(int count);

// The index of the first line that holds `text` (the test fails when none).
std::size_t LineWith(const std::vector<std::string>& lines, const std::string& text);

}  // namespace quarvel::testing
