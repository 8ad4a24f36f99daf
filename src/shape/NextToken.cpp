#include "shape/NextToken.h"

namespace quarvel {

namespace {
bool IsBlank(char c) {
  return c == '\t' || c == ' ';
}
}  // namespace

void NextToken(std::string_view line, std::size_t& start, std::size_t& end) {
  const std::size_t length = line.size();
  if (start < 1) start = 1;  // positions are 1-based; 0 would read before the line
  while (start < length && IsBlank(line[start - 1])) ++start;
  end = start;
  while (end <= length && !IsBlank(line[end - 1])) ++end;
}

std::string_view TokenAt(std::string_view line, std::size_t& start, std::size_t& end) {
  NextToken(line, start, end);
  if (end <= start || start > line.size()) return {};
  return line.substr(start - 1, end - start);
}

TokenPosition TokenAfter(std::string_view line, std::string_view keyword, int k) {
  TokenPosition result;
  const auto at = line.find(keyword);
  if (at == std::string_view::npos || k < 1) return result;
  std::size_t start = at + keyword.size() + 1;  // 1-based, just behind the keyword
  std::size_t end = start;
  for (int i = 0; i < k; ++i) {
    start = end;
    result.text = TokenAt(line, start, end);
  }
  result.found = true;
  result.start = start;
  result.end = end;
  return result;
}

void ReplaceToken(std::string& line, const TokenPosition& token, std::string_view replacement) {
  const std::size_t from = token.start - 1;
  if (from > line.size()) {
    line.append(replacement);
    return;
  }
  const std::size_t count = token.end > token.start ? token.end - token.start : 0;
  line.replace(from, count, replacement);
}

bool ReplaceTokenAfter(std::string& line, std::string_view keyword, int k,
                       std::string_view replacement) {
  const TokenPosition token = TokenAfter(line, keyword, k);
  if (!token.found) return false;
  ReplaceToken(line, token, replacement);
  return true;
}

}  // namespace quarvel
