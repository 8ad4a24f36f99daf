#include "cleanup/MaterialCorrection.h"

#include <algorithm>
#include <string>
#include <vector>

#include "cleanup/ParenthesisTokens.h"
#include "common/Convert.h"
#include "common/Error.h"
#include "common/Text.h"
#include "shape/NextToken.h"

namespace quarvel {

namespace {

constexpr std::string_view kStatesKeyword = "vtx_states";
constexpr std::string_view kStateKeyword = "vtx_state";
constexpr std::string_view kHeaderKeyword = "sub_object_header";

struct ElementShine {
  int vtxState = 0;
  bool low = false;   // "loshine" in the name
  bool high = false;  // "hishine" in the name
};

std::vector<ElementShine> ShineOfElements(const ShapeTables& tables, int elementCount,
                                          const ShapeIndex& index) {
  std::vector<ElementShine> shine;
  const int count = std::clamp(elementCount, 0, kShapeIndexSize);
  for (int k = 0; k < count; ++k) {
    const std::string name = AnsiLowerLatin1(Utf8ToLatin1(tables.elements[k + 1].name));
    shine.push_back({index.ElementVtxStates[static_cast<std::size_t>(k)], Contains(name, "loshine"),
                     Contains(name, "hishine")});
  }
  return shine;
}

// Whether the first element drawn with `state` that calls for the swap
// exists: `low` asks for "loshine", otherwise "hishine".
bool SomeElementAsks(const std::vector<ElementShine>& shine, int state, bool low) {
  return std::any_of(shine.begin(), shine.end(), [&](const ElementShine& element) {
    return element.vtxState == state && (low ? element.low : element.high);
  });
}

void Replace(ShapeText& text, std::size_t index, const TokenPosition& token,
             std::string_view replacement) {
  std::string line = text[index];
  ReplaceToken(line, token, replacement);
  text.Replace(index, std::move(line));
}

// Swaps the states' light materials; returns the line where the states end
// and whether any state has a light material other than "-5".
std::pair<std::size_t, bool> CorrectStates(ShapeText& text,
                                           const std::vector<ElementShine>& shine) {
  const std::size_t count = text.Count();
  std::size_t line = 1;
  while (line < count && !Contains(text[line], kStatesKeyword)) ++line;
  ++line;  // after the header, or after the last line when there is none

  bool otherMaterialSeen = false;
  int state = 0;
  do {
    if (Contains(text[line], kStateKeyword)) {
      const TokenPosition material = TokenAfterParenthesis(text[line], 3);
      if (material.text != "-5") otherMaterialSeen = true;
      // Decided by the value the line held before, so a line changes once.
      if (material.text == "-6" && SomeElementAsks(shine, state, true)) {
        Replace(text, line, material, "-7");
      } else if (material.text == "-7" && SomeElementAsks(shine, state, false)) {
        Replace(text, line, material, "-6");
      }
    }
    ++line;
    ++state;
  } while (line + 1 < count && Contains(text[line], kStateKeyword));
  return {line, otherMaterialSeen};
}

}  // namespace

void CorrectMaterials(ShapeText& text, const ShapeTables& tables, int elementCount,
                      const ShapeIndex& index) {
  const auto [statesEnd, otherMaterialSeen] =
      CorrectStates(text, ShineOfElements(tables, elementCount, index));
  if (!otherMaterialSeen) return;
  for (std::size_t line = statesEnd; line + 1 < text.Count(); ++line) {
    if (!Contains(text[line], kHeaderKeyword)) continue;
    const TokenPosition flags = TokenAfter(text[line], kHeaderKeyword, 2);
    const auto value = TryStrToInt(flags.text);
    if (!value) throw ConvertError(Text::NotAnInteger, {{"text", Latin1ToUtf8(flags.text)}});
    if (*value < 400) continue;
    std::string lowered(flags.text);
    char& hundreds = lowered[lowered.size() - 3];
    // Below 4 the digit has nothing to give (00001000): lowering it would
    // write a character that is no digit, so such flags stay as they are.
    if (hundreds < '4') continue;
    hundreds = static_cast<char>(hundreds - 4);
    Replace(text, line, flags, lowered);
  }
}

}  // namespace quarvel
