#include "shape/AnalyseShape.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

#include "common/Convert.h"
#include "common/Error.h"
#include "common/Text.h"
#include "shape/LineNumbers.h"
#include "shape/NextToken.h"

namespace quarvel {

namespace {

bool IsNumberChar(char c) {
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e';
}

// A run of number characters in a line, 0-based and half open.
struct NumberRun {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// The run that starts at the first number character at or after `from`; an
// empty run at the end of the line when there is none.
NumberRun NextNumberRun(std::string_view line, std::size_t from) {
  while (from < line.size() && !IsNumberChar(line[from])) ++from;
  std::size_t end = from;
  while (end < line.size() && IsNumberChar(line[end])) ++end;
  return {from, end};
}

// The word behind a keyword: from one character behind the keyword's start
// to the next space, over the spaces, then up to the next space or the end
// of the line. Only the space separates here, not the tab, as in the files
// the exporter writes.
std::string_view WordAfter(std::string_view line, std::string_view keyword) {
  const std::size_t at = line.find(keyword);
  if (at == std::string_view::npos) return {};
  std::size_t start = line.find(' ', at + 1);
  if (start == std::string_view::npos) return {};
  while (start < line.size() && line[start] == ' ') ++start;
  const std::size_t end = std::min(line.find(' ', start), line.size());
  return line.substr(start, end - start);
}

// Walks the text with one line cursor, the way the analysis reads a shape:
// keyword tests are case-sensitive substring tests, and lines beyond the end
// read as empty.
class Analysis {
 public:
  Analysis(const ShapeText& text, ShapeIndex& index, ShapeTables& tables,
           const AnalysisWarning& warn)
      : text_(text),
        index_(index),
        elements_(tables.elements),
        matrices_(tables.matrices),
        warn_(warn),
        last_(text.Count() - 1) {}

  void Run() {
    ReadMatrices();
    ReadImages();
    ReadTextures();
    ReadVertexStates();
    ReadElements();
    CheckDistanceLevels();
    CheckSubobjects();
    ReadVertexSets();
    ReadPrimitives();
  }

 private:
  void Warn(AnalysisWarningKind kind, const std::string& count) const {
    if (warn_) warn_(kind, count);
  }

  const std::string& Line() const { return text_.Get(i_); }
  bool LineHas(std::string_view keyword) const { return Contains(Line(), keyword); }

  // Moves to the next line that holds `keyword`, or to the last line. The
  // line the cursor stands on is never tested.
  void ScanFor(std::string_view keyword) {
    ++i_;
    while (!LineHas(keyword) && i_ < last_) ++i_;
  }

  // The run of consecutive lines holding `keyword` that starts on the next
  // line (or on the one after it, when the next line lacks the keyword).
  template <typename Action>
  void Block(std::string_view keyword, Action action) {
    ++i_;
    for (;;) {
      if (LineHas(keyword)) action();
      ++i_;
      if (!(LineHas(keyword) && i_ < last_)) break;
    }
  }

  // The first (nth = 1) or second (nth = 2) number behind the first `mark`
  // of the current line, as written. A line without the mark, or without a
  // number behind it, gives the empty text, which no conversion accepts.
  std::string_view NumberAfter(char mark, int nth) const {
    const std::string_view line = Line();
    const std::size_t at = line.find(mark);
    if (at == std::string_view::npos) return {};
    NumberRun run = NextNumberRun(line, at + 1);
    if (nth == 2) run = NextNumberRun(line, run.end);
    return line.substr(run.begin, run.end - run.begin);
  }

  int ToInt(std::string_view number) const {
    if (const auto value = TryStrToInt(number)) return *value;
    throw ConvertError(Text::NotAnIntegerInLine,
                       {{"text", Latin1ToUtf8(number)}, {"line", ShownLineText(i_)}});
  }

  int IntAfter(char mark, int nth) const { return ToInt(NumberAfter(mark, nth)); }

  // Every index the shape gives must lie within the tables of the index.
  int CheckedIndex(int value, Text what) const {
    if (value < 0 || value >= kShapeIndexSize)
      throw Error(Message{Text::IndexOutOfRange,
                          {{"value", IntToStr(value)}, {"line", ShownLineText(i_)}},
                          {{"what", what}}});
    return value;
  }

  [[noreturn]] void TooMany(Text what) const {
    throw Error(Message{Text::MoreThan801, {{"line", ShownLineText(i_)}}, {{"what", what}}});
  }

  // Refuses an entry that would not fit, before anything is written.
  void CheckRoom(int filled, Text what) const {
    if (filled >= kShapeIndexSize) TooMany(what);
  }

  void ReadMatrices() {
    i_ = 0;
    ScanFor("matrices");
    Block("matrix", [this] {
      CheckRoom(index_.MatrixCount, Text::MatricesWord);
      index_.MatrixNames[static_cast<std::size_t>(index_.MatrixCount++)] =
          std::string(WordAfter(Line(), "matrix"));
    });
    const int count = index_.MatrixCount;
    matrices_.SetCount(count);
    for (int r = 1; r <= count; ++r) {
      MatrixRow& matrix = matrices_.At(r);
      matrix.name = Latin1ToUtf8(index_.MatrixNames[static_cast<std::size_t>(r - 1)]);
      matrix.faces = 0;
    }
    matrixFaces_.assign(static_cast<std::size_t>(count), 0);
  }

  void ReadImages() {
    ScanFor("images");
    Block("image", [this] {
      CheckRoom(index_.ImageCount, Text::ImagesWord);
      const std::string_view line = Line();
      std::string_view name;
      const std::size_t open = line.find('(');
      if (open != std::string_view::npos) {
        const std::size_t close = line.find(')', open + 1);
        name = line.substr(
            open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
      }
      while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
      while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
      index_.ImageNames[static_cast<std::size_t>(index_.ImageCount++)] = AnsiLowerLatin1(name);
    });
  }

  void ReadTextures() {
    ScanFor("textures");
    Block("texture", [this] {
      CheckRoom(index_.TextureCount, Text::TexturesWord);
      const int image = CheckedIndex(IntAfter('(', 1), Text::ImageIndexWord);
      index_.TextureImages[static_cast<std::size_t>(index_.TextureCount++)] = image;
    });
  }

  void ReadVertexStates() {
    ScanFor("vtx_states");
    Block("vtx_state", [this] {
      CheckRoom(index_.VtxStateCount, Text::VtxStatesWord);
      const int matrix = CheckedIndex(IntAfter('(', 2), Text::MatrixIndexWord);
      index_.VtxStateMatrices[static_cast<std::size_t>(index_.VtxStateCount++)] = matrix;
    });
  }

  void ReadElements() {
    ScanFor("prim_states");
    ++i_;
    elements_.SetCount(0);
    int k = 0;
    for (;;) {
      if (LineHas("prim_state")) {
        CheckRoom(k, Text::ElementsWord);
        const int row = k + 1;
        elements_.SetCount(row);
        ElementRow& element = elements_.At(row);
        element.name = Latin1ToUtf8(WordAfter(Line(), "prim_state"));
        // A row may hold the face count of an earlier shape; an element that
        // no primitive draws has none.
        element.faces = 0;
        ++i_;
        const int texture = CheckedIndex(IntAfter('(', 2), Text::TextureIndexWord);
        const int image = index_.TextureImages[static_cast<std::size_t>(texture)];
        elements_.At(row).image = Latin1ToUtf8(index_.ImageNames[static_cast<std::size_t>(image)]);
        index_.ElementVtxStates[static_cast<std::size_t>(k)] =
            CheckedIndex(IntAfter(')', 2), Text::VtxStateIndexWord);
        index_.ElementCount = ++k;
      }
      ++i_;
      if (LineHas("lod_controls") || i_ >= last_) break;
    }
    if (k == 0) throw Error(Text::NoElements, {});
  }

  void CheckDistanceLevels() {
    ScanFor("distance_levels ");
    if (!LineHas("distance_levels ")) return;
    const std::string_view written = NumberAfter('(', 1);
    if (ToInt(written) > 1) Warn(AnalysisWarningKind::DistanceLevels, Latin1ToUtf8(written));
  }

  void CheckSubobjects() {
    ScanFor("sub_objects");
    if (!LineHas("sub_objects")) return;
    const std::string_view written = NumberAfter('(', 1);
    if (ToInt(written) > 1) Warn(AnalysisWarningKind::Subobjects, Latin1ToUtf8(written));
  }

  void ReadVertexSets() {
    ScanFor("vertex_sets");
    if (!LineHas("vertex_sets")) return;
    const std::string_view line = Line();
    std::size_t start = line.find("vertex_sets") + std::string_view("vertex_sets").size() + 1;
    std::size_t end = start;
    TokenAt(line, start, end);  // "("
    start = end;
    const int count = ToInt(TokenAt(line, start, end));
    if (count > kShapeIndexSize) TooMany(Text::VertexSetsWord);
    index_.VertexSetCount = count;
    for (int v = 0; v < count; ++v) {
      ++i_;
      const std::string_view setLine = Line();
      VertexSetEntry& set = index_.VertexSets[static_cast<std::size_t>(v)];
      const std::size_t open = setLine.find('(');
      // Without "(" the tokens are missing, and so is the number.
      start = open == std::string_view::npos ? setLine.size() + 1 : open + 2;
      end = start;
      int* fields[] = {&set.vtxState, &set.firstVertex, &set.vertexCount};
      for (int* field : fields) {
        start = end;
        *field = ToInt(TokenAt(setLine, start, end));
      }
    }
  }

  void ReadPrimitives() {
    ScanFor("primitives");
    int primitives = 0;
    if (LineHas("primitives")) primitives = IntAfter('(', 1) / 2;
    for (int p = 0; p < primitives; ++p) {
      ScanFor("prim_state_idx");
      if (i_ >= last_) return;
      const int element = CheckedIndex(IntAfter('(', 1), Text::PrimStateIndexWord);
      const int row = element + 1;
      i_ += 2;
      if (LineHas("vertex_idxs")) {
        const int faces = IntAfter('(', 1) / 3;
        elements_.At(row).faces = faces;
        const int vtxState = index_.ElementVtxStates[static_cast<std::size_t>(element)];
        const int matrix = index_.VtxStateMatrices[static_cast<std::size_t>(vtxState)];
        if (matrix >= index_.MatrixCount)
          throw Error(Text::MatrixBeyondTable, {{"matrix", IntToStr(matrix)},
                                                {"count", IntToStr(index_.MatrixCount)},
                                                {"line", ShownLineText(i_)}});
        long long& sum = matrixFaces_[static_cast<std::size_t>(matrix)];
        sum += faces;
        matrices_.At(matrix + 1).faces = sum;
      }
      ScanFor("flags");
      while (!LineHas(")") && i_ < last_) ++i_;
    }
  }

  const ShapeText& text_;
  ShapeIndex& index_;
  Rows<ElementRow>& elements_;
  Rows<MatrixRow>& matrices_;
  const AnalysisWarning& warn_;
  std::size_t i_ = 0;
  std::size_t last_;
  // The face sums of the matrix table's rows, kept wide so that no shape can
  // make them overflow.
  std::vector<long long> matrixFaces_;
};

}  // namespace

void AnalyseShape(const ShapeText& text, ShapeIndex& index, ShapeTables& tables,
                  const AnalysisWarning& warn) {
  if (text.Empty()) return;
  index.Clear();
  Analysis(text, index, tables, warn).Run();
}

}  // namespace quarvel
