#pragma once
#include <string>
#include <vector>

namespace quarvel::bench {

// Shapes in the form a modelling tool exports them: one distance level, one
// sub-object, one primitive per element, one vertex state and one vertex set
// per element. Benchmarks and tests build their inputs from this.
struct SyntheticShapeOptions {
  int elements = 4;  // prim_states, each with its own vertex state
  int matrices = 2;  // element k hangs on matrix k % matrices
  int images = 2;    // element k uses texture (and image) k % images
  int points = 64;
  int normals = 32;
  int uvPoints = 32;
  int verticesPerElement = 12;
  int facesPerElement = 8;
  bool oneLineSortVectors = false;  // "sort_vectors ( 0 )"
  bool animations = false;          // an animation node per matrix
  int animatedMatrices = 0;         // of those, how many (from matrix 1 on) have controllers
  unsigned seed = 1;
};

// The lines as the file holds them (index lists on one line, however long).
std::vector<std::string> MakeSyntheticShape(const SyntheticShapeOptions& options);

// Options for a shape of about `megabytes` MB on disk (UTF-16).
SyntheticShapeOptions OptionsForSize(double megabytes, int elements = 40, int matrices = 8);

// The UTF-16 bytes of the shape file (with the byte-order mark).
std::string SyntheticShapeBytes(const SyntheticShapeOptions& options);

}  // namespace quarvel::bench
