#pragma once
#include <map>
#include <string>
#include <vector>

namespace quarvel::testing {

// A shape read as a tree of nested parentheses, independently of the
// program's own scanning: every "(" opens a node named by the word in front
// of it, every other token is a value of the node it stands in.
struct ShapeNode {
  std::string keyword;              // the word before "("
  std::string label;                // the name of a matrix, prim_state or anim_node
  std::vector<std::string> values;  // the tokens directly inside, in order
  std::vector<ShapeNode> children;
  std::size_t line = 0;  // index of the line that opens it

  const ShapeNode* Child(const std::string& keyword) const;  // the first, or nullptr
  std::vector<const ShapeNode*> Children(const std::string& keyword) const;
  // Value `i` as an integer; throws std::runtime_error when it is none.
  long long Int(std::size_t i) const;
};

// Throws std::runtime_error on unbalanced parentheses.
ShapeNode ParseShapeTree(const std::vector<std::string>& lines);

// The triangles of every element drawn in one sub-object, in drawing order;
// a triangle is, for each corner, the vertex's fields and texture
// coordinates, then the face's normal entry and flags.
using ElementTriangles = std::map<int, std::vector<std::string>>;

// What a shape holds, per distance level and sub-object.
struct ShapeContent {
  std::vector<std::string> distances;                 // dlevel_selection per level
  std::vector<std::vector<ElementTriangles>> levels;  // [level][sub-object]
  long long volumes = 0;
  long long sortVectors = 0;
  // The sort vector and volume of each sub-object, [level][sub-object].
  std::vector<std::vector<std::pair<long long, long long>>> sortEntries;
};

// Everything the simulator relies on that can be checked without drawing:
// every count against its entries, vertex sets that cover the vertex list
// without gaps, vertex indices within the element's set, the face and
// primitive counts of the headers and geometry nodes, the node map, and the
// sort and volume indices of sorted sub-objects. Returns what is wrong.
std::vector<std::string> ConsistencyProblems(const ShapeNode& root);

// The triangles per level and sub-object (the tree must be consistent).
ShapeContent ReadContent(const ShapeNode& root);

}  // namespace quarvel::testing
