#include "generation/AnimationCleanup.h"

#include <unordered_map>
#include <vector>

#include "common/Convert.h"
#include "common/Text.h"
#include "shape/LineNumbers.h"
#include "shape/NextToken.h"

namespace quarvel {

namespace {

constexpr std::string_view kAnimNode = "anim_node ";
constexpr std::string_view kControllers = "controllers";

// Matrix rows by their case-folded name; a node can match several rows.
using RowsByName = std::unordered_map<std::string, std::vector<int>>;

RowsByName IndexMatrixRows(const ShapeTables& tables) {
  RowsByName rows;
  for (int row = 1; row <= tables.matrices.Count(); ++row)
    rows[CaseFoldUtf8(tables.matrices[row].name)].push_back(row);
  return rows;
}

const std::vector<int>& RowsNamed(const RowsByName& rows, std::string_view latin1Name) {
  static const std::vector<int> none;
  const auto found = rows.find(CaseFoldUtf8(Latin1ToUtf8(latin1Name)));
  return found == rows.end() ? none : found->second;
}

std::string_view NodeName(std::string_view line) {
  return TokenAfter(line, "anim_node", 1).text;
}

// A controller's header reads "keyword ( keys": the third token of the line.
std::string_view KeyCountToken(std::string_view line) {
  std::size_t start = 1, end = 1;
  std::string_view token;
  for (int k = 0; k < 3; ++k) {
    start = end;
    token = TokenAt(line, start, end);
  }
  return token;
}

std::optional<int> ReadCount(std::string_view token) {
  const std::optional<int> count = TryStrToInt(token);
  if (!count || *count < 0) return std::nullopt;
  return count;
}

std::string DuplicateNameMessage(const TextSource& texts, std::string_view name) {
  return WithValue(TextFrom(texts, Text::AnimationNameTwice), "name", Latin1ToUtf8(name));
}

std::string BadCountMessage(const TextSource& texts, std::string_view name, std::size_t line,
                            std::string_view token) {
  return WithValues(TextFrom(texts, Text::AnimationBadCount), {{"name", Latin1ToUtf8(name)},
                                                               {"line", ShownLineText(line)},
                                                               {"token", Latin1ToUtf8(token)}});
}

std::string PastEndMessage(const TextSource& texts, std::string_view name, std::size_t line) {
  return WithValues(TextFrom(texts, Text::AnimationPastEnd),
                    {{"name", Latin1ToUtf8(name)}, {"line", ShownLineText(line)}});
}

// One node to clean: its "controllers" line gets the count 0 and the lines
// [firstBlock, endBlock) go.
struct NodeCleanup {
  std::size_t controllersLine;
  TokenPosition count;
  std::size_t firstBlock;
  std::size_t endBlock;
};

constexpr std::size_t kStopWalk = std::string::npos;

// Walks the nodes behind the "animations" line whose next line holds a
// controller count other than "0": `visit(name, controllersLine, count)`
// returns the line the walk goes on behind, or kStopWalk.
template <typename Visit>
void ForEachAnimatedNode(const ShapeText& text, std::size_t section, Visit visit) {
  const std::size_t last = text.Count() - 1;
  for (std::size_t i = section; i < last;) {
    ++i;
    if (!Contains(text[i], kAnimNode)) continue;
    const std::string_view name = NodeName(text[i]);
    ++i;
    const std::string& controllers = text[i];
    if (!Contains(controllers, kControllers)) continue;
    const TokenPosition count = TokenAfter(controllers, kControllers, 2);
    if (count.text == "0") continue;
    i = visit(name, i, count);
    if (i == kStopWalk) return;
  }
}

}  // namespace

std::optional<std::size_t> FindAnimationsLine(const ShapeText& text) {
  if (text.Count() < 2) return std::nullopt;
  const std::size_t last = text.Count() - 1;
  for (std::size_t i = 1; i < last; ++i)
    if (Contains(text[i], "animations")) return i;
  return std::nullopt;
}

bool ReadAnimationMarks(const ShapeText& text, const ShapeTables& tables, Plan& plan) {
  const std::optional<std::size_t> section = FindAnimationsLine(text);
  if (!section) return false;
  for (int row = 1; row <= tables.matrices.Count(); ++row) plan.animationMarks.Set(row, {});
  const RowsByName rows = IndexMatrixRows(tables);
  ForEachAnimatedNode(text, *section,
                      [&](std::string_view name, std::size_t line, const TokenPosition&) {
                        for (int row : RowsNamed(rows, name))
                          plan.animationMarks.Set(row, Mark::Set());
                        return line;
                      });
  return true;
}

Checked<AnimationCleanup> DeleteUnmarkedAnimations(ShapeText& text, const ShapeTables& tables,
                                                   const Plan& plan, const TextSource& texts) {
  AnimationCleanup result;
  Refusal refusal;
  const std::optional<std::size_t> section = FindAnimationsLine(text);
  if (!section) return result;
  result.sectionFound = true;

  // First find every node to clean and check it completely; the text is
  // touched only when all of them can be cleaned.
  const RowsByName rows = IndexMatrixRows(tables);
  const std::size_t last = text.Count() - 1;
  std::vector<NodeCleanup> cleanups;
  ForEachAnimatedNode(text, *section,
                      [&](std::string_view name, std::size_t i, const TokenPosition& countToken) {
                        int acting = 0;
                        for (int row : RowsNamed(rows, name))
                          if (!plan.animationMarks[row].IsSet()) ++acting;
                        if (acting == 0) return i;
                        // Cleaning one node twice would take the second time's "controllers"
                        // line from whatever follows the deleted controllers.
                        if (acting > 1) {
                          refusal = DuplicateNameMessage(texts, name);
                          return kStopWalk;
                        }
                        const std::optional<int> controllerCount = ReadCount(countToken.text);
                        if (!controllerCount) {
                          refusal = BadCountMessage(texts, name, i, countToken.text);
                          return kStopWalk;
                        }

                        std::size_t block = i + 1;
                        for (int c = 0; c < *controllerCount; ++c) {
                          if (block > last) {
                            refusal = PastEndMessage(texts, name, i + 1);
                            return kStopWalk;
                          }
                          const std::string_view keyToken = KeyCountToken(text[block]);
                          const std::optional<int> keys = ReadCount(keyToken);
                          if (!keys) {
                            refusal = BadCountMessage(texts, name, block, keyToken);
                            return kStopWalk;
                          }
                          // Header, keys and closing line.
                          const std::size_t blockEnd = block + static_cast<std::size_t>(*keys) + 2;
                          if (blockEnd - 1 > last) {
                            refusal = PastEndMessage(texts, name, i + 1);
                            return kStopWalk;
                          }
                          block = blockEnd;
                        }
                        cleanups.push_back({i, countToken, i + 1, block});
                        // The walk resumes behind the deleted lines; the closing line of the
                        // controller list is passed over as well.
                        return block;
                      });
  if (refusal) return Checked<AnimationCleanup>::Refused(*refusal);
  if (cleanups.empty()) return result;

  // Rebuild only the stretch from the first to the last cleaned node, in one
  // pass: shapes with thousands of animated nodes would otherwise shift the
  // rest of the text once per deleted controller.
  const std::size_t from = cleanups.front().controllersLine;
  const std::size_t to = cleanups.back().endBlock;
  ShapeText::Lines rebuilt;
  std::size_t deleted = 0;
  for (const NodeCleanup& cleanup : cleanups) deleted += cleanup.endBlock - cleanup.firstBlock;
  rebuilt.reserve(to - from - deleted);
  std::size_t next = from;
  for (const NodeCleanup& cleanup : cleanups) {
    for (; next < cleanup.controllersLine; ++next) rebuilt.push_back(text[next]);
    std::string line = text[cleanup.controllersLine];
    ReplaceToken(line, cleanup.count, "0");
    rebuilt.push_back(std::move(line));
    next = cleanup.endBlock;
  }
  text.Splice(from, to - from, std::move(rebuilt));

  result.cleanedNodes = cleanups.size();
  result.deletedLines = deleted;
  return result;
}

}  // namespace quarvel
