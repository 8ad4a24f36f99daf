#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace quarvel {

// Moves `start` (1-based) over tabs and blanks to the next token and sets `end`
// just behind it; the token is the `end - start` characters from `start`. The
// last character of a line is never skipped, so on a line that ends in blanks
// `start` stops at its length and the token is empty.
void NextToken(std::string_view line, std::size_t& start, std::size_t& end);

// The token found by NextToken from `start` (1-based); `start` and `end` as
// NextToken leaves them.
std::string_view TokenAt(std::string_view line, std::size_t& start, std::size_t& end);

// Token `k` (1-based) after the first occurrence of `keyword`, with its
// 1-based start and end; nullopt-like result (found = false) when the keyword
// is absent. The rewrite commands replace tokens through this.
struct TokenPosition {
  bool found = false;
  std::size_t start = 0;  // 1-based position of the token's first character
  std::size_t end = 0;    // just behind the token
  std::string_view text;
};
TokenPosition TokenAfter(std::string_view line, std::string_view keyword, int k);

// Deletes the token's characters and puts `replacement` in their place;
// everything else of the line stays as it was.
void ReplaceToken(std::string& line, const TokenPosition& token, std::string_view replacement);
// Replaces token `k` after `keyword`; false (line unchanged) when there is no
// such keyword.
bool ReplaceTokenAfter(std::string& line, std::string_view keyword, int k,
                       std::string_view replacement);

}  // namespace quarvel
