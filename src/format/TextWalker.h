// The shape text read by the grammar: every block checked against its rule
// as it is read (types, counts, children, what must be there), and every
// value the rule expects handed to a visitor with its place in the block.
// The shape check and the encoder into the binary form are such visitors.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "format/Grammar.h"
#include "format/ShapeProblem.h"
#include "ports/Texts.h"

namespace quarvel::format {

struct TextToken {
  enum class Kind : std::uint8_t { Word, Quoted, Open, Close, End };
  std::string_view text;  // a quoted string keeps its quotes
  std::uint32_t line = 0;
  Kind kind = Kind::End;
};

class TextVisitor {
 public:
  virtual ~TextVisitor() = default;
  // A block the grammar knows, opened at `line`; its values and children
  // follow, then Close. The values are told only when this returns true.
  virtual bool Open(const BlockRule& rule, std::string_view label, std::uint32_t line) = 0;
  // Value number `position` of the innermost block (counted over its values
  // alone, from 0), of the type `item` asks for.
  virtual void Value(const GrammarItem& item, std::size_t position, const TextToken& token) = 0;
  virtual void Close() = 0;
  // What does not fit the grammar. `check` and `subject` tell repeats of one
  // problem apart. The walk goes on after it.
  virtual void Problem(ProblemKind kind, std::uint32_t line, std::string_view check,
                       std::string_view subject, std::string message) = 0;
};

// Real shapes nest a dozen deep; far deeper only a text whose blocks lack
// their ")" gets, and the walk stops there.
inline constexpr std::size_t kMaxDepth = 64;

}  // namespace quarvel::format

#include "format/TextWalkerImpl.h"

namespace quarvel::format {

// Walks `lines` as one shape file. Line 0 is the file's header when it starts
// with "SIMISA" and is then not read as part of the blocks. The visitor is
// any type with the members of TextVisitor; a final one is called directly,
// a TextVisitor& through its virtual members. The problems it tells the
// visitor are in the language of `texts`.
template <typename Visitor>
void Walk(const std::vector<std::string>& lines, Visitor& visitor, const TextSource& texts) {
  detail::Walker<Visitor>(lines, visitor, texts).Run();
}

}  // namespace quarvel::format
