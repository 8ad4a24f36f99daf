#pragma once
#include <string_view>

#include "common/Text.h"
#include "shape/NextToken.h"

namespace quarvel {

// The tokens of a line after its first "(", one after the other; a line
// without "(" is read from its start. Each token's position is kept so that
// it can be replaced.
class ParenthesisTokens {
 public:
  explicit ParenthesisTokens(std::string_view line) : line_(line) {
    token_.found = true;
    token_.end = Pos("(", line) + 1;
  }
  // An empty text once the line has no more tokens.
  const TokenPosition& Next() {
    token_.start = token_.end;
    token_.text = TokenAt(line_, token_.start, token_.end);
    return token_;
  }

 private:
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
