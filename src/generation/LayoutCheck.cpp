#include <algorithm>
#include <optional>

#include "generation/Generation.h"
#include "generation/RewriteText.h"

namespace quarvel {

using rewrite::LineAt;
using rewrite::LineNumber;

namespace {

const char* const kAbort = " Abbruch der Aktion.";
const char* const kGeneralError =
    "Allgemeiner Fehler, z.B. Eintragungen unvollständig, Datei fehlerhaft oder leer. Abbruch der "
    "Aktion.";

// The refusal of the first thing found wrong; the checks run in the order a
// reader of the text would meet the problems.
class LayoutChecker {
 public:
  LayoutChecker(const std::vector<std::string>& source, const GenerationLayout& layout,
                const GenerationInput& input, const GenerationPlan& plan)
      : source_(source), layout_(layout), input_(input), plan_(plan) {}

  std::string Run() {
    std::string problem = CheckLandmarks();
    if (problem.empty() && plan_.sortCount > 0) problem = CheckSorting();
    if (problem.empty()) problem = CheckNodes();
    if (problem.empty()) problem = CheckVertices();
    if (problem.empty()) problem = CheckPrimitives();
    if (problem.empty()) problem = CheckPlannedElements();
    return problem;
  }

 private:
  struct Primitive {
    std::size_t line = 0;
    int element = 0;
    int trilists = 0;
    std::size_t firstIndexLine = 0;  // the vertex index lines: first up to, not including, end
    std::size_t endIndexLine = 0;
  };

  const std::string& Line(std::size_t index) const { return LineAt(source_, index); }

  std::optional<std::size_t> Find(std::string_view keyword, std::size_t from,
                                  std::size_t to) const {
    for (std::size_t i = from; i < to && i < source_.size(); ++i)
      if (Contains(source_[i], keyword)) return i;
    return std::nullopt;
  }

  static std::string NotANumber(std::string_view token, std::size_t line) {
    return "'" + Latin1ToUtf8(token) + "' in Zeile " + LineNumber(line) +
           " ist kein gültiger Integerwert." + kAbort;
  }

  // Token `k` after `keyword` as an integer, or a refusal in `problem`.
  std::optional<int> Number(std::size_t line, std::string_view keyword, int k,
                            std::string& problem) const {
    const TokenPosition token = TokenAfter(Line(line), keyword, k);
    const auto value = TryStrToInt(token.text);
    if (!value) problem = NotANumber(token.text, line);
    return value;
  }

  std::string ElementName(int row) const { return "\"" + input_.elements.Cell(0, row) + "\""; }

  std::string CheckLandmarks() {
    if (layout_.subobjectEndLine + 2 >= source_.size())
      return "Die Datei endet mitten im Subobjekt ab Zeile " +
             LineNumber(layout_.firstSubobjectLine) + "." + kAbort;
    for (std::size_t i = layout_.subobjectEndLine + 1; i < source_.size(); ++i)
      if (Contains(source_[i], "prim_state_idx"))
        return "Hinter dem Subobjekt ab Zeile " + LineNumber(layout_.firstSubobjectLine) +
               " folgen weitere Primitive (Zeile " + LineNumber(i) +
               "); nur Dateien mit einem einzigen Subobjekt können zerlegt werden." + kAbort;
    return "";
  }

  std::string CheckSorting() {
    const auto volumes = Find("volumes", 0, layout_.firstSubobjectLine);
    const auto sortVectors = Find("sort_vectors", 0, layout_.firstSubobjectLine);
    if (!volumes || !sortVectors || *sortVectors < *volumes || !Contains(Line(*volumes + 2), ")"))
      return kGeneralError;
    std::string problem;
    if (!Number(*volumes, "volumes", 2, problem) ||
        !Number(*sortVectors, "sort_vectors", 2, problem))
      return problem;
    const auto header = Find("sub_object_header", layout_.firstSubobjectLine, layout_.verticesLine);
    if (!header)
      return "\"sub_object_header\" fehlt im Subobjekt ab Zeile " +
             LineNumber(layout_.firstSubobjectLine) + "." + kAbort;
    const std::string flags(TokenAfter(Line(*header), "sub_object_header", 2).text);
    const bool digits = !flags.empty() && std::all_of(flags.begin(), flags.end(),
                                                      [](char c) { return c >= '0' && c <= '9'; });
    const auto value = TryStrToInt(flags);
    if (!digits || !value)
      return "Der Flags-Wert \"" + Latin1ToUtf8(flags) + "\" in Zeile " + LineNumber(*header) +
             " ist keine Dezimalzahl; daraus lässt sich kein sortiertes Subobjekt erzeugen." +
             kAbort;
    if (*value % 2 == 0 && (flags.size() < 3 || flags[flags.size() - 3] == '9'))
      return "Im Flags-Wert \"" + flags + "\" in Zeile " + LineNumber(*header) +
             " lässt sich die Sortierung nicht eintragen (die drittletzte Ziffer ist keine 0 bis "
             "8)." +
             kAbort;
    return "";
  }

  std::string CheckNodes() {
    const auto nodes = Find("geometry_nodes", layout_.firstSubobjectLine, layout_.verticesLine);
    if (!nodes)
      return "\"geometry_nodes\" fehlt im Subobjekt ab Zeile " +
             LineNumber(layout_.firstSubobjectLine) + "." + kAbort;
    std::string problem;
    const auto count = Number(*nodes, "geometry_nodes", 2, problem);
    if (!count) return problem;
    nodeCount_ = *count;
    bool blocks = nodeCount_ >= 1 && nodeCount_ <= kShapeIndexSize;
    for (int m = 0; blocks && m < nodeCount_; ++m) {
      const std::size_t block = *nodes + 1 + 3 * static_cast<std::size_t>(m);
      blocks = block + 2 < layout_.verticesLine && Contains(Line(block), "geometry_node") &&
               Contains(Line(block + 1), "cullable_prims");
    }
    if (!blocks || !Find("geometry_node_map",
                         *nodes + 1 + 3 * static_cast<std::size_t>(std::max(0, nodeCount_)),
                         layout_.verticesLine))
      return "Die Geometrieknoten ab Zeile " + LineNumber(*nodes) +
             " haben nicht den erwarteten Aufbau (je Knoten drei Zeilen, dann "
             "\"geometry_node_map\")." +
             kAbort;
    return "";
  }

  std::string CheckVertices() {
    std::string problem;
    const auto vertices = Number(layout_.verticesLine, "vertices", 2, problem);
    if (!vertices) return problem;
    const std::size_t closing =
        layout_.verticesLine + 1 + 3 * static_cast<std::size_t>(std::max(0, *vertices));
    setsLine_ = closing + 1;
    if (*vertices < 0 || setsLine_ >= layout_.subobjectEndLine ||
        !Contains(Line(setsLine_), "vertex_sets"))
      return "Die Vertex-Liste ab Zeile " + LineNumber(layout_.verticesLine) + " hat nicht " +
             IntToStr(*vertices) + " Einträge zu je drei Zeilen." + kAbort;
    const auto sets = Number(setsLine_, "vertex_sets", 2, problem);
    if (!sets) return problem;
    const ShapeIndex& index = input_.index;
    if (*sets != index.VertexSetCount)
      return "Die Zahl der Vertex-Sets in Zeile " + LineNumber(setsLine_) +
             " passt nicht zur Auswertung der Datei (wurde der Text seit dem Öffnen geändert?)." +
             kAbort;
    long long next = 0;
    for (int set = 0; set < *sets; ++set) {
      const std::size_t line = setsLine_ + 1 + static_cast<std::size_t>(set);
      const auto state = Number(line, "vertex_set", 2, problem);
      const auto first = state ? Number(line, "vertex_set", 3, problem) : std::nullopt;
      const auto count = first ? Number(line, "vertex_set", 4, problem) : std::nullopt;
      if (!count) return problem.empty() ? NotANumber("", line) : problem;
      const VertexSetEntry& known = index.VertexSets[static_cast<std::size_t>(set)];
      if (*state != known.vtxState || *first != known.firstVertex || *count != known.vertexCount)
        return "Das Vertex-Set in Zeile " + LineNumber(line) +
               " passt nicht zur Auswertung der Datei (wurde der Text seit dem Öffnen geändert?)." +
               kAbort;
      if (*first != next || *count < 0)
        return "Die Vertex-Sets ab Zeile " + LineNumber(setsLine_) +
               " folgen nicht lückenlos aufeinander (Zeile " + LineNumber(line) + ")." + kAbort;
      next += *count;
    }
    if (next != *vertices)
      return "Die Vertex-Sets ab Zeile " + LineNumber(setsLine_) + " umfassen " + IntToStr(next) +
             " statt " + IntToStr(*vertices) + " Vertices." + kAbort;
    return "";
  }

  std::string CheckPrimitives() {
    const auto list = Find("primitives", setsLine_ + 1, layout_.subobjectEndLine);
    if (!list)
      return "\"primitives\" fehlt im Subobjekt ab Zeile " +
             LineNumber(layout_.firstSubobjectLine) + "." + kAbort;
    std::string problem;
    const auto count = Number(*list, "primitives", 2, problem);
    if (!count) return problem;

    const std::size_t end = layout_.subobjectEndLine - 1;
    int stage =
        0;  // 0 before vertex_idxs, 1 in the vertex indices, 2 in the normals, 3 after flags
    for (std::size_t i = *list + 1; i < end; ++i) {
      const std::string& line = source_[i];
      if (Contains(line, "prim_state_idx")) {
        if (!primitives_.empty() && (primitives_.back().trilists == 0 || stage != 3))
          return IncompletePrimitive(primitives_.back().line);
        const auto element = Number(i, "prim_state_idx", 2, problem);
        if (!element) return problem;
        primitives_.push_back({i, *element, 0, 0, 0});
        stage = 0;
      } else if (Contains(line, "indexed_trilist")) {
        if (primitives_.empty() || ++primitives_.back().trilists > 1)
          return "In Zeile " + LineNumber(i) +
                 " beginnt eine weitere Dreiecksliste (\"indexed_trilist\") ohne eigenes "
                 "\"prim_state_idx\"; "
                 "solche Subobjekte kann das Programm nicht zerlegen." +
                 kAbort;
      }
      if (primitives_.empty()) continue;
      if (Contains(line, "vertex_idxs") && stage == 0)
        stage = 1, primitives_.back().firstIndexLine = i;
      if (Contains(line, "normal_idxs") && stage == 1)
        stage = 2, primitives_.back().endIndexLine = i;
      if (Contains(line, "flags") && stage == 2) stage = 3;
    }
    if (!primitives_.empty() && (primitives_.back().trilists == 0 || stage != 3))
      return IncompletePrimitive(primitives_.back().line);
    const auto entries = static_cast<long long>(primitives_.size());
    if (*count != 2 * entries)
      return "Die Anzahl in Zeile " + LineNumber(*list) + " (" + IntToStr(*count) +
             ") passt nicht zu den " + IntToStr(entries) +
             " Primitiven der Liste (erwartet: " + IntToStr(2 * entries) + ")." + kAbort;
    if (entries > input_.elementCount)
      return "Das Subobjekt hat " + IntToStr(entries) + " Primitive, aber nur " +
             IntToStr(input_.elementCount) + " Elemente." + kAbort;
    primitiveOf_.assign(static_cast<std::size_t>(input_.elementCount) + 1, 0);
    for (const Primitive& primitive : primitives_) {
      if (primitive.element < 0 || primitive.element >= input_.elementCount)
        return "Das Primitiv in Zeile " + LineNumber(primitive.line) +
               " verweist auf das Element " + IntToStr(primitive.element) + ", das es nicht gibt." +
               kAbort;
      std::size_t& known = primitiveOf_[static_cast<std::size_t>(primitive.element) + 1];
      if (known != 0)
        return "Das Element " + ElementName(primitive.element + 1) +
               " wird von zwei Primitiven benutzt (Zeilen " +
               LineNumber(primitives_[known - 1].line) + " und " + LineNumber(primitive.line) +
               ")." + kAbort;
      known = static_cast<std::size_t>(&primitive - primitives_.data()) + 1;
    }
    return "";
  }

  static std::string IncompletePrimitive(std::size_t line) {
    return "Das Primitiv ab Zeile " + LineNumber(line) +
           " hat nicht den erwarteten Aufbau (eine Dreiecksliste mit \"vertex_idxs\", "
           "\"normal_idxs\" und "
           "\"flags\")." +
           kAbort;
  }

  // Every vertex of a primitive must lie in its element's vertex set, or the
  // renumbering would point it at another element's vertices.
  std::string CheckVertexIndices(const Primitive& primitive, const VertexSetEntry& range,
                                 int set) const {
    for (std::size_t lineIndex = primitive.firstIndexLine; lineIndex < primitive.endIndexLine;
         ++lineIndex) {
      const std::string& line = source_[lineIndex];
      std::size_t start = 1, end = 1;
      if (lineIndex == primitive.firstIndexLine) {
        // Behind the keyword come "(" and the count; the indices follow them.
        start = line.find("vertex_idxs") + std::string_view("vertex_idxs").size() + 1;
        for (int skip = 0; skip < 2; ++skip) {
          TokenAt(line, start, end);
          start = end;
        }
      }
      for (;;) {
        const std::string_view token = TokenAt(line, start, end);
        if (token.empty()) break;
        start = end;
        if (token == ")") continue;
        const auto vertex = TryStrToInt(token);
        if (!vertex) return NotANumber(token, lineIndex);
        if (*vertex < range.firstVertex || *vertex >= range.firstVertex + range.vertexCount)
          return "Das Primitiv ab Zeile " + LineNumber(primitive.line) + " (Element " +
                 ElementName(primitive.element + 1) + ") benutzt den Vertex " + IntToStr(*vertex) +
                 ", der nicht in seinem Vertex-Set " + IntToStr(set) + " liegt (Zeile " +
                 LineNumber(lineIndex) + ")." + kAbort;
      }
    }
    return "";
  }

  // The elements that the plan puts into a sub-object that will be written.
  std::string CheckPlannedElements() {
    const ShapeIndex& index = input_.index;
    checked_.assign(static_cast<std::size_t>(input_.elementCount) + 1, false);
    for (int lod = 1; lod <= input_.lodCount; ++lod) {
      const int written = plan_.lodSubobjectCount[static_cast<std::size_t>(lod)];
      for (int row = 1; row <= input_.elementCount; ++row) {
        const std::string& cell = input_.elements.Cell(lod + 2, row);
        int subobject = 0;
        if (cell == "0") {
          subobject = 1;
        } else if (const auto number = TryStrToInt(cell); number && *number >= 1 &&
                                                          *number <= written &&
                                                          input_.inSubobject(row, lod, *number)) {
          subobject = *number;
        }
        if (subobject == 0 || written == 0) continue;
        const std::string where =
            "LOD " + IntToStr(lod) + ", Subobjekt " + (cell == "0" ? "0 (alle)" : cell);
        const std::size_t primitive = primitiveOf_[static_cast<std::size_t>(row)];
        if (primitive == 0)
          return "Das Element " + ElementName(row) + " (Zeile " + IntToStr(row) +
                 " der Elementtabelle) hat im Subobjekt kein Primitiv, ist aber für " + where +
                 " eingeplant." + kAbort;
        const int set = index.ElementVtxStates[static_cast<std::size_t>(row - 1)];
        if (set < 0 || set >= index.VertexSetCount ||
            index.VertexSets[static_cast<std::size_t>(set)].vtxState != set)
          return "Zum Element " + ElementName(row) + " (Zeile " + IntToStr(row) +
                 " der Elementtabelle) gehört kein "
                 "Vertex-Set mit seinem Vertex-State " +
                 IntToStr(set) + "." + kAbort;
        const int matrix = index.VtxStateMatrices[static_cast<std::size_t>(set)];
        if (matrix < 0 || matrix >= nodeCount_)
          return "Das Element " + ElementName(row) + " hängt an der Matrix " + IntToStr(matrix) +
                 ", für die es keinen Geometrieknoten gibt." + kAbort;
        if (!checked_[static_cast<std::size_t>(row)]) {
          checked_[static_cast<std::size_t>(row)] = true;
          const std::string problem = CheckVertexIndices(
              primitives_[primitive - 1], index.VertexSets[static_cast<std::size_t>(set)], set);
          if (!problem.empty()) return problem;
        }
      }
    }
    return "";
  }

  const std::vector<std::string>& source_;
  const GenerationLayout& layout_;
  const GenerationInput& input_;
  const GenerationPlan& plan_;
  int nodeCount_ = 0;
  std::size_t setsLine_ = 0;
  std::vector<Primitive> primitives_;
  std::vector<std::size_t> primitiveOf_;  // per element row: its primitive's position + 1, or 0
  std::vector<bool> checked_;             // per element row: vertex indices checked
};

}  // namespace

std::string CheckSourceLayout(const std::vector<std::string>& source,
                              const GenerationLayout& layout, const GenerationInput& input,
                              const GenerationPlan& plan) {
  return LayoutChecker(source, layout, input, plan).Run();
}

}  // namespace quarvel
