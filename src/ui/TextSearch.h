#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

#include "ui/TextCaret.h"

namespace quarvel {

// The jumps and the forward search of the text page, as caret offsets into
// the text with two characters per line end. Keys compare byte for byte
// (case-sensitive, no wildcards); an empty key is found nowhere.

// The 0-based offset of the first occurrence of `key` that starts at or
// after `from`. A key cannot reach over a line end.
std::optional<std::size_t> FindInText(const TextLines& lines, std::string_view key,
                                      std::size_t from);

// "Matrizen": the 1-based position of the first occurrence of `key` in the
// whole text, 0 when there is none; as a caret, just behind its first letter.
std::size_t FirstOccurrence(const TextLines& lines, std::string_view key);

struct SearchOutcome {
  std::size_t caret = 0;  // where the caret stands afterwards
  bool found = false;
};

// One forward search from `caret` in a text of `length` characters. Near the
// end (caret in the last two characters or beyond) it starts again at 0. It
// searches from the character just before the caret and puts the caret three
// characters behind the start of the match (two when searching from 0), so
// that the next search finds the following match. Without a match the caret
// stays (at 0 when the search started again there). `find(from)` gives the
// 0-based start of the first match at or after `from`.
SearchOutcome ForwardSearchFrom(std::size_t caret, std::size_t length,
                                const std::function<std::optional<std::size_t>(std::size_t)>& find);
SearchOutcome ForwardSearch(const TextLines& lines, std::size_t caret, std::string_view key);

}  // namespace quarvel
