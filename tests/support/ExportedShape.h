#pragma once
#include <string>
#include <vector>

namespace quarvel::testing {

// A complete shape in the form a modelling tool exports: one distance level
// with one sub-object, vertex set i for vertex state i, one primitive per
// element. Every vertex has a point of its own (point v for vertex v), so
// the geometry of a triangle can be told from any other after a rewrite.
struct ExportedShape {
  struct Element {
    std::string name;
    int vtxState = 0;
  };
  struct Primitive {
    int element = 0;
    int faces = 1;
  };

  std::vector<std::string> matrices = {"MAIN"};
  std::vector<int> vtxStateMatrices = {0};  // the matrix of each vertex state
  std::vector<Element> elements = {{"Element0", 0}};
  std::vector<int> setVertices = {3};  // vertex set i: vertex state i, this many vertices
  std::vector<Primitive> primitives;   // empty: one per element, element k with k + 1 faces
  std::string flags = "00000400";      // of the sub_object_header
  bool oneLineSortVectors = false;     // "sort_vectors ( 0 )" instead of one vector
  int geometryNodes = -1;              // -1: one per matrix
  bool animation = false;              // an animation section behind the shape's lists
};

std::vector<std::string> BuildExportedShape(const ExportedShape& shape);

// `count` elements on matrix MAIN, each with a vertex state and a vertex set
// of its own holding `vertices` vertices.
ExportedShape ElementsWithOwnSets(int count, int vertices = 6);

}  // namespace quarvel::testing
