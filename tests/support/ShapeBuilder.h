#pragma once
#include <string>
#include <vector>

namespace quarvel::testing {

// A small shape in the exported layout, described by its parts, for tests
// that need irregular shapes. Lists are written as given, so a shape may
// also refer to what it lacks.
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
  std::vector<VertexSet> vertexSets;  // empty: 10 vertices per vertex state
  std::vector<Primitive> primitives;  // empty: 4 faces per element
  int distanceLevels = 1;
  int subObjects = 1;
};

std::vector<std::string> BuildShape(const ShapeParts& parts);

// `count` elements on matrix MAIN; element k has a vertex state and a
// vertex set of 10 + k vertices of its own and a primitive of 2 + k faces.
ShapeParts SimpleParts(int count);

// The index of the first line that holds `text` (the test fails when none).
std::size_t LineWith(const std::vector<std::string>& lines, const std::string& text);

}  // namespace quarvel::testing
