#pragma once
#include <string>
#include <vector>

namespace quarvel::testing {

// A complete shape in the form a modelling tool exports: one distance level
// with one sub-object, vertex set i for vertex state i, one primitive per
// element unless told otherwise. Every vertex has a point of its own (point v
// for vertex v), so the geometry of a triangle can be told from any other
// after a rewrite. Lists are written as given, so a shape may also refer to
// what it lacks.
struct ExportedShape {
  struct Element {
    std::string name;
    int vtxState = 0;
    int texture = 0;
  };
  struct Primitive {
    int element = 0;
    int faces = 1;
  };
  struct AnimNode {
    std::string name;
    std::vector<int> keys;  // one controller per entry, with this many keys
  };

  std::vector<std::string> matrices = {"MAIN"};
  std::vector<std::string> images = {"Tex.ace"};
  std::vector<int> textures = {0};          // the image of each texture
  std::vector<int> vtxStateMatrices = {0};  // the matrix of each vertex state
  std::vector<Element> elements = {{"Element0"}};
  std::vector<int> setVertices = {3};  // vertex set i: vertex state i, this many vertices
  std::vector<Primitive> primitives;   // empty: one per element, element k with k + 1 faces
  std::string flags = "00000400";      // of the sub_object_header
  int distanceLevels = 1;              // the counts written; the lists hold one entry
  int subObjects = 1;
  bool oneLineSortVectors = false;  // "sort_vectors ( 0 )" instead of one vector
  std::vector<AnimNode> animNodes;  // an animation section when not empty
};

std::vector<std::string> BuildExportedShape(const ExportedShape& shape);

// `count` elements on matrix MAIN, each with a vertex state and a vertex set
// of its own holding `vertices` vertices.
ExportedShape ElementsWithOwnSets(int count, int vertices = 6);

// The same, element k with a set of 10 + k vertices and a primitive of 2 + k
// faces, so that every sum tells which elements it holds.
ExportedShape GradedElements(int count);

// The index of the first line that holds `text` (the test fails when none).
std::size_t LineWith(const std::vector<std::string>& lines, const std::string& text);

}  // namespace quarvel::testing
