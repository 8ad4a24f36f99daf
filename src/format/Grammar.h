// The grammar of the shape format: for every block its token id in the
// binary form and the values and child blocks it holds, in one table that
// the binary codec and the shape check both read.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace quarvel::format {

using TokenId = std::uint16_t;

enum class ValueType : std::uint8_t { Uint, Sint, Dword, Float, String, Token };

struct GrammarItem {
  enum class Kind : std::uint8_t { Value, Child };
  Kind kind = Kind::Value;
  ValueType type = ValueType::Uint;  // of a value
  bool repeated = false;             // as many as follow, up to the block's end
  bool optional = false;             // present when the block has room (or text) left for it
  // A uint that counts the entries of the block's repeated item; `perEntry`
  // values make one entry (the pairs of "normal_idxs").
  bool counts = false;
  std::uint8_t perEntry = 1;
  std::vector<TokenId> children;  // of a child: the blocks allowed there, none meaning any

  bool Allows(TokenId id) const;
};

struct BlockRule {
  TokenId id = 0;
  std::string_view name;
  // Whether the table knows what the block holds; a block it does not know
  // can be skipped in text but neither checked nor encoded.
  bool known = false;
  std::vector<GrammarItem> items;
  // The item that a counting item counts, or -1.
  int countedItem = -1;
  int countItem = -1;
};

// The rule of the block named `name` where `parent` holds it (nullptr at the
// top of a file); nullptr when the table has no such name. Some names mean
// another thing inside another block, which the parent decides.
const BlockRule* RuleByName(std::string_view name, const BlockRule* parent);
const BlockRule* RuleById(TokenId id, const BlockRule* parent);

// The top of a file: one shape and what may follow it.
const BlockRule& FileRule();

// The blocks a text may hold anywhere that carry no data ("comment ( ... )").
bool IsCommentBlock(std::string_view name);

}  // namespace quarvel::format
