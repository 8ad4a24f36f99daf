#include "view/ShapeGeometry.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "format/TextWalker.h"

namespace quarvel::view {

namespace {

using format::BlockRule;
using format::GrammarItem;
using format::TextToken;
using format::TokenId;

// The blocks the view reads, by their token ids.
namespace id {
constexpr TokenId kPoint = 0x02, kVector = 0x03, kNormals = 0x05, kPoints = 0x07,
                  kDistanceLevel = 0x25, kSubObject = 0x27, kVtxState = 0x2E, kVertex = 0x30,
                  kPrimState = 0x36, kPrimStateIdx = 0x38, kVertexIdxs = 0x3F, kMatrix = 0x41,
                  kMatrices = 0x42, kHierarchy = 0x43, kDistanceLevelHeader = 0x22, kShape = 0x47;
}  // namespace id

// A matrix of the file: rows of the turn, then the shift; a point p goes to
// p * turn + shift, as the simulator takes it.
struct Affine {
  float m[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};

  Vec3 Point(const float* p) const {
    return {p[0] * m[0] + p[1] * m[3] + p[2] * m[6] + m[9],
            p[0] * m[1] + p[1] * m[4] + p[2] * m[7] + m[10],
            p[0] * m[2] + p[1] * m[5] + p[2] * m[8] + m[11]};
  }
  Vec3 Direction(const float* n) const {
    return {n[0] * m[0] + n[1] * m[3] + n[2] * m[6], n[0] * m[1] + n[1] * m[4] + n[2] * m[7],
            n[0] * m[2] + n[1] * m[5] + n[2] * m[8]};
  }
  // This matrix applied first, then `outer`.
  Affine Then(const Affine& outer) const {
    Affine r;
    for (int row = 0; row < 4; ++row) {
      const float* a = m + 3 * row;
      for (int column = 0; column < 3; ++column)
        r.m[3 * row + column] = a[0] * outer.m[column] + a[1] * outer.m[3 + column] +
                                a[2] * outer.m[6 + column] + (row == 3 ? outer.m[9 + column] : 0);
    }
    return r;
  }
};

float Float(std::string_view text) {
  float value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() ? value : 0.0f;
}

long long Integer(std::string_view text) {
  long long value = -1;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() ? value : -1;
}

class Reader final : public format::TextVisitor {
 public:
  explicit Reader(ShapeGeometry& geometry) : geometry_(geometry) {}

  bool Open(const BlockRule& rule, std::string_view, std::uint32_t) override {
    const TokenId parent = stack_.empty() ? 0 : stack_.back();
    stack_.push_back(rule.id);
    switch (rule.id) {
      case id::kPoint:
        if (parent != id::kPoints) return false;
        points_.insert(points_.end(), {0, 0, 0});
        return true;
      case id::kVector:
        if (parent != id::kNormals) return false;
        normals_.insert(normals_.end(), {0, 0, 0});
        return true;
      case id::kMatrix:
        if (parent != id::kMatrices) return false;
        matrices_.emplace_back();
        return true;
      case id::kVtxState:
        vtxStateMatrices_.push_back(0);
        return true;
      case id::kPrimState:
        geometry_.elementVtxStates.push_back(0);
        return true;
      case id::kDistanceLevel:
        geometry_.levels.emplace_back();
        parents_.clear();
        world_.clear();
        subobject_ = -1;
        return false;
      case id::kHierarchy:
        return parent == id::kDistanceLevelHeader;
      case id::kSubObject:
        ++subobject_;
        vertices_.clear();
        if (!geometry_.levels.empty()) geometry_.levels.back().subobjectVertices.push_back(0);
        return false;
      case id::kVertex:
        vertices_.push_back({-1, -1});
        if (!geometry_.levels.empty() && !geometry_.levels.back().subobjectVertices.empty())
          ++geometry_.levels.back().subobjectVertices.back();
        return true;
      case id::kPrimStateIdx:
      case id::kVertexIdxs:
        return true;
      default:
        return false;
    }
  }

  void Value(const GrammarItem&, std::size_t position, const TextToken& token) override {
    switch (stack_.back()) {
      case id::kPoint:
        if (position < 3) points_[points_.size() - 3 + position] = Float(token.text);
        break;
      case id::kVector:
        if (position < 3) normals_[normals_.size() - 3 + position] = Float(token.text);
        break;
      case id::kMatrix:
        if (position < 12) matrices_.back().m[position] = Float(token.text);
        break;
      case id::kVtxState:
        if (position == 1) vtxStateMatrices_.back() = static_cast<int>(Integer(token.text));
        break;
      case id::kPrimState:
        if (position == 3)
          geometry_.elementVtxStates.back() = static_cast<int>(Integer(token.text));
        break;
      case id::kHierarchy:
        if (position > 0) parents_.push_back(Integer(token.text));
        break;
      case id::kVertex:
        if (position == 1) vertices_.back()[0] = Integer(token.text);
        if (position == 2) vertices_.back()[1] = Integer(token.text);
        break;
      case id::kPrimStateIdx:
        element_ = Integer(token.text);
        break;
      case id::kVertexIdxs:
        if (position == 0) {
          corner_ = 0;
        } else {
          triangle_[corner_++] = Integer(token.text);
          if (corner_ == 3) {
            AddTriangle();
            corner_ = 0;
          }
        }
        break;
      default:
        break;
    }
  }

  void Close() override {
    if (stack_.back() == id::kHierarchy) MakeWorld();
    stack_.pop_back();
  }

  void Problem(ProblemKind, std::uint32_t, std::string_view, std::string_view,
               std::string) override {}

 private:
  // The matrix of every node of the level's hierarchy, its chain applied.
  void MakeWorld() {
    const std::size_t n = parents_.size();
    world_.assign(n, Affine{});
    for (std::size_t k = 0; k < n; ++k) {
      // The chain from k up, made once per node; a loop in a damaged file
      // ends after as many steps as there are nodes.
      Affine chain = k < matrices_.size() ? matrices_[k] : Affine{};
      long long up = parents_[k];
      for (std::size_t steps = 0; up >= 0 && static_cast<std::size_t>(up) < n && steps < n;
           ++steps) {
        const auto u = static_cast<std::size_t>(up);
        chain = chain.Then(u < matrices_.size() ? matrices_[u] : Affine{});
        up = parents_[u];
      }
      world_[k] = chain;
    }
  }

  const Affine& MatrixOf(long long element) const {
    static const Affine identity;
    if (element < 0 || static_cast<std::size_t>(element) >= geometry_.elementVtxStates.size())
      return identity;
    const int state = geometry_.elementVtxStates[static_cast<std::size_t>(element)];
    if (state < 0 || static_cast<std::size_t>(state) >= vtxStateMatrices_.size()) return identity;
    const int matrix = vtxStateMatrices_[static_cast<std::size_t>(state)];
    if (matrix >= 0 && static_cast<std::size_t>(matrix) < world_.size())
      return world_[static_cast<std::size_t>(matrix)];
    if (matrix >= 0 && static_cast<std::size_t>(matrix) < matrices_.size())
      return matrices_[static_cast<std::size_t>(matrix)];
    return identity;
  }

  void AddTriangle() {
    if (geometry_.levels.empty() || element_ < 0 ||
        static_cast<std::size_t>(element_) >= geometry_.elementVtxStates.size())
      return;
    const std::size_t pointCount = points_.size() / 3, normalCount = normals_.size() / 3;
    for (const long long corner : triangle_) {
      if (corner < 0 || static_cast<std::size_t>(corner) >= vertices_.size()) return;
      const auto& vertex = vertices_[static_cast<std::size_t>(corner)];
      if (vertex[0] < 0 || static_cast<std::size_t>(vertex[0]) >= pointCount) return;
      if (vertex[1] >= 0 && static_cast<std::size_t>(vertex[1]) >= normalCount) return;
    }
    GeometryLevel& level = geometry_.levels.back();
    const Affine& matrix = MatrixOf(element_);
    for (const long long corner : triangle_) {
      const auto& vertex = vertices_[static_cast<std::size_t>(corner)];
      const Vec3 p = matrix.Point(&points_[3 * static_cast<std::size_t>(vertex[0])]);
      level.positions.insert(level.positions.end(), p.begin(), p.end());
      Vec3 n = {0, 1, 0};
      if (vertex[1] >= 0) n = matrix.Direction(&normals_[3 * static_cast<std::size_t>(vertex[1])]);
      level.normals.insert(level.normals.end(), n.begin(), n.end());
    }
    level.elements.push_back(static_cast<std::uint32_t>(element_));
    level.subobjects.push_back(static_cast<std::uint32_t>(subobject_ < 0 ? 0 : subobject_));
  }

  ShapeGeometry& geometry_;
  std::vector<TokenId> stack_;
  std::vector<float> points_, normals_;
  std::vector<Affine> matrices_;
  std::vector<int> vtxStateMatrices_;
  std::vector<long long> parents_;
  std::vector<Affine> world_;
  std::vector<std::array<long long, 2>> vertices_;  // point, normal
  long long element_ = -1;
  long long subobject_ = -1;
  std::array<long long, 3> triangle_{};
  int corner_ = 0;
};

}  // namespace

bool ShapeGeometry::Empty() const {
  for (const GeometryLevel& level : levels)
    if (level.Triangles() > 0) return false;
  return true;
}

namespace {

// Widens `box` by every corner of `level`.
void Widen(std::array<Vec3, 2>& box, const GeometryLevel& level) {
  for (std::size_t i = 0; i + 2 < level.positions.size(); i += 3)
    for (std::size_t a = 0; a < 3; ++a) {
      box[0][a] = std::min(box[0][a], level.positions[i + a]);
      box[1][a] = std::max(box[1][a], level.positions[i + a]);
    }
}

constexpr float kBig = std::numeric_limits<float>::max();
constexpr std::array<Vec3, 2> kNothing = {Vec3{kBig, kBig, kBig}, Vec3{-kBig, -kBig, -kBig}};
// What a view of nothing looks at.
constexpr std::array<Vec3, 2> kUnitBox = {Vec3{-1, -1, -1}, Vec3{1, 1, 1}};

}  // namespace

std::array<Vec3, 2> ShapeGeometry::Bounds() const {
  std::array<Vec3, 2> box = kNothing;
  for (const GeometryLevel& level : levels) Widen(box, level);
  return Empty() ? kUnitBox : box;
}

std::array<Vec3, 2> BoundsOf(const GeometryLevel& level) {
  std::array<Vec3, 2> box = kNothing;
  Widen(box, level);
  return level.Triangles() == 0 ? kUnitBox : box;
}

ShapeGeometry GeometryOfShape(const std::vector<std::string>& lines, const TextSource& texts) {
  ShapeGeometry geometry;
  Reader reader(geometry);
  format::Walk(lines, reader, texts);
  return geometry;
}

}  // namespace quarvel::view
