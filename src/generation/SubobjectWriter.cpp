#include "generation/SubobjectWriter.h"

#include <algorithm>
#include <charconv>

#include "generation/RewriteText.h"
#include "shape/LineNumbers.h"

namespace quarvel {

using rewrite::IntTokenAfter;
using rewrite::LineAt;
using rewrite::ReplaceAfter;

namespace {

bool InIndexRange(int value) {
  return value >= 0 && value < kShapeIndexSize;
}

}  // namespace

SubobjectWriter::SubobjectWriter(const std::vector<std::string>& source,
                                 const GenerationLayout& layout, const GenerationInput& input,
                                 std::vector<std::string>& out, const GenerationProgress& progress)
    : source_(source),
      layout_(layout),
      input_(input),
      out_(out),
      progress_(progress),
      last_(source.empty() ? 0 : source.size() - 1),
      verticesCaption_(TextFrom(input.text, Text::WritingVertices)),
      facesCaption_(TextFrom(input.text, Text::WritingFaces)) {}

const std::string& SubobjectWriter::Current() const {
  return LineAt(source_, SourceIndex);
}

void SubobjectWriter::SeekWithin(std::string_view keyword) {
  while (!Contains(Current(), keyword)) {
    if (SourceIndex >= layout_.subobjectEndLine || SourceIndex >= last_)
      throw RewriteError(
          Text::RewriteLacksKeyword,
          {{"keyword", std::string(keyword)}, {"line", ShownLineText(layout_.firstSubobjectLine)}});
    ++SourceIndex;
  }
}

void SubobjectWriter::ProcessMessages(int times) {
  if (!progress_.processMessages) return;
  for (int i = 0; i < times; ++i) progress_.processMessages();
}

int SubobjectWriter::ElementNode(int row) const {
  const int vtxState = input_.index.ElementVtxStates[static_cast<std::size_t>(row - 1)];
  const int matrix = InIndexRange(vtxState)
                         ? input_.index.VtxStateMatrices[static_cast<std::size_t>(vtxState)]
                         : -1;
  if (!InIndexRange(matrix))
    throw RewriteError(Text::ElementWithoutMatrix, {{"row", IntToStr(row)}});
  return matrix;
}

void SubobjectWriter::WriteSubobject(int lod, int subobject) {
  CurrentLod = lod;
  CurrentSubobject = subobject;
  CountSubobjectContents();
  WriteSubobjectHeader();
  WriteVertexLists();
  for (int row = 1; row <= input_.elementCount; ++row) WritePrimitive();
  CloseSubobject();
}

void SubobjectWriter::CountSubobjectContents() {
  NodeCounts.fill(NodeCount{});
  SubobjectPrimCount = 0;
  SubobjectFaceCount = 0;
  for (int row = 1; row <= input_.elementCount; ++row) {
    if (!input_.InSubobject(row, CurrentLod, CurrentSubobject)) continue;
    const std::optional<int> faces = input_.tables.elements[row].faces;
    if (!faces) throw RewriteError(Text::ElementWithoutFaces, {{"row", IntToStr(row)}});
    NodeCount& node = NodeCounts[static_cast<std::size_t>(ElementNode(row))];
    ++SubobjectPrimCount;
    ++node.primitives;
    SubobjectFaceCount += *faces;
    node.faces += *faces;
  }
}

void SubobjectWriter::WriteSubobjectHeader() {
  if (progress_.lodCaption)
    progress_.lodCaption(
        Worded(input_.text, Text::WritingSubobject,
               {{"lod", IntToStr(CurrentLod)}, {"subobject", IntToStr(CurrentSubobject)}}));
  ProcessMessages(9);

  const bool sorted = input_.plan.SortMarked(CurrentLod, CurrentSubobject);
  int nodeCount = -1;
  SourceIndex = layout_.firstSubobjectLine;
  while (SourceIndex < layout_.verticesLine) {
    std::string line = Current();
    if (sorted && Contains(line, "sub_object_header")) {
      const TokenPosition flags = TokenAfter(line, "sub_object_header", 2);
      const int value = IntTokenAfter(line, "sub_object_header", 2, SourceIndex);
      if (value % 2 == 0) {
        // An even flags value gains the sorting bit in its third digit from the end.
        std::string text(flags.text);
        if (text.size() < 3 || text[text.size() - 3] < '0' || text[text.size() - 3] > '8')
          throw RewriteError(Text::FlagsCannotBeSorted,
                             {{"flags", Latin1ToUtf8(text)}, {"line", ShownLineText(SourceIndex)}});
        ++text[text.size() - 3];
        ReplaceToken(line, flags, text);
      }
      ReplaceAfter(line, "sub_object_header", 3, SortIndex);
      ++SortIndex;
      ReplaceAfter(line, "sub_object_header", 4, SortIndex);
    }
    if (Contains(line, "geometry_info")) {
      ReplaceAfter(line, "geometry_info", 2, SubobjectFaceCount);
      ReplaceAfter(line, "geometry_info", 3, SubobjectPrimCount);
      ReplaceAfter(line, "geometry_info", 5, 3LL * SubobjectFaceCount);
      ReplaceAfter(line, "geometry_info", 8, SubobjectPrimCount);
    }
    if (Contains(line, "geometry_nodes")) {
      nodeCount = IntTokenAfter(line, "geometry_nodes", 2, SourceIndex);
      if (nodeCount < 0 || nodeCount > kShapeIndexSize)
        throw RewriteError(Text::RewriteBadNodeCount, {{"line", ShownLineText(SourceIndex)}});
      int used = 0;
      for (int m = 0; m < nodeCount; ++m)
        used += NodeCounts[static_cast<std::size_t>(m)].primitives > 0;
      ReplaceAfter(line, "geometry_nodes", 2, used);
      Append(std::move(line));
      ++SourceIndex;
      // Every node written takes its three lines from the first source block.
      for (int m = 0; m < nodeCount; ++m) {
        const NodeCount& node = NodeCounts[static_cast<std::size_t>(m)];
        if (node.primitives == 0) continue;
        std::string first = LineAt(source_, SourceIndex);
        if (Contains(first, "geometry_node"))
          ReplaceAfter(first, "geometry_node", 2, node.primitives);
        Append(std::move(first));
        std::string second = LineAt(source_, SourceIndex + 1);
        if (const auto at = second.find("cullable_prims"); at != std::string::npos) {
          second.erase(at + std::string_view("cullable_prims").size());
          second += " ( " + IntToStr(node.primitives) + " " + IntToStr(node.faces) + " " +
                    IntToStr(3LL * node.faces) + " )";
        }
        Append(std::move(second));
        Append(LineAt(source_, SourceIndex + 2));
      }
      SourceIndex += 3 * static_cast<std::size_t>(nodeCount);
      line = Current();
    }
    if (Contains(line, "geometry_node_map")) {
      while (!Contains(line, ")")) {
        if (SourceIndex >= layout_.verticesLine)
          throw RewriteError(Text::RewriteNodeMapOpen,
                             {{"map", "geometry_node_map"}, {"line", ShownLineText(SourceIndex)}});
        ++SourceIndex;
        line += Current();
      }
      if (nodeCount < 0)
        throw RewriteError(Text::RewriteNodeMapBeforeNodes, {{"map", "geometry_node_map"},
                                                             {"line", ShownLineText(SourceIndex)},
                                                             {"nodes", "geometry_nodes"}});
      line.erase(line.find("geometry_node_map") + std::string_view("geometry_node_map").size());
      line += " ( " + IntToStr(nodeCount);
      int used = 0;
      for (int m = 0; m < nodeCount; ++m)
        line +=
            NodeCounts[static_cast<std::size_t>(m)].primitives > 0 ? " " + IntToStr(used++) : " -1";
      line += " )";
    }
    Append(std::move(line));
    ++SourceIndex;
  }
}

void SubobjectWriter::WriteVertexLists() {
  if (progress_.contentCaption) progress_.contentCaption(verticesCaption_);
  ProcessMessages(9);
  ShapeIndex& index = input_.index;
  const int vertices = input_.VertexCount(CurrentLod, CurrentSubobject);

  SeekWithin("vertices");
  std::string line = Current();
  ReplaceAfter(line, "vertices", 2, vertices);
  Append(std::move(line));
  ++SourceIndex;
  for (int set = 0; set < index.VertexSetCount; ++set) {
    const auto lines =
        3 * static_cast<std::size_t>(index.VertexSets[static_cast<std::size_t>(set)].vertexCount);
    if (index.VertexShift[static_cast<std::size_t>(set)] >= 0)
      for (std::size_t k = 0; k < lines; ++k) AppendCurrent(), ++SourceIndex;
    else
      SourceIndex += lines;
  }
  do {
    AppendCurrent();
    ++SourceIndex;
  } while (!Contains(Current(), "vertex_sets") && SourceIndex < layout_.subobjectEndLine);
  SeekWithin("vertex_sets");

  line = Current();
  int keptSets = 0;
  for (int set = 0; set < index.VertexSetCount; ++set)
    keptSets += index.VertexShift[static_cast<std::size_t>(set)] >= 0;
  ReplaceAfter(line, "vertex_sets", 2, keptSets);
  Append(std::move(line));
  ++SourceIndex;
  for (int set = 0; set < index.VertexSetCount; ++set, ++SourceIndex) {
    const int shift = index.VertexShift[static_cast<std::size_t>(set)];
    if (shift < 0) continue;
    line = Current();
    ReplaceAfter(line, "vertex_set", 3, IntTokenAfter(line, "vertex_set", 3, SourceIndex) - shift);
    Append(std::move(line));
  }
  while (!Contains(Current(), "primitives")) {
    if (SourceIndex >= layout_.subobjectEndLine)
      throw RewriteError(
          Text::RewriteLacksKeyword,
          {{"keyword", "primitives"}, {"line", ShownLineText(layout_.firstSubobjectLine)}});
    AppendCurrent();
    ++SourceIndex;
  }
  line = Current();
  ReplaceAfter(line, "primitives", 2, 2LL * SubobjectPrimCount);
  Append(std::move(line));
  ++SourceIndex;
  FindPrimitiveStarts();
}

void SubobjectWriter::FindPrimitiveStarts() {
  // The template is the same for every sub-object, so the list starts on the
  // same line each time and its entries are found once.
  if (primitiveListStart_ == SourceIndex && !primitiveStarts_.empty()) return;
  primitiveListStart_ = SourceIndex;
  primitiveStarts_.clear();
  const std::size_t listEnd = layout_.subobjectEndLine - 1;
  for (std::size_t line = SourceIndex; line <= listEnd; ++line)
    if (Contains(LineAt(source_, line), "prim_state_idx")) primitiveStarts_.push_back(line);
}

std::size_t SubobjectWriter::NextPrimitiveStart(std::size_t from) const {
  // The first "prim_state_idx" line at or behind `from`, or the list's
  // closing line: the same line a scan from `from` would stop on, since the
  // layout check allows none behind the list.
  const auto next = std::lower_bound(primitiveStarts_.begin(), primitiveStarts_.end(), from);
  return next != primitiveStarts_.end() ? *next : std::max(from, layout_.subobjectEndLine - 1);
}

void SubobjectWriter::WritePrimitive() {
  if (progress_.contentCaption) progress_.contentCaption(facesCaption_);
  ProcessMessages(9);

  // The primitives lie between here and the sub-object's end; beyond the last
  // one nothing is left to write for the remaining element rows.
  const std::size_t listEnd = layout_.subobjectEndLine - 1;
  SourceIndex = NextPrimitiveStart(SourceIndex);
  if (!Contains(Current(), "prim_state_idx")) return;
  const int row = IntTokenAfter(Current(), "prim_state_idx", 2, SourceIndex) + 1;

  if (!input_.InSubobject(row, CurrentLod, CurrentSubobject)) {
    SourceIndex = NextPrimitiveStart(SourceIndex + 1);
    return;
  }
  const int vtxState = input_.index.ElementVtxStates[static_cast<std::size_t>(row - 1)];
  const int shift = input_.index.VertexShift[static_cast<std::size_t>(vtxState)];

  while (!Contains(Current(), "vertex_idxs")) {
    if (SourceIndex >= listEnd)
      throw RewriteError(Text::PrimitiveLacksKeyword,
                         {{"keyword", "vertex_idxs"}, {"line", ShownLineText(SourceIndex)}});
    AppendCurrent();
    ++SourceIndex;
  }
  // Vertex indices fall by the vertices of the sets left out before the
  // element's own set; the count stays, since the primitive keeps them all.
  bool first = true;
  while (!Contains(Current(), "normal_idxs")) {
    if (SourceIndex >= listEnd)
      throw RewriteError(Text::PrimitiveLacksKeyword,
                         {{"keyword", "normal_idxs"}, {"line", ShownLineText(SourceIndex)}});
    Append(RenumberedIndexLine(Current(), first, shift));
    first = false;
    ++SourceIndex;
  }
  while (!Contains(Current(), "flags")) {
    if (SourceIndex >= listEnd)
      throw RewriteError(Text::PrimitiveLacksKeyword,
                         {{"keyword", "flags"}, {"line", ShownLineText(SourceIndex)}});
    AppendCurrent();
    ++SourceIndex;
  }
  AppendCurrent();
  while (!Contains(Current(), ")") && SourceIndex < last_) {
    ++SourceIndex;
    AppendCurrent();
  }
  ++SourceIndex;
  AppendCurrent();
  ++SourceIndex;
}

std::string SubobjectWriter::RenumberedIndexLine(const std::string& source, bool first,
                                                 int shift) const {
  // The head of the first line up to the blank behind the count stays; then
  // " " and each index, " )" where the list ends, and a blank at the end.
  std::string line;
  line.reserve(source.size() + 8);
  std::size_t from = 0;  // 0-based: where the tokens to rewrite begin
  if (const auto paren = source.find('('); first && paren != std::string::npos) {
    std::size_t start = paren + 2, end = 1;
    NextToken(source, start, end);
    line.assign(source, 0, std::min(end, source.size()));
    from = end;
  }
  const char* at = source.data() + std::min(from, source.size());
  const char* const stop = source.data() + source.size();
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  for (;;) {
    while (at < stop && blank(*at)) ++at;
    if (at == stop) break;
    const char* tokenEnd = at;
    while (tokenEnd < stop && !blank(*tokenEnd)) ++tokenEnd;
    const std::string_view token(at, static_cast<std::size_t>(tokenEnd - at));
    at = tokenEnd;
    if (token == ")") {
      line += " )";
      continue;
    }
    // Plain digits are by far the most common index; anything else goes
    // through the general conversion, which also refuses what is no number.
    long long value = 0;
    bool plain = token.size() <= 9;
    for (std::size_t i = 0; plain && i < token.size(); ++i) {
      plain = token[i] >= '0' && token[i] <= '9';
      value = value * 10 + (token[i] - '0');
    }
    if (!plain) {
      const auto number = TryStrToInt(token);
      if (!number)
        throw RewriteError(Text::RewriteIndexNoInteger,
                           {{"token", Latin1ToUtf8(token)}, {"line", ShownLineText(SourceIndex)}});
      value = *number;
    }
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, value - shift);
    line += ' ';
    line.append(digits, written.ptr);
  }
  line += ' ';
  return line;
}

void SubobjectWriter::CloseSubobject() {
  SourceIndex = layout_.subobjectEndLine - 1;
  AppendCurrent();
  ++SourceIndex;
  AppendCurrent();
  ++SourceIndex;
}

}  // namespace quarvel
