#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/Convert.h"
#include "common/Text.h"
#include "generation/Generation.h"
#include "shape/LineNumbers.h"
#include "shape/NextToken.h"

namespace quarvel::rewrite {

// A line of the source; beyond the end the empty string, as the text reads.
inline const std::string& LineAt(const std::vector<std::string>& source, std::size_t index) {
  static const std::string empty;
  return index < source.size() ? source[index] : empty;
}

// Token `k` after `keyword` in line `index` as an integer; a RewriteError that
// names the line when it is missing or not a decimal integer.
inline int IntTokenAfter(const std::string& line, std::string_view keyword, int k,
                         std::size_t index) {
  const TokenPosition token = TokenAfter(line, keyword, k);
  if (const auto value = TryStrToInt(token.text); token.found && value) return *value;
  throw RewriteError(Text::RewriteNoInteger, {{"token", Latin1ToUtf8(token.text)},
                                              {"line", ShownLineText(index)},
                                              {"content", Latin1ToUtf8(line)}});
}

inline void ReplaceAfter(std::string& line, std::string_view keyword, int k, long long value) {
  ReplaceTokenAfter(line, keyword, k, IntToStr(value));
}

}  // namespace quarvel::rewrite
