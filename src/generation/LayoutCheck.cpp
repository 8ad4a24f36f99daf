#include <algorithm>
#include <optional>

#include "format/ShapeCheck.h"
#include "generation/Generation.h"
#include "generation/RewriteText.h"
#include "shape/LineNumbers.h"

namespace quarvel {

using rewrite::LineAt;

namespace {

bool IsDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The first token of a line: what a line of a list starts with.
std::string_view FirstToken(std::string_view line) {
  std::size_t start = 1, end = 1;
  return TokenAt(line, start, end);
}

// A line that holds nothing but ")".
bool IsClosingLine(std::string_view line) {
  std::size_t start = 1, end = 1;
  if (TokenAt(line, start, end) != ")") return false;
  start = end;
  return TokenAt(line, start, end).empty();
}

// The refusal of the first thing found wrong; the checks run in the order a
// reader of the text would meet the problems. The writer copies and rewrites
// lines by their position, so every check here stands for one assumption it
// makes: where the source differs, writing on would drop or mix up geometry.
class LayoutChecker {
 public:
  LayoutChecker(const std::vector<std::string>& source, const GenerationLayout& layout,
                const GenerationInput& input, const GenerationPlan& plan)
      : source_(source), layout_(layout), input_(input), plan_(plan) {}

  Refusal Run() {
    levelsLine_ = Find("distance_levels ", 0, layout_.firstSubobjectLine);
    Refusal problem = CheckLandmarks();
    if (!problem && plan_.sortCount > 0) problem = CheckSorting();
    if (!problem) problem = CheckLevelHeader();
    if (!problem) problem = CheckSubobjectHeader();
    if (!problem) problem = CheckVertices();
    if (!problem) problem = CheckPrimitives();
    if (!problem) problem = CheckPlannedElements();
    return problem;
  }

 private:
  struct Primitive {
    std::size_t line = 0;  // the "prim_state_idx" line
    int element = 0;
    std::size_t firstIndexLine = 0;  // the vertex index lines: first up to, not including, end
    std::size_t endIndexLine = 0;
  };

  const std::string& Line(std::size_t index) const { return LineAt(source_, index); }
  bool LineHas(std::size_t index, std::string_view keyword) const {
    return Contains(Line(index), keyword);
  }

  std::optional<std::size_t> Find(std::string_view keyword, std::size_t from,
                                  std::size_t to) const {
    for (std::size_t i = from; i < to && i < source_.size(); ++i)
      if (Contains(source_[i], keyword)) return i;
    return std::nullopt;
  }

  // The refusal `text` in the language of the input.
  std::string Worded(Text text,
                     std::initializer_list<std::pair<std::string_view, std::string>> values) const {
    return quarvel::Worded(input_.text, text, values);
  }

  std::string NotANumber(std::string_view token, std::size_t line) const {
    return Worded(Text::LayoutNoInteger,
                  {{"token", Latin1ToUtf8(token)}, {"line", ShownLineText(line)}});
  }

  // Token `k` after `keyword` as an integer, or a refusal in `problem`.
  std::optional<int> Number(std::size_t line, std::string_view keyword, int k,
                            Refusal& problem) const {
    const TokenPosition token = TokenAfter(Line(line), keyword, k);
    const auto value = TryStrToInt(token.text);
    if (!value) problem = NotANumber(token.text, line);
    return value;
  }

  std::string SubobjectStart() const { return ShownLineText(layout_.firstSubobjectLine); }

  std::string Missing(std::string_view keyword) const {
    return Worded(Text::LayoutLacksKeyword,
                  {{"keyword", std::string(keyword)}, {"line", SubobjectStart()}});
  }

  const std::string& ElementName(int row) const { return input_.tables.elements[row].name; }

  Refusal CheckLandmarks() {
    if (layout_.subobjectEndLine + 2 >= source_.size())
      return Worded(Text::SubobjectCutShort, {{"line", SubobjectStart()}});
    // The writer takes the primitives from the sub-object alone; one found
    // behind its list would belong to a further sub-object it cannot split.
    for (std::size_t i = layout_.subobjectEndLine - 1; i < source_.size(); ++i)
      if (Contains(source_[i], "prim_state_idx"))
        return Worded(Text::PrimitivesBehindList,
                      {{"start", SubobjectStart()}, {"line", ShownLineText(i)}});
    return std::nullopt;
  }

  // The new sort vectors are copies of the first sphere's centre, so the
  // sphere must come first, whole, and before the distance levels that the
  // header pass stops at.
  Refusal CheckSorting() {
    const std::size_t headerEnd = levelsLine_ ? *levelsLine_ : layout_.firstSubobjectLine;
    const auto volumes = Find("volumes", 0, headerEnd);
    const auto sortVectors = Find("sort_vectors", 0, headerEnd);
    if (!volumes || !sortVectors || *sortVectors < *volumes)
      return TextFrom(input_.text, Text::GeneralGenerationError);
    const std::string& centre = Line(*volumes + 2);
    if (*volumes + 3 >= *sortVectors || !Contains(centre, "vector") || !Contains(centre, ")"))
      return TextFrom(input_.text, Text::GeneralGenerationError);
    Refusal problem;
    const auto spheres = Number(*volumes, "volumes", 2, problem);
    if (!spheres) return problem;
    if (*spheres < 1) return TextFrom(input_.text, Text::GeneralGenerationError);
    if (!Number(*sortVectors, "sort_vectors", 2, problem)) return problem;

    const auto header = Find("sub_object_header", layout_.firstSubobjectLine, layout_.verticesLine);
    if (!header) return Missing("sub_object_header");
    const std::string_view flags = TokenAfter(Line(*header), "sub_object_header", 2).text;
    const auto value = TryStrToInt(flags);
    if (!IsDigits(flags) || !value)
      return Worded(Text::FlagsNotDecimal,
                    {{"flags", Latin1ToUtf8(flags)}, {"line", ShownLineText(*header)}});
    // An even value gains the sorting bit in its third digit from the end; a
    // "9" there would turn into a character that is no digit at all.
    if (*value % 2 == 0 && (flags.size() < 3 || flags[flags.size() - 3] == '9'))
      return Worded(Text::FlagsTakeNoSorting,
                    {{"flags", std::string(flags)}, {"line", ShownLineText(*header)}});
    return std::nullopt;
  }

  // Every LOD gets its own distance and sub-object count in a copy of the
  // source level's header; without those lines every LOD would claim the
  // source's values. A shape without "distance_levels " is left to the
  // rewrite, which reports it as the syntax error it is.
  Refusal CheckLevelHeader() {
    if (!levelsLine_) return std::nullopt;
    const std::size_t from = *levelsLine_ + 1, to = layout_.firstSubobjectLine;
    const auto selection = Find("dlevel_selection", from, to);
    const auto count = Find("sub_objects", from, to);
    const auto missing = [&](const char* keyword) {
      return Worded(
          Text::LevelHeaderLacks,
          {{"first", ShownLineText(from)}, {"last", ShownLineText(to - 1)}, {"keyword", keyword}});
    };
    if (!selection || TokenAfter(Line(*selection), "dlevel_selection", 2).text.empty())
      return missing("dlevel_selection");
    if (!count) return missing("sub_objects");
    Refusal problem;
    if (!Number(*count, "sub_objects", 2, problem)) return problem;
    return std::nullopt;
  }

  Refusal CheckSubobjectHeader() {
    const auto info = Find("geometry_info", layout_.firstSubobjectLine, layout_.verticesLine);
    if (!info) return Missing("geometry_info");
    Refusal problem;
    for (int k : {2, 3, 5, 8})
      if (!Number(*info, "geometry_info", k, problem)) return problem;

    const auto nodes = Find("geometry_nodes", *info, layout_.verticesLine);
    if (!nodes) return Missing("geometry_nodes");
    const auto count = Number(*nodes, "geometry_nodes", 2, problem);
    if (!count) return problem;
    nodeCount_ = *count;
    const auto badNodes = [&] {
      return Worded(Text::NodesMisshaped, {{"line", ShownLineText(*nodes)},
                                           {"node", "geometry_node"},
                                           {"cullable", "cullable_prims"},
                                           {"map", "geometry_node_map"}});
    };
    if (nodeCount_ < 1 || nodeCount_ > kShapeIndexSize) return badNodes();
    // The blocks, the list's closing line, then the map.
    const std::size_t blocksEnd = *nodes + 1 + 3 * static_cast<std::size_t>(nodeCount_);
    const std::size_t map = blocksEnd + 1;
    if (map >= layout_.verticesLine || !IsClosingLine(Line(blocksEnd)) ||
        !LineHas(map, "geometry_node_map"))
      return badNodes();
    for (std::size_t block = *nodes + 1; block < blocksEnd; block += 3)
      if (!LineHas(block, "geometry_node") || LineHas(block, "geometry_node_map") ||
          !LineHas(block + 1, "cullable_prims"))
        return badNodes();
    std::size_t mapEnd = map;
    while (mapEnd < layout_.verticesLine && !LineHas(mapEnd, ")")) ++mapEnd;
    if (mapEnd >= layout_.verticesLine) return badNodes();
    return std::nullopt;
  }

  Refusal CheckVertices() {
    Refusal problem;
    const auto vertices = Number(layout_.verticesLine, "vertices", 2, problem);
    if (!vertices) return problem;
    const auto notThreeLines = [&] {
      return Worded(Text::VerticesMisshaped, {{"line", ShownLineText(layout_.verticesLine)},
                                              {"count", IntToStr(*vertices)}});
    };
    if (*vertices < 0) return notThreeLines();
    const std::size_t closing = layout_.verticesLine + 1 + 3 * static_cast<std::size_t>(*vertices);
    setsLine_ = closing + 1;
    if (setsLine_ >= layout_.subobjectEndLine || !LineHas(setsLine_, "vertex_sets"))
      return notThreeLines();
    // The writer keeps or drops a vertex as three lines; a vertex written
    // otherwise would shift every later one into the wrong set.
    for (std::size_t line = layout_.verticesLine + 1; line < closing; line += 3)
      if (FirstToken(Line(line)) != "vertex" || FirstToken(Line(line + 2)) != ")")
        return notThreeLines();
    if (FirstToken(Line(closing)) != ")") return notThreeLines();

    const auto sets = Number(setsLine_, "vertex_sets", 2, problem);
    if (!sets) return problem;
    const ShapeIndex& index = input_.index;
    if (*sets != index.VertexSetCount)
      return Worded(Text::VertexSetCountChanged, {{"line", ShownLineText(setsLine_)}});
    long long next = 0;
    for (int set = 0; set < *sets; ++set) {
      const std::size_t line = setsLine_ + 1 + static_cast<std::size_t>(set);
      if (!LineHas(line, "vertex_set") || LineHas(line, "vertex_sets"))
        return Worded(Text::VertexSetMissing, {{"line", ShownLineText(line)},
                                               {"set", IntToStr(set)},
                                               {"count", IntToStr(*sets)},
                                               {"first", ShownLineText(setsLine_)}});
      const auto state = Number(line, "vertex_set", 2, problem);
      const auto first = state ? Number(line, "vertex_set", 3, problem) : std::nullopt;
      const auto count = first ? Number(line, "vertex_set", 4, problem) : std::nullopt;
      if (!count) return problem;
      const VertexSetEntry& known = index.VertexSets[static_cast<std::size_t>(set)];
      if (*state != known.vtxState || *first != known.firstVertex || *count != known.vertexCount)
        return Worded(Text::VertexSetChanged, {{"line", ShownLineText(line)}});
      if (*first != next || *count < 0)
        return Worded(Text::VertexSetsWithGap,
                      {{"first", ShownLineText(setsLine_)}, {"line", ShownLineText(line)}});
      next += *count;
    }
    if (next != *vertices)
      return Worded(Text::VertexSetsWrongSum, {{"line", ShownLineText(setsLine_)},
                                               {"sum", IntToStr(next)},
                                               {"count", IntToStr(*vertices)}});
    firstAfterSets_ = setsLine_ + 1 + static_cast<std::size_t>(*sets);
    return std::nullopt;
  }

  std::string IncompletePrimitive(std::size_t line) const {
    return Worded(Text::PrimitiveMisshaped, {{"line", ShownLineText(line)},
                                             {"trilist", "indexed_trilist"},
                                             {"vertexidxs", "vertex_idxs"},
                                             {"normalidxs", "normal_idxs"},
                                             {"flags", "flags"}});
  }

  // Walks the primitive list the way the writer does: per primitive one
  // "prim_state_idx", one triangle list with its vertex indices, normal
  // indices and flags in this order, and the list's closing line. Anything
  // else between the entries would be dropped or copied into the wrong place.
  Refusal CheckPrimitives() {
    const auto list = Find("primitives", firstAfterSets_, layout_.subobjectEndLine);
    if (!list) return Missing("primitives");
    Refusal problem;
    const auto count = Number(*list, "primitives", 2, problem);
    if (!count) return problem;

    const std::size_t end = layout_.subobjectEndLine - 1;  // the list's closing line
    const auto interrupts = [&](std::size_t line, std::initializer_list<std::string_view> words) {
      return std::any_of(words.begin(), words.end(),
                         [&](std::string_view word) { return LineHas(line, word); });
    };
    std::size_t i = *list + 1;
    while (i < end) {
      if (!LineHas(i, "prim_state_idx")) {
        if (LineHas(i, "indexed_trilist") && !primitives_.empty())
          return Worded(Text::TrilistWithoutState,
                        {{"line", ShownLineText(i)},
                         {"trilist", "indexed_trilist"},
                         {"state", "prim_state_idx"},
                         {"primitive", ShownLineText(primitives_.back().line)}});
        return Worded(Text::NoStateWherePrimitive,
                      {{"line", ShownLineText(i)}, {"state", "prim_state_idx"}});
      }
      Primitive primitive;
      primitive.line = i;
      const auto element = Number(i, "prim_state_idx", 2, problem);
      if (!element) return problem;
      primitive.element = *element;

      std::size_t k = i + 1;
      int trilists = 0;
      for (; k < end && !LineHas(k, "vertex_idxs"); ++k) {
        if (interrupts(k, {"prim_state_idx", "normal_idxs", "flags"}))
          return IncompletePrimitive(i);
        trilists += LineHas(k, "indexed_trilist");
      }
      // The writer rewrites this line from its first "(" on: the keyword
      // must lead it.
      if (k >= end || trilists != 1 || FirstToken(Line(k)) != "vertex_idxs" ||
          interrupts(k, {"normal_idxs", "flags", "prim_state_idx"}))
        return IncompletePrimitive(i);
      primitive.firstIndexLine = k;
      for (++k; k < end && !LineHas(k, "normal_idxs"); ++k)
        if (interrupts(k, {"prim_state_idx", "indexed_trilist", "flags"}))
          return IncompletePrimitive(i);
      if (k >= end || interrupts(k, {"flags", "prim_state_idx"})) return IncompletePrimitive(i);
      primitive.endIndexLine = k;
      for (++k; k < end && !LineHas(k, "flags"); ++k)
        if (interrupts(k, {"prim_state_idx", "indexed_trilist", "vertex_idxs"}))
          return IncompletePrimitive(i);
      if (k >= end) return IncompletePrimitive(i);
      while (!LineHas(k, ")")) {
        ++k;
        if (k >= end || interrupts(k, {"prim_state_idx", "indexed_trilist", "vertex_idxs"}))
          return IncompletePrimitive(i);
      }
      // k closes the flags; the next line closes the triangle list.
      if (k + 1 >= end || !IsClosingLine(Line(k + 1))) return IncompletePrimitive(i);
      primitives_.push_back(primitive);
      i = k + 2;
    }

    const auto entries = static_cast<long long>(primitives_.size());
    if (*count != 2 * entries)
      return Worded(Text::PrimitiveCountWrong, {{"line", ShownLineText(*list)},
                                                {"count", IntToStr(*count)},
                                                {"entries", IntToStr(entries)},
                                                {"expected", IntToStr(2 * entries)}});
    if (entries > input_.elementCount)
      return Worded(
          Text::MorePrimitivesThanElements,
          {{"primitives", IntToStr(entries)}, {"elements", IntToStr(input_.elementCount)}});
    primitiveOf_.assign(static_cast<std::size_t>(input_.elementCount) + 1, 0);
    for (const Primitive& primitive : primitives_) {
      if (primitive.element < 0 || primitive.element >= input_.elementCount)
        return Worded(Text::PrimitiveOfNoElement, {{"line", ShownLineText(primitive.line)},
                                                   {"element", IntToStr(primitive.element)}});
      std::size_t& known = primitiveOf_[static_cast<std::size_t>(primitive.element) + 1];
      if (known != 0)
        return Worded(Text::ElementInTwoPrimitives,
                      {{"name", ElementName(primitive.element + 1)},
                       {"first", ShownLineText(primitives_[known - 1].line)},
                       {"second", ShownLineText(primitive.line)}});
      known = static_cast<std::size_t>(&primitive - primitives_.data()) + 1;
    }
    return std::nullopt;
  }

  // The vertex indices of an element that will be written: a count that
  // matches the indices and the faces the headers will be given, and every
  // vertex within the element's own set, or the renumbering would point it at
  // another element's vertices.
  Refusal CheckVertexIndices(const Primitive& primitive, int row, const VertexSetEntry& range,
                             int set) const {
    const std::string primitiveLine = ShownLineText(primitive.line);
    long long indices = 0;
    bool closed = false;
    std::optional<int> count;
    for (std::size_t lineIndex = primitive.firstIndexLine; lineIndex < primitive.endIndexLine;
         ++lineIndex) {
      const std::string& line = source_[lineIndex];
      std::size_t start = 1, end = 1;
      if (lineIndex == primitive.firstIndexLine) {
        // Behind the keyword come "(" and the count; the indices follow them.
        start = line.find("vertex_idxs") + std::string_view("vertex_idxs").size() + 1;
        const std::string_view open = TokenAt(line, start, end);
        start = end;
        const std::string_view number = TokenAt(line, start, end);
        start = end;
        count = TryStrToInt(number);
        if (open != "(" || !count) return NotANumber(number, lineIndex);
      }
      for (;;) {
        const std::string_view token = TokenAt(line, start, end);
        if (token.empty()) break;
        start = end;
        if (closed)
          return Worded(Text::TextBehindIndices, {{"primitive", primitiveLine},
                                                  {"name", ElementName(row)},
                                                  {"line", ShownLineText(lineIndex)}});
        if (token == ")") {
          closed = true;
          continue;
        }
        const auto vertex = TryStrToInt(token);
        if (!vertex) return NotANumber(token, lineIndex);
        ++indices;
        if (*vertex < range.firstVertex || *vertex >= range.firstVertex + range.vertexCount)
          return Worded(Text::VertexOutsideSet, {{"primitive", primitiveLine},
                                                 {"name", ElementName(row)},
                                                 {"vertex", IntToStr(*vertex)},
                                                 {"set", IntToStr(set)},
                                                 {"line", ShownLineText(lineIndex)}});
      }
    }
    if (!closed || indices != *count || *count % 3 != 0)
      return Worded(Text::IndexCountWrong, {{"primitive", primitiveLine},
                                            {"name", ElementName(row)},
                                            {"indices", IntToStr(indices)},
                                            {"count", IntToStr(*count)},
                                            {"line", ShownLineText(primitive.firstIndexLine)}});
    const std::optional<int> faces = input_.tables.elements[row].faces;
    if (!faces || *faces != *count / 3)
      return Worded(Text::LayoutFaceCountChanged,
                    {{"name", ElementName(row)}, {"row", IntToStr(row)}});
    return std::nullopt;
  }

  // The elements that the plan puts into a sub-object that will be written.
  Refusal CheckPlannedElements() {
    const ShapeIndex& index = input_.index;
    std::vector<bool> checked(static_cast<std::size_t>(input_.elementCount) + 1, false);
    for (int lod = 1; lod <= input_.lodCount; ++lod) {
      const int written = plan_.lodSubobjectCount[static_cast<std::size_t>(lod)];
      for (int row = 1; row <= input_.elementCount; ++row) {
        const SubobjectChoice& choice = input_.plan.Choice(row, lod);
        const std::string& cell = choice.Text();
        int subobject = 0;
        if (choice.InEverySubobject()) {
          subobject = 1;
        } else if (const auto number = choice.Value(); number && *number >= 1 &&
                                                       *number <= written &&
                                                       input_.InSubobject(row, lod, *number)) {
          subobject = *number;
        }
        if (subobject == 0 || written == 0) continue;
        const std::size_t primitive = primitiveOf_[static_cast<std::size_t>(row)];
        if (primitive == 0 && cell == "0")
          return Worded(
              Text::PlannedInAllWithoutPrimitive,
              {{"name", ElementName(row)}, {"row", IntToStr(row)}, {"lod", IntToStr(lod)}});
        if (primitive == 0)
          return Worded(Text::PlannedWithoutPrimitive, {{"name", ElementName(row)},
                                                        {"row", IntToStr(row)},
                                                        {"lod", IntToStr(lod)},
                                                        {"subobject", cell}});
        const int set = index.ElementVtxStates[static_cast<std::size_t>(row - 1)];
        if (set < 0 || set >= index.VertexSetCount ||
            index.VertexSets[static_cast<std::size_t>(set)].vtxState != set)
          return Worded(
              Text::ElementWithoutVertexSet,
              {{"name", ElementName(row)}, {"row", IntToStr(row)}, {"state", IntToStr(set)}});
        const int matrix = index.VtxStateMatrices[static_cast<std::size_t>(set)];
        if (matrix < 0 || matrix >= nodeCount_)
          return Worded(Text::ElementOnNodelessMatrix,
                        {{"name", ElementName(row)}, {"matrix", IntToStr(matrix)}});
        if (!checked[static_cast<std::size_t>(row)]) {
          checked[static_cast<std::size_t>(row)] = true;
          const Refusal problem =
              CheckVertexIndices(primitives_[primitive - 1], row,
                                 index.VertexSets[static_cast<std::size_t>(set)], set);
          if (problem) return problem;
        }
      }
    }
    return std::nullopt;
  }

  const std::vector<std::string>& source_;
  const GenerationLayout& layout_;
  const GenerationInput& input_;
  const GenerationPlan& plan_;
  std::optional<std::size_t> levelsLine_;
  int nodeCount_ = 0;
  std::size_t setsLine_ = 0;
  std::size_t firstAfterSets_ = 0;
  std::vector<Primitive> primitives_;
  std::vector<std::size_t> primitiveOf_;  // per element row: its primitive's position + 1, or 0
};

}  // namespace

Refusal CheckSourceIntegrity(const std::vector<std::string>& source, const TextSource& texts) {
  const std::optional<ShapeProblem> damage = FirstShapeError(source, texts);
  if (!damage) return std::nullopt;
  return Worded(texts, Text::SourceDamaged,
                {{"line", ShownLineText(damage->line)}, {"message", damage->message}});
}

Refusal CheckSourceLayout(const std::vector<std::string>& source, const GenerationLayout& layout,
                          const GenerationInput& input, const GenerationPlan& plan) {
  return LayoutChecker(source, layout, input, plan).Run();
}

}  // namespace quarvel
