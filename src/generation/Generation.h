// Splitting an exported shape into LODs and sub-objects: the preparation of
// the text, the checks that refuse what the rewrite cannot do exactly, the
// rewrite itself; and the deletion of animations the user unmarked.
#pragma once
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "assignment/ElementAssignment.h"
#include "common/Error.h"
#include "generation/AnimationCleanup.h"
#include "plan/Plan.h"
#include "ports/Texts.h"
#include "shape/ShapeIndex.h"
#include "shape/ShapeText.h"

namespace quarvel {

inline constexpr int kMaxLods = 99;

// The landmarks of the source text that the rewrite works from (line indices).
struct GenerationLayout {
  std::size_t sortVectorsLine = 0;
  std::size_t firstSubobjectLine = 0;
  std::size_t verticesLine = 0;
  std::size_t subobjectEndLine = 0;
};

// What the rewrite reads: the elements, their plan, the shape's index.
struct GenerationInput {
  const ShapeTables& tables;  // names and faces of the elements
  const Plan& plan;           // sub-objects, sort marks and distances per LOD
  ShapeIndex& index;          // VertexShift is written by VertexCount
  int elementCount = 0;
  int lodCount = 1;
  // The language of the refusals.
  TextSource text{};

  bool InSubobject(int row, int lod, int subobject) const {
    return plan.Choice(row, lod).IsIn(subobject);
  }
  // Also sets index.VertexShift for the sub-object counted.
  int VertexCount(int lod, int subobject) const {
    return SubobjectVertexCount(plan, elementCount, index, lod, subobject);
  }
};

// How many sub-objects each LOD gets and how many of them are sorted.
struct GenerationPlan {
  std::array<int, kMaxLods + 1> lodSubobjectCount{};  // index 1..99
  int sortCount = 0;
};

// Progress shown while the sub-objects are written.
struct GenerationProgress {
  std::function<void(const std::string&)> lodCaption;      // SOAnzLabel
  std::function<void(const std::string&)> contentCaption;  // SOAnzLabel1
  std::function<void()> processMessages;
};

// Finds the landmarks; refuses with the general error when the text or the
// first LOD's plan lacks them. Splits a one-line "sort_vectors ( 0 )" into
// two lines in `text` at once (that change stays even when the command is
// abandoned).
Checked<GenerationLayout> PrepareGeneration(ShapeText& text, const Plan& plan, int elementCount,
                                            const TextSource& texts);

// Counts the non-empty sub-objects per LOD and the sorted ones. Refuses when
// a LOD is empty or an empty sub-object lies before a non-empty one.
Checked<GenerationPlan> CountAndCheck(const GenerationInput& input, int subobjectRows);

// Every LOD's distance must be a plain positive number, since it is written
// into the shape as it stands.
Refusal CheckDistances(const GenerationInput& input);

// Checks that the source has the layout the rewrite relies on, so that it
// never drops or mixes up geometry.
Refusal CheckSourceLayout(const std::vector<std::string>& source, const GenerationLayout& layout,
                          const GenerationInput& input, const GenerationPlan& plan);

// Checks the whole source as the simulator will load it (parentheses,
// counts, indices; see CheckShape), so that a damaged shape is never split
// into damaged sub-objects. The refusal names the first error and its line.
Refusal CheckSourceIntegrity(const std::vector<std::string>& source, const TextSource& texts);

// A number or landmark the rewrite needed and did not find; its text is worded
// into the rewrite's refusal.
class RewriteError : public Error {
 public:
  using Error::Error;
};

// The header holds no "distance_levels ": the text is no shape the rewrite
// can split at all.
class MissingDistanceLevel : public RewriteError {
 public:
  MissingDistanceLevel() : RewriteError(Text::NoDistanceLevel, {}) {}
};

// Writes the new text: header, one distance level per LOD with its
// sub-objects, tail. Refuses, with the message for the user, when a number
// or landmark it needs is missing; `source` is not changed.
Checked<std::vector<std::string>> RewriteShape(const std::vector<std::string>& source,
                                               const GenerationLayout& layout,
                                               const GenerationInput& input,
                                               const GenerationPlan& plan,
                                               const GenerationProgress& progress);

}  // namespace quarvel
