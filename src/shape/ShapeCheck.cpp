#include "shape/ShapeCheck.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>
#include <unordered_map>

#include "common/Convert.h"
#include "common/Text.h"

namespace quarvel {

namespace {

constexpr std::size_t kNoNode = static_cast<std::size_t>(-1);
// Every check reads at most the first five values of a block.
constexpr std::size_t kKeptValues = 5;
constexpr int kRepeatsListed = 20;
constexpr long long kMaxIndexedVertices = 65535;

// ---- What the blocks of a shape are -----------------------------------------

struct BlockTraits {
  bool kept = false;       // kept in the structure for the checks after reading
  bool childList = false;  // the first value counts the blocks inside
  int valueGroup = 0;      // the first value counts the values behind it in groups of this size
  bool indices = false;    // the values behind the count are indices (their range is kept)
};

const BlockTraits& TraitsOf(std::string_view keyword) {
  static const std::unordered_map<std::string_view, BlockTraits> traits = [] {
    std::unordered_map<std::string_view, BlockTraits> table;
    // Lists whose entries are counted only: the points, normals and vertices
    // of a big shape are never kept one by one.
    for (std::string_view list : {"volumes",      "shader_names",    "texture_filter_names",
                                  "points",       "uv_points",       "normals",
                                  "sort_vectors", "colours",         "matrices",
                                  "images",       "light_materials", "light_model_cfgs",
                                  "uv_ops",       "anim_nodes",      "controllers",
                                  "tcb_rot",      "linear_pos",      "slerp_rot",
                                  "tcb_pos",      "vertices"})
      table[list].childList = true;
    for (std::string_view list :
         {"textures", "vtx_states", "prim_states", "lod_controls", "distance_levels", "sub_objects",
          "geometry_nodes", "vertex_sets", "primitives", "animations"})
      table[list] = {true, true, 0, false};
    for (std::string_view block :
         {"shape", "texture", "vtx_state", "prim_state", "lod_control", "distance_level",
          "distance_level_header", "dlevel_selection", "sub_object", "sub_object_header",
          "geometry_info", "vertex_set", "prim_state_idx", "indexed_trilist"})
      table[block].kept = true;
    table["points"].kept = table["uv_points"].kept = table["normals"].kept = true;
    table["sort_vectors"].kept = table["volumes"].kept = table["matrices"].kept = true;
    table["images"].kept = table["shader_names"].kept = table["vertices"].kept = true;
    for (std::string_view list : {"vertex_idxs", "hierarchy", "geometry_node_map", "tex_idxs"})
      table[list] = {true, false, 1, true};
    table["normal_idxs"] = {true, false, 2, true};
    table["vertex_uvs"] = {false, false, 1, true};
    table["flags"] = {false, false, 1, false};
    table["subobject_shaders"] = {false, false, 1, false};
    table["subobject_light_cfgs"] = {false, false, 1, false};
    return table;
  }();
  static const BlockTraits none;
  const auto found = traits.find(keyword);
  return found == traits.end() ? none : found->second;
}

// "prim_state NAME (": the word before "(" is then the name.
bool TakesAName(std::string_view keyword) {
  return keyword == "matrix" || keyword == "prim_state" || keyword == "anim_node";
}

// ---- The structure read from the text ----------------------------------------

struct Token {
  std::string_view text;
  std::size_t line = 0;
};

// The integers among the entries of a list: their range, where its ends
// stand, and the first entry that is no integer.
struct IndexRange {
  long long count = 0;
  long long min = 0, max = 0;
  std::size_t minLine = 0, maxLine = 0;
  std::optional<Token> notANumber;

  void Add(const Token& token) {
    const auto value = TryStrToInt(token.text);
    if (!value) {
      if (!notANumber) notANumber = token;
      return;
    }
    Add(*value, token.line);
  }
  void Add(long long value, std::size_t line) {
    if (count == 0 || value < min) min = value, minLine = line;
    if (count == 0 || value > max) max = value, maxLine = line;
    ++count;
  }
  void Merge(const IndexRange& other) {
    if (other.notANumber && (!notANumber || other.notANumber->line < notANumber->line))
      notANumber = other.notANumber;
    if (other.count == 0) return;
    Add(other.min, other.minLine);
    Add(other.max, other.maxLine);
    count += other.count - 2;
  }
};

// What the checks need of a block once it is read.
struct Summary {
  std::size_t childCount = 0;  // every block inside, kept or not
  std::size_t valueCount = 0;
  std::array<Token, kKeptValues> values{};
  std::array<IndexRange, 2> entries;  // the values behind the count, alternately
  // Of a "vertices" list: the indices its vertices use.
  IndexRange points, normals, uvs;
};

struct Node {
  std::string_view keyword, label;
  std::size_t line = 0;
  std::size_t parent = kNoNode;
  std::size_t firstChild = kNoNode, nextSibling = kNoNode, lastChild = kNoNode;
  Summary summary;
};

// ---- Problems ------------------------------------------------------------------

class Reporter {
 public:
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
      problems_.push_back({repeat.firstMore.line, repeat.firstMore.kind,
                           "Ab hier " + IntToStr(repeat.more) +
                               " weitere Meldungen derselben Art zu \"" + repeat.firstMore.message +
                               "\"; sie werden nicht einzeln genannt."});
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
  std::vector<ShapeProblem> problems_;
  std::map<std::string, Repeat> repeats_;
};

std::string Quoted(std::string_view keyword) {
  return "\"" + Latin1ToUtf8(keyword) + "\"";
}

std::string Entries(long long count) {
  return IntToStr(count) + (count == 1 ? " Eintrag" : " Einträge");
}

std::string NotAnInteger(std::string_view text, std::string_view owner) {
  return "'" + Latin1ToUtf8(text) + "' in " + Quoted(owner) + " ist kein gültiger Integerwert.";
}

// ---- Reading the blocks ----------------------------------------------------------

// One pass over the text: every "(" opens a block named by the word before
// it, every other token is a value of the innermost open block. Counts are
// checked when a block closes; the blocks the later checks need are kept.
class Reader {
 public:
  Reader(const std::vector<std::string>& lines, Reporter& report) : lines_(lines), report_(report) {
    nodes.push_back(Node{});  // the text itself
    frames_.resize(1);
    frames_[0].kept = 0;
  }

  void Run() {
    for (std::size_t index = 0; index < lines_.size(); ++index) {
      const std::string_view line = lines_[index];
      std::size_t i = 0;
      while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
          ++i;
        } else if (c == '(') {
          Open(index);
          ++i;
        } else if (c == ')') {
          Close(index);
          ++i;
        } else {
          const std::size_t start = i;
          if (c == '"') {
            // A quoted name may hold blanks and parentheses.
            const std::size_t quote = line.find('"', i + 1);
            i = quote == std::string_view::npos ? line.size() : quote + 1;
          } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '(' &&
                   line[i] != ')' && line[i] != '\r')
              ++i;
          }
          Push(Token{line.substr(start, i - start), index});
        }
      }
    }
    CommitPending();
    if (depth_ > 0) {
      const Frame& innermost = frames_[depth_];
      const std::size_t missing = depth_;
      report_.Add(ProblemKind::Error, innermost.line, "unclosed", "",
                  "Die Klammer hinter " + Quoted(innermost.keyword) + " wird nicht geschlossen (" +
                      (missing == 1 ? std::string("es fehlt 1 schließende Klammer")
                                    : "es fehlen " + IntToStr(static_cast<long long>(missing)) +
                                          " schließende Klammern") +
                      ").");
      while (depth_ > 0) CloseFrame();
    }
  }

  std::vector<Node> nodes;  // in the order their blocks open; 0 is the text

 private:
  struct Frame {
    std::string_view keyword, label;
    std::size_t line = 0;
    std::size_t kept = kNoNode;     // its node, when kept
    std::size_t nearest = kNoNode;  // the node of the innermost kept block around it
    const BlockTraits* traits = nullptr;
    Summary summary;
  };

  void Push(const Token& token) {
    if (pendingCount_ == 2) {
      Commit(pending_[0]);
      pending_[0] = pending_[1];
      pending_[1] = token;
    } else {
      pending_[pendingCount_++] = token;
    }
  }

  void CommitPending() {
    for (int i = 0; i < pendingCount_; ++i) Commit(pending_[i]);
    pendingCount_ = 0;
  }

  void Commit(const Token& token) {
    Frame& frame = frames_[depth_];
    Summary& summary = frame.summary;
    if (summary.valueCount < kKeptValues) summary.values[summary.valueCount] = token;
    if (summary.valueCount > 0 && frame.traits != nullptr && frame.traits->indices)
      summary.entries[(summary.valueCount - 1) % 2].Add(token);
    ++summary.valueCount;
  }

  void Open(std::size_t line) {
    Token keyword{std::string_view(), line};
    Token label{};
    if (pendingCount_ == 2 && TakesAName(pending_[0].text)) {
      keyword = pending_[0];
      label = pending_[1];
      pendingCount_ = 0;
    } else {
      if (pendingCount_ == 2) {
        Commit(pending_[0]);
        pending_[0] = pending_[1];
        pendingCount_ = 1;
      }
      if (pendingCount_ == 1) keyword = pending_[0];
      pendingCount_ = 0;
    }
    Frame& parent = frames_[depth_];
    ++parent.summary.childCount;
    const std::size_t nearest = parent.kept != kNoNode ? parent.kept : parent.nearest;

    if (++depth_ == frames_.size()) frames_.emplace_back();
    Frame& frame = frames_[depth_];
    frame.traits = &TraitsOf(keyword.text);
    // Points and vertices open blocks by the hundred thousand: only what a
    // block of their kind gathers is made afresh.
    if (frame.traits->kept) {
      frame.summary = Summary{};
    } else {
      frame.summary.childCount = frame.summary.valueCount = 0;
      if (frame.traits->indices) frame.summary.entries = {};
    }
    frame.kept = kNoNode;
    frame.keyword = keyword.text;
    frame.label = label.text;
    frame.line = keyword.line;
    frame.nearest = nearest;
    if (frame.traits->kept) {
      frame.kept = nodes.size();
      Node node;
      node.keyword = frame.keyword;
      node.label = frame.label;
      node.line = frame.line;
      node.parent = nearest;
      nodes.push_back(node);
      Node& up = nodes[nearest];
      if (up.lastChild == kNoNode) {
        up.firstChild = frame.kept;
      } else {
        nodes[up.lastChild].nextSibling = frame.kept;
      }
      up.lastChild = frame.kept;
    }
  }

  void Close(std::size_t line) {
    CommitPending();
    if (depth_ == 0) {
      report_.Add(ProblemKind::Error, line, "stray", "",
                  "Schließende Klammer ohne zugehörige öffnende.");
      return;
    }
    CloseFrame();
  }

  void CloseFrame() {
    Frame& frame = frames_[depth_];
    CheckCount(frame);
    FoldIntoVertexList(frame);
    if (frame.kept != kNoNode) nodes[frame.kept].summary = std::move(frame.summary);
    --depth_;
  }

  void CheckCount(const Frame& frame) {
    const BlockTraits& traits = *frame.traits;
    if (!traits.childList && traits.valueGroup == 0) return;
    const Summary& summary = frame.summary;
    const auto add = [&](const char* check, std::string message) {
      report_.Add(ProblemKind::Error, frame.line, check, frame.keyword, std::move(message));
    };
    if (summary.valueCount == 0) return add("count", Quoted(frame.keyword) + " hat keine Anzahl.");
    const Token& countToken = summary.values[0];
    const auto count = TryStrToInt(countToken.text);
    if (!count)
      return add("count", Quoted(frame.keyword) + " hat keine gültige Anzahl: '" +
                              Latin1ToUtf8(countToken.text) + "' ist kein gültiger Integerwert.");
    const auto given = [&] { return Quoted(frame.keyword) + " gibt "; };
    if (traits.childList && *count != static_cast<long long>(summary.childCount))
      add("count", given() + Entries(*count) + " an, enthält aber " +
                       IntToStr(static_cast<long long>(summary.childCount)) + ".");
    if (traits.valueGroup > 0) {
      const long long values = static_cast<long long>(summary.valueCount) - 1;
      const long long expected = static_cast<long long>(*count) * traits.valueGroup;
      if (values != expected)
        add("count", given() +
                         (traits.valueGroup == 1
                              ? IntToStr(*count) + " Werte an"
                              : Entries(*count) + " an (" + IntToStr(expected) + " Werte)") +
                         ", enthält aber " + IntToStr(values) + ".");
    }
  }

  // The vertices are counted, not kept: the indices each one uses are
  // gathered in the list that holds it.
  void FoldIntoVertexList(const Frame& frame) {
    if (frame.keyword == "vertex" && depth_ >= 1 && frames_[depth_ - 1].keyword == "vertices") {
      Summary& list = frames_[depth_ - 1].summary;
      const Summary& vertex = frame.summary;
      if (vertex.valueCount < 3) {
        report_.Add(ProblemKind::Error, frame.line, "vertex", "vertex",
                    "\"vertex\" hat zu wenige Werte (erwartet: Flags, Punkt, Normale, Farben).");
        return;
      }
      list.points.Add(vertex.values[1]);
      list.normals.Add(vertex.values[2]);
    } else if (frame.keyword == "vertex_uvs" && depth_ >= 2 &&
               frames_[depth_ - 2].keyword == "vertices") {
      IndexRange& uvs = frames_[depth_ - 2].summary.uvs;
      uvs.Merge(frame.summary.entries[0]);
      uvs.Merge(frame.summary.entries[1]);
    }
  }

  const std::vector<std::string>& lines_;
  Reporter& report_;
  std::vector<Frame> frames_;  // frames_[0] is the text itself
  std::size_t depth_ = 0;
  std::array<Token, 2> pending_{};  // a word may yet turn out to name a block
  int pendingCount_ = 0;
};

// ---- The checks over the structure -------------------------------------------

// A list that indices refer to, with the words to name one of its entries.
struct Table {
  std::string_view name;
  const char* noun = "";
  const char* which = "";  // the relative pronoun that goes with the noun
  long long size = 0;
};

class Checker {
 public:
  Checker(const std::vector<Node>& nodes, Reporter& report) : nodes_(nodes), report_(report) {}

  void Run() {
    const Node* shape = Child(nodes_[0], "shape");
    if (shape == nullptr) {
      Error(0, "shape", "shape", "Die Datei enthält keinen Block \"shape\".");
      return;
    }
    points_ = TableOf(*shape, "points", "Punkt", "den");
    uvPoints_ = TableOf(*shape, "uv_points", "UV-Punkt", "den");
    normals_ = TableOf(*shape, "normals", "Normale", "die");
    sortVectors_ = TableOf(*shape, "sort_vectors", "Sortiervektor", "den");
    volumes_ = TableOf(*shape, "volumes", "Volumen", "das");
    matrices_ = TableOf(*shape, "matrices", "Matrix", "die");
    images_ = TableOf(*shape, "images", "Bild", "das");
    textures_ = TableOf(*shape, "textures", "Textur", "die");
    shaders_ = TableOf(*shape, "shader_names", "Shader", "den");
    vtxStates_ = TableOf(*shape, "vtx_states", "Vertex-State", "den");
    primStates_ = TableOf(*shape, "prim_states", "Prim-State", "den");

    vertexCounts_.assign(nodes_.size(), -1);
    std::size_t levels = 0;
    for (std::size_t i = 1; i < nodes_.size(); ++i) {
      const Node& node = nodes_[i];
      const std::string_view keyword = node.keyword;
      if (keyword == "distance_level") ++levels;
      if (keyword == "texture") {
        Index(node, 0, images_, false);
      } else if (keyword == "vtx_state") {
        Index(node, 1, matrices_, false);
      } else if (keyword == "prim_state") {
        Index(node, 1, shaders_, false);
        Index(node, 3, vtxStates_, false);
      } else if (keyword == "tex_idxs") {
        Range(keyword, AllEntries(node), textures_, false);
      } else if (keyword == "hierarchy") {
        Range(keyword, AllEntries(node), matrices_, true);
        LengthOfMatrixCount(node);
      } else if (keyword == "distance_levels") {
        CheckDistances(node);
      } else if (keyword == "distance_level") {
        const Node* subobjects = Child(node, "sub_objects");
        if (subobjects == nullptr || subobjects->summary.childCount == 0)
          Error(node.line, "lod", "distance_level",
                "Das LOD (\"distance_level\") hat keine Subobjekte.");
      } else if (keyword == "sub_object") {
        CheckSubobject(i, node);
      } else if (keyword == "sub_object_header") {
        Index(node, 1, sortVectors_, true);
        Index(node, 2, volumes_, true);
      } else if (keyword == "geometry_node_map") {
        const Node* nodesList =
            node.parent != kNoNode ? Child(nodes_[node.parent], "geometry_nodes") : nullptr;
        if (nodesList != nullptr)
          Range(keyword, AllEntries(node),
                {"geometry_nodes", "Geometrieknoten", "den",
                 static_cast<long long>(nodesList->summary.childCount)},
                true);
        LengthOfMatrixCount(node);
      } else if (keyword == "vertex_set") {
        CheckVertexSet(node);
      } else if (keyword == "prim_state_idx") {
        Index(node, 0, primStates_, false);
      } else if (keyword == "vertex_idxs") {
        CheckTriangles(node);
      } else if (keyword == "normal_idxs") {
        Range(keyword, node.summary.entries[0], normals_, false);
      } else if (keyword == "animations") {
        if (node.summary.childCount == 0)
          Warning(node.line, "animations", "animations",
                  "Leerer Block \"animations ( 0 )\": manche Programme laden eine Datei damit "
                  "nicht; der Block kann entfallen.");
      }
    }
    if (levels == 0)
      Error(shape->line, "lod", "shape",
            "Die Datei enthält keine LOD's (keinen Block \"distance_level\").");
  }

 private:
  void Error(std::size_t line, std::string_view check, std::string_view subject,
             std::string message) {
    report_.Add(ProblemKind::Error, line, check, subject, std::move(message));
  }
  void Warning(std::size_t line, std::string_view check, std::string_view subject,
               std::string message) {
    report_.Add(ProblemKind::Warning, line, check, subject, std::move(message));
  }

  const Node* Child(const Node& node, std::string_view keyword) const {
    for (std::size_t child = node.firstChild; child != kNoNode; child = nodes_[child].nextSibling)
      if (nodes_[child].keyword == keyword) return &nodes_[child];
    return nullptr;
  }

  Table TableOf(const Node& shape, const char* name, const char* noun, const char* which) const {
    const Node* list = Child(shape, name);
    return {name, noun, which, list ? static_cast<long long>(list->summary.childCount) : 0};
  }

  static IndexRange AllEntries(const Node& node) {
    IndexRange all = node.summary.entries[0];
    all.Merge(node.summary.entries[1]);
    return all;
  }

  void OutOfRange(std::string_view owner, std::size_t line, long long index, const Table& table) {
    Error(line, "index", std::string(owner) + "/" + std::string(table.name),
          Quoted(owner) + " verweist auf " + table.noun + " " + IntToStr(index) + ", " +
              table.which + " es nicht gibt (" + Quoted(table.name) + " hat " +
              (table.size == 0 ? std::string("keine Einträge") : Entries(table.size)) + ").");
  }

  // Value `position` of `node` as an index into `table`; -1 means none where
  // `noneAllowed`.
  void Index(const Node& node, std::size_t position, const Table& table, bool noneAllowed) {
    if (node.summary.valueCount <= position) {
      Error(node.line, "values", node.keyword, Quoted(node.keyword) + " hat zu wenige Werte.");
      return;
    }
    const Token& token = node.summary.values[position];
    const auto value = TryStrToInt(token.text);
    if (!value) {
      Error(token.line, "number", node.keyword, NotAnInteger(token.text, node.keyword));
      return;
    }
    if ((noneAllowed && *value == -1) || (*value >= 0 && *value < table.size)) return;
    OutOfRange(node.keyword, token.line, *value, table);
  }

  // The entries of a list of `owner` as indices into `table`.
  void Range(std::string_view owner, const IndexRange& range, const Table& table,
             bool noneAllowed) {
    if (range.notANumber) {
      Error(range.notANumber->line, "number", owner, NotAnInteger(range.notANumber->text, owner));
      return;
    }
    if (range.count == 0) return;
    if (range.min < (noneAllowed ? -1 : 0)) OutOfRange(owner, range.minLine, range.min, table);
    if (range.max >= table.size) OutOfRange(owner, range.maxLine, range.max, table);
  }

  // Loaders take the hierarchy and the node map as one entry per matrix.
  void LengthOfMatrixCount(const Node& node) {
    if (node.summary.valueCount == 0) return;
    const auto count = TryStrToInt(node.summary.values[0].text);
    if (!count || *count == matrices_.size) return;
    Warning(node.line, "matrices", node.keyword,
            Quoted(node.keyword) + " hat " + Entries(*count) + ", die Datei aber " +
                IntToStr(matrices_.size) + (matrices_.size == 1 ? " Matrix" : " Matrizen") +
                "; Programme, die einen Eintrag je Matrix erwarten, laden sie falsch.");
  }

  void CheckDistances(const Node& levels) {
    std::optional<long double> previous;
    for (std::size_t child = levels.firstChild; child != kNoNode;
         child = nodes_[child].nextSibling) {
      const Node& level = nodes_[child];
      if (level.keyword != "distance_level") continue;
      const Node* header = Child(level, "distance_level_header");
      const Node* selection = header ? Child(*header, "dlevel_selection") : nullptr;
      if (selection == nullptr) continue;
      if (selection->summary.valueCount == 0) {
        Error(selection->line, "distance", "dlevel_selection",
              "\"dlevel_selection\" hat keine Entfernung.");
        continue;
      }
      const Token& text = selection->summary.values[0];
      const auto distance = TryStrToFloatDot(text.text);
      if (!distance) {
        Error(text.line, "distance", "dlevel_selection",
              "'" + Latin1ToUtf8(text.text) +
                  "' in \"dlevel_selection\" ist keine gültige Entfernung.");
        continue;
      }
      if (previous && *distance <= *previous)
        Warning(text.line, "rising", "dlevel_selection",
                "Die Entfernung " + Latin1ToUtf8(text.text) +
                    " ist nicht größer als die des vorigen LOD's; die Stufen müssen von LOD zu "
                    "LOD steigen.");
      previous = distance;
    }
  }

  void CheckSubobject(std::size_t index, const Node& subobject) {
    for (const char* part : {"sub_object_header", "vertices", "vertex_sets", "primitives"})
      if (Child(subobject, part) == nullptr)
        Error(subobject.line, "part", part, "Dem Subobjekt fehlt der Block " + Quoted(part) + ".");
    const Node* vertices = Child(subobject, "vertices");
    if (vertices == nullptr) return;
    const long long count = static_cast<long long>(vertices->summary.childCount);
    vertexCounts_[index] = count;
    Range("vertex", vertices->summary.points, points_, false);
    Range("vertex", vertices->summary.normals, normals_, false);
    Range("vertex_uvs", vertices->summary.uvs, uvPoints_, false);
    if (count > kMaxIndexedVertices)
      Warning(vertices->line, "size", "vertices",
              "Das Subobjekt hat " + IntToStr(count) +
                  " Vertices; mehr als 65535 passen nicht in die 16-Bit-Indizes, Dreiecke "
                  "würden falsch verbunden.");
  }

  // The vertex count of the sub-object `node` lies in, -1 when unknown.
  long long VertexCountAround(const Node& node) const {
    for (std::size_t up = node.parent; up != kNoNode; up = nodes_[up].parent)
      if (nodes_[up].keyword == "sub_object") return vertexCounts_[up];
    return -1;
  }

  void CheckVertexSet(const Node& set) {
    Index(set, 0, vtxStates_, false);
    if (set.summary.valueCount < 3) return;
    const auto first = TryStrToInt(set.summary.values[1].text);
    const auto count = TryStrToInt(set.summary.values[2].text);
    if (!first || !count) {
      const Token& bad = first ? set.summary.values[2] : set.summary.values[1];
      Error(bad.line, "number", "vertex_set", NotAnInteger(bad.text, "vertex_set"));
      return;
    }
    const long long vertices = VertexCountAround(set);
    if (*first < 0 || *count < 0 || (vertices >= 0 && *first + *count > vertices))
      Error(set.line, "range", "vertex_set",
            "\"vertex_set\" umfasst " + IntToStr(*count) + " Vertices ab Vertex " +
                IntToStr(*first) + ", das Subobjekt hat aber " +
                IntToStr(std::max<long long>(vertices, 0)) + ".");
  }

  void CheckTriangles(const Node& indices) {
    const long long vertices = VertexCountAround(indices);
    if (vertices >= 0)
      Range("vertex_idxs", AllEntries(indices), {"vertices", "Vertex", "den", vertices}, false);
    if (indices.summary.valueCount == 0) return;
    const auto count = TryStrToInt(indices.summary.values[0].text);
    if (count && *count % 3 != 0)
      Error(indices.line, "triangles", "vertex_idxs",
            "\"vertex_idxs\" gibt " + IntToStr(*count) +
                " Werte an; ganze Dreiecke brauchen ein Vielfaches von 3.");
  }

  const std::vector<Node>& nodes_;
  Reporter& report_;
  Table points_, uvPoints_, normals_, sortVectors_, volumes_, matrices_, images_, textures_,
      shaders_, vtxStates_, primStates_;
  std::vector<long long> vertexCounts_;  // per node: of a sub_object, its vertices
};

}  // namespace

std::vector<ShapeProblem> CheckShape(const std::vector<std::string>& lines) {
  Reporter report;
  Reader reader(lines, report);
  reader.Run();
  Checker(reader.nodes, report).Run();
  return report.Finish();
}

std::optional<ShapeProblem> FirstShapeError(const std::vector<std::string>& lines) {
  for (ShapeProblem& problem : CheckShape(lines))
    if (problem.kind == ProblemKind::Error) return std::move(problem);
  return std::nullopt;
}

}  // namespace quarvel
