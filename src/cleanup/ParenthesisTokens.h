#pragma once
#include <cstddef>
#include <string_view>

#include "common/Text.h"
#include "shape/NextToken.h"

namespace quarvel {

// The tokens of a line from a 1-based position on, one after the other; by
// default those after the line's first "(" (a line without one is read from
// its start). Each token's position is kept so that it can be replaced.
class ParenthesisTokens {
 public:
  explicit ParenthesisTokens(std::string_view line) : ParenthesisTokens(line, Pos("(", line) + 1) {}
  ParenthesisTokens(std::string_view line, std::size_t from) : line_(line) {
    token_.found = true;
    token_.end = from;
  }
  // An empty text once the line has no more tokens. The same tokens as
  // NextToken finds, scanned here because the merges run it on every line
  // of big sections.
  const TokenPosition& Next() {
    const std::size_t size = line_.size();
    std::size_t from = token_.end - 1;  // 0-based
    while (from < size && IsBlank(line_[from])) ++from;
    std::size_t to = from;
    while (to < size && !IsBlank(line_[to])) ++to;
    token_.start = from + 1;
    token_.end = to + 1;
    token_.text = from < size ? line_.substr(from, to - from) : std::string_view();
    return token_;
  }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

  std::string_view line_;
  TokenPosition token_;
};

// Token `k` (1-based) after the first "(".
inline TokenPosition TokenAfterParenthesis(std::string_view line, int k) {
  ParenthesisTokens tokens(line);
  TokenPosition token;
  for (int i = 0; i < k; ++i) token = tokens.Next();
  return token;
}

}  // namespace quarvel
