#pragma once
#include <array>
#include <string>
#include <vector>

#include "generation/Generation.h"

namespace quarvel {

// Writes one new sub-object of one LOD from the source's single sub-object:
// only the elements that belong to it, with their primitives, vertex sets and
// vertices, all counts recomputed and vertex indices renumbered.
class SubobjectWriter {
 public:
  SubobjectWriter(const std::vector<std::string>& source, const GenerationLayout& layout,
                  const GenerationInput& input, std::vector<std::string>& out,
                  const GenerationProgress& progress);

  void WriteSubobject(int lod, int subobject);

 private:
  struct NodeCount {
    int primitives = 0;
    int faces = 0;
  };

  void CountSubobjectContents();
  void WriteSubobjectHeader();
  void WriteVertexLists();
  void WritePrimitive();
  void CloseSubobject();

  // The lines of the primitive list that start a primitive, found once.
  void FindPrimitiveStarts();
  std::size_t NextPrimitiveStart(std::size_t from) const;
  std::string RenumberedIndexLine(const std::string& source, bool first, int shift) const;

  const std::string& Current() const;
  void Append(std::string line) { out_.push_back(std::move(line)); }
  void AppendCurrent() { out_.push_back(Current()); }
  // Moves SourceIndex to the first line from it on that holds `keyword`; a
  // RewriteError when the sub-object ends first.
  void SeekWithin(std::string_view keyword);
  void ProcessMessages(int times);
  int ElementNode(int row) const;

  const std::vector<std::string>& source_;
  const GenerationLayout& layout_;
  const GenerationInput& input_;
  std::vector<std::string>& out_;
  const GenerationProgress& progress_;
  std::size_t last_;
  // Shown once per element row and sub-object: looked up once.
  std::string verticesCaption_;
  std::string facesCaption_;

  std::size_t SourceIndex = 0;
  int CurrentLod = 0;
  int CurrentSubobject = 0;
  int SortIndex = 0;
  int SubobjectPrimCount = 0;
  int SubobjectFaceCount = 0;
  std::array<NodeCount, kShapeIndexSize> NodeCounts{};
  std::size_t primitiveListStart_ = 0;
  std::vector<std::size_t> primitiveStarts_;
};

}  // namespace quarvel
