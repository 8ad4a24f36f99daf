#include "ui/TextSearch.h"

namespace quarvel {

std::optional<std::size_t> FindInText(const TextLines& lines, std::string_view key,
                                      std::size_t from) {
  if (key.empty()) return std::nullopt;
  std::size_t lineStart = 0;
  for (const std::string& line : lines) {
    const std::size_t next = lineStart + line.size() + kLineEndLength;
    if (from < next) {
      const std::size_t column = from > lineStart ? from - lineStart : 0;
      if (column < line.size()) {
        const std::size_t at = std::string_view(line).find(key, column);
        if (at != std::string_view::npos) return lineStart + at;
      }
    }
    lineStart = next;
  }
  return std::nullopt;
}

std::size_t FirstOccurrence(const TextLines& lines, std::string_view key) {
  const auto at = FindInText(lines, key, 0);
  return at ? *at + 1 : 0;
}

SearchOutcome ForwardSearchFrom(
    std::size_t caret, std::size_t length,
    const std::function<std::optional<std::size_t>(std::size_t)>& find) {
  if (caret + 2 >= length) caret = 0;
  // The part searched starts at the 1-based position `caret`: one character
  // before the caret, or at the start.
  const std::size_t partStart = caret == 0 ? 0 : caret - 1;
  const auto match = find(partStart);
  if (!match) return {caret, false};
  const std::size_t positionInPart = *match - partStart + 1;
  return {caret + positionInPart + 1, true};
}

SearchOutcome ForwardSearch(const TextLines& lines, std::size_t caret, std::string_view key) {
  return ForwardSearchFrom(caret, TextLength(lines),
                           [&](std::size_t from) { return FindInText(lines, key, from); });
}

}  // namespace quarvel
