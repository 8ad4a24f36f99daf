#include "support/ShapeTree.h"

#include <functional>
#include <optional>
#include <stdexcept>

namespace quarvel::testing {

namespace {

using Counts = std::pair<long long, long long>;  // primitives, faces

std::optional<long long> ToInt(const std::string& text) {
  std::size_t used = 0;
  try {
    const long long value = std::stoll(text, &used, 10);
    if (used == text.size()) return value;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

// Lists whose first value counts their child nodes.
const std::string kChildLists =
    " volumes shader_names texture_filter_names points uv_points normals sort_vectors colours "
    "matrices images textures light_materials light_model_cfgs uv_ops vtx_states prim_states "
    "lod_controls distance_levels sub_objects geometry_nodes vertices vertex_sets primitives "
    "animations anim_nodes controllers tcb_rot linear_pos slerp_rot tcb_pos ";

// Lists whose first value counts the values behind it, in groups of this size.
const std::map<std::string, long long> kValueLists = {
    {"vertex_idxs", 1}, {"normal_idxs", 2},       {"flags", 1},
    {"vertex_uvs", 1},  {"geometry_node_map", 1}, {"hierarchy", 1},
    {"tex_idxs", 1},    {"subobject_shaders", 1}, {"subobject_light_cfgs", 1}};

void CheckCounts(const ShapeNode& node, std::vector<std::string>& problems) {
  const auto count = node.values.empty() ? std::nullopt : ToInt(node.values[0]);
  const auto problem = [&](std::size_t found, const char* what) {
    problems.push_back("\"" + node.keyword + "\" in line " + std::to_string(node.line + 1) +
                       ": count " + (node.values.empty() ? "-" : node.values[0]) + " for " +
                       std::to_string(found) + what);
  };
  if (kChildLists.find(" " + node.keyword + " ") != std::string::npos &&
      (node.values.size() != 1 || count != static_cast<long long>(node.children.size())))
    problem(node.children.size(), " entries");
  if (const auto list = kValueLists.find(node.keyword); list != kValueLists.end()) {
    const std::size_t entries = node.values.empty() ? 0 : node.values.size() - 1;
    if (!count || !node.children.empty() ||
        static_cast<long long>(entries) != *count * list->second)
      problem(entries, " values");
  }
  for (const ShapeNode& child : node.children) CheckCounts(child, problems);
}

struct ShapeFacts {
  std::vector<std::pair<long long, long long>> elements;  // vertex state, matrix
  long long matrices = 0, volumes = 0, sortVectors = 0;
};

ShapeFacts ReadFacts(const ShapeNode& shape) {
  ShapeFacts facts;
  std::vector<long long> stateMatrix;
  const auto size = [&shape](const char* list) {
    const ShapeNode* node = shape.Child(list);
    return node ? static_cast<long long>(node->children.size()) : 0;
  };
  if (const ShapeNode* states = shape.Child("vtx_states"))
    for (const ShapeNode* state : states->Children("vtx_state"))
      stateMatrix.push_back(state->Int(1));
  if (const ShapeNode* primStates = shape.Child("prim_states"))
    for (const ShapeNode* primState : primStates->Children("prim_state")) {
      const long long state = primState->Int(3);
      const bool known = state >= 0 && state < static_cast<long long>(stateMatrix.size());
      facts.elements.push_back({state, known ? stateMatrix[static_cast<std::size_t>(state)] : -1});
    }
  facts.matrices = size("matrices");
  facts.volumes = size("volumes");
  facts.sortVectors = size("sort_vectors");
  return facts;
}

// The triangle lists of a sub-object, each with the element that draws it.
std::vector<std::pair<long long, const ShapeNode*>> DrawnLists(const ShapeNode& subobject) {
  std::vector<std::pair<long long, const ShapeNode*>> lists;
  long long element = -1;
  if (const ShapeNode* primitives = subobject.Child("primitives"))
    for (const ShapeNode& entry : primitives->children) {
      if (entry.keyword == "prim_state_idx") element = entry.Int(0);
      if (entry.keyword == "indexed_trilist") lists.push_back({element, &entry});
    }
  return lists;
}

void CheckGeometry(const ShapeNode& info, const ShapeFacts& facts, long long faces, long long prims,
                   std::map<long long, Counts>& perMatrix,
                   const std::function<void(const std::string&)>& problem) {
  if (info.Int(0) != faces || info.Int(1) != prims || info.Int(3) != 3 * faces ||
      info.Int(6) != prims)
    problem("geometry_info " + info.values[0] + " " + info.values[1] + " ... for " +
            std::to_string(faces) + " faces in " + std::to_string(prims) + " primitives");
  const ShapeNode* nodes = info.Child("geometry_nodes");
  const ShapeNode* map = info.Child("geometry_node_map");
  if (!nodes || !map) return problem("geometry nodes or node map missing");
  const auto nodeList = nodes->Children("geometry_node");
  if (map->Int(0) != facts.matrices) problem("node map is not one entry per matrix");
  std::vector<long long> matrixOfNode(nodeList.size(), -1);
  for (std::size_t m = 0; m + 1 < map->values.size(); ++m) {
    const long long node = map->Int(m + 1);
    if (node == -1) {
      if (perMatrix.count(static_cast<long long>(m)))
        problem("matrix " + std::to_string(m) + " is drawn but unmapped");
    } else if (node < 0 || node >= static_cast<long long>(nodeList.size()) ||
               matrixOfNode[static_cast<std::size_t>(node)] != -1) {
      problem("node map names node " + std::to_string(node) + " wrongly");
    } else {
      matrixOfNode[static_cast<std::size_t>(node)] = static_cast<long long>(m);
    }
  }
  for (std::size_t node = 0; node < nodeList.size(); ++node) {
    if (matrixOfNode[node] == -1) {
      problem("geometry node " + std::to_string(node) + " is not in the node map");
      continue;
    }
    const Counts counts = perMatrix[matrixOfNode[node]];
    const ShapeNode* cullable = nodeList[node]->Child("cullable_prims");
    if (nodeList[node]->Int(0) != counts.first || !cullable || cullable->Int(0) != counts.first ||
        cullable->Int(1) != counts.second || cullable->Int(2) != 3 * counts.second)
      problem("geometry node " + std::to_string(node) + " does not count its " +
              std::to_string(counts.first) + " primitives and " + std::to_string(counts.second) +
              " faces");
  }
}

void CheckSubobject(const ShapeNode& subobject, const ShapeFacts& facts, const std::string& name,
                    std::vector<std::string>& problems) {
  const std::function<void(const std::string&)> problem = [&](const std::string& text) {
    problems.push_back(name + ": " + text);
  };
  const ShapeNode* vertices = subobject.Child("vertices");
  const ShapeNode* sets = subobject.Child("vertex_sets");
  const ShapeNode* header = subobject.Child("sub_object_header");
  if (!vertices || !sets || !header) return problem("vertices, vertex sets or header missing");
  const long long vertexCount = static_cast<long long>(vertices->children.size());

  // Vertex sets: contiguous, covering the list, found by their vertex state.
  std::map<long long, Counts> setOf;  // vtx_state -> first, count
  long long next = 0;
  for (const ShapeNode* set : sets->Children("vertex_set")) {
    if (set->Int(1) != next)
      problem("vertex set in line " + std::to_string(set->line + 1) + " starts at " +
              set->values[1] + ", not " + std::to_string(next));
    setOf[set->Int(0)] = {set->Int(1), set->Int(2)};
    next = set->Int(1) + set->Int(2);
  }
  if (next != vertexCount)
    problem("vertex sets cover " + std::to_string(next) + " of " + std::to_string(vertexCount) +
            " vertices");

  // Primitives: indices within the element's set, faces per matrix.
  long long faces = 0, prims = 0;
  std::map<long long, Counts> perMatrix;
  for (const auto& [element, trilist] : DrawnLists(subobject)) {
    ++prims;
    const std::string which = "element " + std::to_string(element);
    if (element < 0 || element >= static_cast<long long>(facts.elements.size())) {
      problem("primitive of an unknown " + which);
      continue;
    }
    const auto [state, matrix] = facts.elements[static_cast<std::size_t>(element)];
    const ShapeNode* indices = trilist->Child("vertex_idxs");
    if (!indices) {
      problem("triangle list without vertex indices");
      continue;
    }
    const long long listFaces = indices->Int(0) / 3;
    faces += listFaces;
    perMatrix[matrix].first += 1;
    perMatrix[matrix].second += listFaces;
    const auto set = setOf.find(state);
    if (set == setOf.end()) {
      problem(which + " has no vertex set");
      continue;
    }
    for (std::size_t i = 1; i < indices->values.size(); ++i) {
      const long long vertex = indices->Int(i);
      if (vertex < set->second.first || vertex >= set->second.first + set->second.second ||
          vertex >= vertexCount) {
        problem(which + " uses vertex " + std::to_string(vertex) + " outside its set (line " +
                std::to_string(indices->line + 1) + ")");
        break;
      }
    }
  }
  if (const ShapeNode* info = header->Child("geometry_info"))
    CheckGeometry(*info, facts, faces, prims, perMatrix, problem);
  else
    problem("geometry_info missing");

  // The flags stay hexadecimal; a sorted sub-object names existing entries.
  const std::string& flags = header->values.at(0);
  if (flags.size() != 8 || flags.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    problem("sub-object flags \"" + flags + "\"");
  const long long sortVector = header->Int(1), volume = header->Int(2);
  if (sortVector >= facts.sortVectors || volume >= facts.volumes || sortVector < -1 || volume < -1)
    problem("sort vector " + std::to_string(sortVector) + " or volume " + std::to_string(volume) +
            " does not exist");
}

template <typename Visit>
void ForEachSubobject(const ShapeNode& shape, Visit visit) {
  std::size_t level = 0;
  if (const ShapeNode* controls = shape.Child("lod_controls"))
    for (const ShapeNode* control : controls->Children("lod_control"))
      if (const ShapeNode* levels = control->Child("distance_levels"))
        for (const ShapeNode* distanceLevel : levels->Children("distance_level")) {
          std::size_t index = 0;
          if (const ShapeNode* subobjects = distanceLevel->Child("sub_objects"))
            for (const ShapeNode* subobject : subobjects->Children("sub_object"))
              visit(*distanceLevel, level, index++, *subobject);
          ++level;
        }
}

}  // namespace

const ShapeNode* ShapeNode::Child(const std::string& name) const {
  for (const ShapeNode& child : children)
    if (child.keyword == name) return &child;
  return nullptr;
}

std::vector<const ShapeNode*> ShapeNode::Children(const std::string& name) const {
  std::vector<const ShapeNode*> found;
  for (const ShapeNode& child : children)
    if (child.keyword == name) found.push_back(&child);
  return found;
}

long long ShapeNode::Int(std::size_t i) const {
  if (i < values.size())
    if (const auto value = ToInt(values[i])) return *value;
  throw std::runtime_error("\"" + keyword + "\" in line " + std::to_string(line + 1) +
                           " has no integer at value " + std::to_string(i));
}

ShapeNode ParseShapeTree(const std::vector<std::string>& lines) {
  ShapeNode root;
  // Only the innermost open node gains children, so the pointers to the
  // nodes still open stay valid.
  std::vector<ShapeNode*> open = {&root};
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::string& line = lines[index];
    for (std::size_t i = 0; i < line.size();) {
      const char c = line[i];
      ShapeNode& parent = *open.back();
      if (c == ' ' || c == '\t') {
        ++i;
      } else if (c == '(') {
        ShapeNode child;
        child.line = index;
        auto& values = parent.values;
        if (!values.empty()) child.keyword = values.back(), values.pop_back();
        if (!values.empty() && (values.back() == "matrix" || values.back() == "prim_state" ||
                                values.back() == "anim_node")) {
          child.label = child.keyword;
          child.keyword = values.back();
          values.pop_back();
        }
        parent.children.push_back(std::move(child));
        open.push_back(&parent.children.back());
        ++i;
      } else if (c == ')') {
        if (open.size() == 1)
          throw std::runtime_error("unbalanced \")\" in line " + std::to_string(index + 1));
        open.pop_back();
        ++i;
      } else {
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '(' &&
               line[i] != ')')
          ++i;
        parent.values.push_back(line.substr(start, i - start));
      }
    }
  }
  if (open.size() != 1)
    throw std::runtime_error(std::to_string(open.size() - 1) + " parentheses left open");
  return root;
}

std::vector<std::string> ConsistencyProblems(const ShapeNode& root) {
  std::vector<std::string> problems;
  const ShapeNode* shape = root.Child("shape");
  if (!shape) return {"no shape"};
  try {
    CheckCounts(*shape, problems);
    const ShapeFacts facts = ReadFacts(*shape);
    ForEachSubobject(*shape, [&](const ShapeNode&, std::size_t level, std::size_t index,
                                 const ShapeNode& subobject) {
      CheckSubobject(
          subobject, facts,
          "level " + std::to_string(level + 1) + " sub-object " + std::to_string(index + 1),
          problems);
    });
  } catch (const std::exception& error) {
    problems.push_back(error.what());
  }
  return problems;
}

ShapeContent ReadContent(const ShapeNode& root) {
  ShapeContent content;
  const ShapeNode* shape = root.Child("shape");
  if (!shape) return content;
  const ShapeFacts facts = ReadFacts(*shape);
  content.volumes = facts.volumes;
  content.sortVectors = facts.sortVectors;
  ForEachSubobject(*shape, [&](const ShapeNode& level, std::size_t levelIndex, std::size_t,
                               const ShapeNode& subobject) {
    if (content.levels.size() <= levelIndex) {
      content.levels.resize(levelIndex + 1);
      content.sortEntries.resize(levelIndex + 1);
      const ShapeNode* header = level.Child("distance_level_header");
      const ShapeNode* selection = header ? header->Child("dlevel_selection") : nullptr;
      content.distances.push_back(selection && !selection->values.empty() ? selection->values[0]
                                                                          : "");
    }
    const ShapeNode& header = *subobject.Child("sub_object_header");
    content.sortEntries[levelIndex].push_back({header.Int(1), header.Int(2)});
    const auto vertices = subobject.Child("vertices")->Children("vertex");
    ElementTriangles triangles;
    for (const auto& [element, trilist] : DrawnLists(subobject)) {
      const ShapeNode* indices = trilist->Child("vertex_idxs");
      const ShapeNode* normals = trilist->Child("normal_idxs");
      const ShapeNode* flags = trilist->Child("flags");
      auto& out = triangles[static_cast<int>(element)];
      for (std::size_t face = 0; 3 * face + 3 < indices->values.size(); ++face) {
        std::string triangle;
        for (std::size_t corner = 1; corner <= 3; ++corner) {
          const ShapeNode& vertex =
              *vertices.at(static_cast<std::size_t>(indices->Int(3 * face + corner)));
          for (const std::string& value : vertex.values) triangle += value + " ";
          for (const ShapeNode& uvs : vertex.children)
            for (const std::string& value : uvs.values) triangle += value + " ";
          triangle += "/ ";
        }
        out.push_back(triangle + "n " + normals->values.at(1 + 2 * face) + " " +
                      normals->values.at(2 + 2 * face) + " f " + flags->values.at(1 + face));
      }
    }
    content.levels[levelIndex].push_back(std::move(triangles));
  });
  return content;
}

}  // namespace quarvel::testing
