#include "format/ShapeCheck.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>

#include "common/Convert.h"
#include "common/Text.h"
#include "format/TextWalker.h"
#include "format/Values.h"

namespace quarvel {

namespace {

using format::BlockRule;
using format::GrammarItem;
using format::TextToken;
using format::TokenId;
using format::ValueType;

constexpr int kRepeatsListed = 20;
constexpr long long kMaxIndexedVertices = 65535;

// The token ids the checks look for.
namespace id {
constexpr TokenId kPoints = 0x07, kUvPoints = 0x09, kNormals = 0x05, kImages = 0x0E,
                  kTexture = 0x0F, kTextures = 0x10, kAnimations = 0x1D, kDistanceLevels = 0x24,
                  kDistanceLevel = 0x25, kDistanceLevelHeader = 0x22, kDlevelSelection = 0x23,
                  kSubObjects = 0x26, kSubObject = 0x27, kSubObjectHeader = 0x28,
                  kGeometryInfo = 0x29, kGeometryNodes = 0x2A, kGeometryNodeMap = 0x2C,
                  kVtxState = 0x2E, kVtxStates = 0x2F, kVertex = 0x30, kVertexUvs = 0x31,
                  kVertices = 0x32, kVertexSet = 0x33, kPrimState = 0x36, kPrimStates = 0x37,
                  kPrimStateIdx = 0x38, kTexIdxs = 0x3D, kVertexIdxs = 0x3F, kNormalIdxs = 0x06,
                  kMatrices = 0x42, kHierarchy = 0x43, kVolumes = 0x44, kShape = 0x47,
                  kShaderNames = 0x48, kSortVectors = 0x4C;
}  // namespace id

class Reporter {
 public:
  explicit Reporter(const TextSource& texts) : texts_(texts) {}

  // `check` and `subject` tell repeats apart: after twenty of the same they
  // are counted instead of listed.
  void Add(ProblemKind kind, std::size_t line, std::string_view check, std::string_view subject,
           std::string message) {
    Repeat& repeat = repeats_[std::string(check) + "|" + std::string(subject)];
    if (repeat.listed < kRepeatsListed) {
      ++repeat.listed;
      problems_.push_back({line, kind, std::move(message)});
      return;
    }
    if (repeat.more++ == 0) repeat.firstMore = {line, kind, Latin1ToUtf8(subject)};
  }

  std::vector<ShapeProblem> Finish() {
    for (const auto& [key, repeat] : repeats_) {
      if (repeat.more == 0) continue;
      problems_.push_back(
          {repeat.firstMore.line, repeat.firstMore.kind,
           Worded(texts_, Text::RepeatsNotListed,
                  {{"count", IntToStr(repeat.more)}, {"subject", repeat.firstMore.message}})});
    }
    std::stable_sort(problems_.begin(), problems_.end(),
                     [](const ShapeProblem& a, const ShapeProblem& b) { return a.line < b.line; });
    return std::move(problems_);
  }

 private:
  struct Repeat {
    int listed = 0;
    long long more = 0;
    ShapeProblem firstMore;  // its message holds the subject
  };
  const TextSource& texts_;
  std::vector<ShapeProblem> problems_;
  std::map<std::string, Repeat> repeats_;
};

std::string Entries(const TextSource& texts, long long count) {
  if (count == 1) return TextFrom(texts, Text::OneEntry);
  return Worded(texts, Text::SomeEntries, {{"count", IntToStr(count)}});
}

// A list that indices refer to, with the text that names an entry it lacks.
struct Table {
  std::string_view name;
  Text missing{};
  long long size = 0;
};

// The grammar is checked by the walk; this visitor adds what the grammar
// cannot know: that every index names an entry that is there. Every table
// stands before the blocks that refer to it, so one pass suffices.
class Checker final : public format::TextVisitor {
 public:
  Checker(Reporter& report, const TextSource& texts) : report_(report), texts_(texts) {}

  bool Open(const BlockRule& rule, std::string_view, std::uint32_t line) override {
    if (!frames_.empty()) ++frames_.back().children;
    frames_.Push(rule, line);
    switch (rule.id) {
      case id::kShape:
        if (!shapeLine_) shapeLine_ = line;
        break;
      case id::kSubObject:
        if (Parent() == id::kSubObjects) subobjectVertices_ = -1;
        break;
      case id::kDistanceLevel:
        ++levels_;
        break;
      case id::kDistanceLevels:
        sawLevelLists_ = true;
        break;
      default:
        break;
    }
    return WantsValues(rule.id);
  }

  void Value(const GrammarItem& item, std::size_t position, const TextToken& token) override {
    Frame& frame = frames_.back();
    const TokenId block = frame.rule->id;
    // Only integers are indices; reading every float would cost the most.
    const bool isInteger = item.type == ValueType::Uint || item.type == ValueType::Sint;
    const long long value = isInteger ? Number(item.type, token.text) : 0;
    if (position < frame.values.size()) frame.values[position] = value;
    if (item.counts) frame.declared = value;
    switch (block) {
      case id::kTexture:
        if (position == 0) Index(token, value, images_, false);
        break;
      case id::kVtxState:
        if (position == 1) Index(token, value, matrices_, false);
        break;
      case id::kPrimState:
        if (position == 1) Index(token, value, shaders_, false);
        if (position == 3) Index(token, value, vtxStates_, false);
        break;
      case id::kTexIdxs:
        if (position > 0) IndexOnce(frame, token, value, textures_, false);
        break;
      case id::kHierarchy:
        if (position > 0) IndexOnce(frame, token, value, matrices_, true);
        break;
      case id::kDlevelSelection:
        Distance(token);
        break;
      case id::kSubObjectHeader:
        if (position == 1) Index(token, value, sortVectors_, true);
        if (position == 2) Index(token, value, volumes_, true);
        break;
      case id::kGeometryNodeMap:
        if (position > 0 && frames_.size() >= 2)
          IndexOnce(frame, token, value,
                    {"geometry_nodes", Text::NoSuchGeometryNode, frames_[frames_.size() - 2].nodes},
                    true);
        break;
      case id::kVertex:
        if (position == 1) Index(token, value, points_, false);
        if (position == 2) Index(token, value, normals_, false);
        break;
      case id::kVertexUvs:
        if (position > 0) Index(token, value, uvPoints_, false);
        break;
      case id::kVertexSet:
        if (position == 0) Index(token, value, vtxStates_, false);
        if (position == 2) VertexSet(frame);
        break;
      case id::kPrimStateIdx:
        Index(token, value, primStates_, false);
        break;
      case id::kVertexIdxs:
        if (position > 0 && subobjectVertices_ >= 0)
          IndexOnce(frame, token, value, {"vertices", Text::NoSuchVertex, subobjectVertices_},
                    false);
        break;
      case id::kNormalIdxs:
        // Each triangle's normal, then a 3.
        if (position % 2 == 1) IndexOnce(frame, token, value, normals_, false);
        break;
      default:
        break;
    }
  }

  void Close() override {
    frames_.Pop();
    const Frame& frame = frames_.popped();  // nothing below opens a block
    const TokenId block = frame.rule->id;
    const auto children = static_cast<long long>(frame.children);
    if (Parent() == id::kShape) {
      switch (block) {
        case id::kPoints:
          points_.size = children;
          break;
        case id::kUvPoints:
          uvPoints_.size = children;
          break;
        case id::kNormals:
          normals_.size = children;
          break;
        case id::kSortVectors:
          sortVectors_.size = children;
          break;
        case id::kVolumes:
          volumes_.size = children;
          break;
        case id::kMatrices:
          matrices_.size = children;
          break;
        case id::kImages:
          images_.size = children;
          break;
        case id::kTextures:
          textures_.size = children;
          break;
        case id::kShaderNames:
          shaders_.size = children;
          break;
        case id::kVtxStates:
          vtxStates_.size = children;
          break;
        case id::kPrimStates:
          primStates_.size = children;
          break;
        case id::kAnimations:
          if (children == 0)
            Warning(frame.line, "animations", "animations",
                    Worded(texts_, Text::EmptyBlockTripsLoaders, {{"block", "animations ( 0 )"}}));
          break;
        default:
          break;
      }
    }
    switch (block) {
      case id::kGeometryNodes:
        if (!frames_.empty()) frames_.back().nodes = children;
        break;
      case id::kHierarchy:
        // Only a distance level's hierarchy is read by loaders.
        if (Parent() == id::kDistanceLevelHeader) OneEntryPerMatrix(frame);
        break;
      case id::kGeometryNodeMap:
        OneEntryPerMatrix(frame);
        break;
      case id::kVertexIdxs:
        // Told at the end, behind a count that does not match its values.
        if (frame.declared % 3 != 0 && frame.declared > 0)
          Error(frame.line, "triangles", "vertex_idxs",
                Worded(texts_, Text::NoWholeTriangles,
                       {{"block", "vertex_idxs"}, {"count", IntToStr(frame.declared)}}));
        break;
      case id::kSubObjects:
        if (!frames_.empty() && frames_.back().rule->id == id::kDistanceLevel && children == 0)
          Error(frames_.back().line, "lod", "distance_level",
                Worded(texts_, Text::LodWithoutSubobjects, {{"block", "distance_level"}}));
        break;
      case id::kVertices:
        if (Parent() == id::kSubObject) {
          subobjectVertices_ = children;
          if (children > kMaxIndexedVertices)
            Warning(
                frame.line, "size", "vertices",
                Worded(texts_, Text::VerticesBeyondIndices,
                       {{"count", IntToStr(children)}, {"most", IntToStr(kMaxIndexedVertices)}}));
        }
        break;
      case id::kSubObject:
        subobjectVertices_ = -1;
        break;
      case id::kDistanceLevels:
        previousDistance_.reset();
        break;
      default:
        break;
    }
  }

  void Problem(ProblemKind kind, std::uint32_t line, std::string_view check,
               std::string_view subject, std::string message) override {
    report_.Add(kind, line, check, subject, std::move(message));
  }

  // What only the whole text can tell.
  void Finish() {
    // Without a list of levels the grammar has named what is missing.
    if (shapeLine_ && sawLevelLists_ && levels_ == 0)
      Error(*shapeLine_, "lod", "shape",
            Worded(texts_, Text::NoLodInFile, {{"block", "distance_level"}}));
  }

 private:
  struct Frame {
    const BlockRule* rule;
    std::uint32_t line;
    std::size_t children = 0;
    std::array<long long, 3> values{};  // the first values, as numbers
    long long declared = -1;            // its count
    long long nodes = 0;                // of a geometry_info: its geometry nodes
    bool indexReported = false;         // one index problem per list
  };

  // The blocks whose values are indices or counts that the checks read.
  static bool WantsValues(TokenId block) {
    switch (block) {
      case id::kTexture:
      case id::kVtxState:
      case id::kPrimState:
      case id::kTexIdxs:
      case id::kHierarchy:
      case id::kDlevelSelection:
      case id::kSubObjectHeader:
      case id::kGeometryNodeMap:
      case id::kVertex:
      case id::kVertexUvs:
      case id::kVertexSet:
      case id::kPrimStateIdx:
      case id::kVertexIdxs:
      case id::kNormalIdxs:
        return true;
      default:
        return false;
    }
  }

  TokenId Parent() const { return frames_.empty() ? 0 : frames_.back().rule->id; }

  static long long Number(ValueType type, std::string_view text) {
    if (format::IsShortDigits(text)) {
      long long value = 0;
      for (char c : text) value = value * 10 + (c - '0');
      return value;
    }
    const std::uint32_t bits = format::NumberBits(type, text);
    if (type == ValueType::Sint) return static_cast<std::int32_t>(bits);
    return bits;
  }

  void Error(std::size_t line, std::string_view check, std::string_view subject,
             std::string message) {
    report_.Add(ProblemKind::Error, line, check, subject, std::move(message));
  }
  void Warning(std::size_t line, std::string_view check, std::string_view subject,
               std::string message) {
    report_.Add(ProblemKind::Warning, line, check, subject, std::move(message));
  }

  // `value` of a block named by its id as an index into `table`; -1 means
  // none where `noneAllowed`.
  void Index(const TextToken& token, long long value, const Table& table, bool noneAllowed) {
    if ((noneAllowed && value == -1) || (value >= 0 && value < table.size)) return;
    const std::string_view owner = frames_.back().rule->name;
    Error(token.line, "index", std::string(owner) + "/" + std::string(table.name),
          Worded(texts_, table.missing,
                 {{"owner", Latin1ToUtf8(owner)},
                  {"value", IntToStr(value)},
                  {"table", Latin1ToUtf8(table.name)},
                  {"entries", table.size == 0 ? TextFrom(texts_, Text::NoEntries)
                                              : Entries(texts_, table.size)}}));
  }

  // The same for the entries of a list, whose first wrong one is told.
  void IndexOnce(Frame& frame, const TextToken& token, long long value, const Table& table,
                 bool noneAllowed) {
    if (frame.indexReported || (noneAllowed && value == -1) || (value >= 0 && value < table.size))
      return;
    frame.indexReported = true;
    Index(token, value, table, noneAllowed);
  }

  void Distance(const TextToken& token) {
    const auto distance = TryStrToFloatDot(token.text);
    if (!distance) return;
    if (previousDistance_ && *distance <= *previousDistance_)
      Warning(token.line, "rising", "dlevel_selection",
              Worded(texts_, Text::DistanceNotRising, {{"distance", Latin1ToUtf8(token.text)}}));
    previousDistance_ = distance;
  }

  void VertexSet(const Frame& set) {
    const long long first = set.values[1], count = set.values[2];
    if (subobjectVertices_ >= 0 && first + count > subobjectVertices_)
      Error(set.line, "range", "vertex_set",
            Worded(texts_, Text::VertexSetBeyondVertices,
                   {{"block", "vertex_set"},
                    {"count", IntToStr(count)},
                    {"first", IntToStr(first)},
                    {"vertices", IntToStr(subobjectVertices_)}}));
  }

  // Loaders take the hierarchy and the node map as one entry per matrix.
  void OneEntryPerMatrix(const Frame& list) {
    if (list.declared < 0 || list.declared == matrices_.size) return;
    Warning(list.line, "matrices", list.rule->name,
            Worded(texts_,
                   matrices_.size == 1 ? Text::NotOneEntryForOneMatrix : Text::NotOneEntryPerMatrix,
                   {{"block", Latin1ToUtf8(list.rule->name)},
                    {"entries", Entries(texts_, list.declared)},
                    {"count", IntToStr(matrices_.size)}}));
  }

  Reporter& report_;
  const TextSource& texts_;
  // The blocks open around the value being read. Millions of blocks open
  // and close in a big shape, so the stack is a fixed array: the walk
  // never nests deeper than kMaxDepth.
  class Frames {
   public:
    void Push(const BlockRule& rule, std::uint32_t line) {
      Frame& frame = frames_[size_++];
      frame = Frame{&rule, line};
    }
    void Pop() { --size_; }
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }
    Frame& back() { return frames_[size_ - 1]; }
    const Frame& back() const { return frames_[size_ - 1]; }
    Frame& operator[](std::size_t i) { return frames_[i]; }
    // The frame just popped.
    const Frame& popped() const { return frames_[size_]; }

   private:
    std::array<Frame, format::kMaxDepth + 2> frames_{};
    std::size_t size_ = 0;
  };
  Frames frames_;
  Table points_{"points", Text::NoSuchPoint}, uvPoints_{"uv_points", Text::NoSuchUvPoint},
      normals_{"normals", Text::NoSuchNormal}, sortVectors_{"sort_vectors", Text::NoSuchSortVector},
      volumes_{"volumes", Text::NoSuchVolume}, matrices_{"matrices", Text::NoSuchMatrix},
      images_{"images", Text::NoSuchImage}, textures_{"textures", Text::NoSuchTexture},
      shaders_{"shader_names", Text::NoSuchShader}, vtxStates_{"vtx_states", Text::NoSuchVtxState},
      primStates_{"prim_states", Text::NoSuchPrimState};
  long long subobjectVertices_ = -1;  // of the sub-object being read, once its list is read
  std::size_t levels_ = 0;
  bool sawLevelLists_ = false;
  std::optional<std::uint32_t> shapeLine_;
  std::optional<long double> previousDistance_;
};

}  // namespace

std::vector<ShapeProblem> CheckShape(const std::vector<std::string>& lines,
                                     const TextSource& texts) {
  Reporter report(texts);
  Checker checker(report, texts);
  format::Walk(lines, checker, texts);
  checker.Finish();
  return report.Finish();
}

std::optional<ShapeProblem> FirstShapeError(const std::vector<std::string>& lines,
                                            const TextSource& texts) {
  for (ShapeProblem& problem : CheckShape(lines, texts))
    if (problem.kind == ProblemKind::Error) return std::move(problem);
  return std::nullopt;
}

}  // namespace quarvel
