// The walk of a shape text by the grammar, as a template over its visitor:
// the check and the encoder see millions of values, and a call that the
// compiler can see through costs a fraction of a virtual one. Included by
// TextWalker.h only.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/Convert.h"
#include "common/Text.h"
#include "format/Grammar.h"
#include "format/Values.h"
#include "ports/Texts.h"

namespace quarvel::format::detail {

using Kind = TextToken::Kind;

// Blanks part tokens; brackets are tokens of their own. All of them lie
// below 42, so one comparison settles the letters and digits that most
// characters are.
inline constexpr std::uint64_t kBlanks =
    (1ull << ' ') | (1ull << '\t') | (1ull << '\r') | (1ull << '\n');
inline constexpr std::uint64_t kEndsWord = kBlanks | (1ull << '(') | (1ull << ')');

inline bool IsIn(std::uint64_t set, char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 64 && ((set >> u) & 1) != 0;
}

// The tokens of the text with look-ahead: whether a word names a block
// shows only at the "(" behind it or behind its label. Lines are cut into
// tokens a whole line at a time, in one tight loop, and looked at from a
// buffer that holds the tokens of the line being read (and of the next
// lines, as far as the look-ahead reaches).
class Lexer {
 public:
  Lexer(const std::vector<std::string>& lines, std::size_t firstLine)
      : lines_(lines), line_(firstLine), buffer_(256) {}

  // A token ahead; the reference holds until the next Peek or Skip. Called
  // several times for every token: the refilling stays out of line.
  const TextToken& Peek(std::size_t k) {
    if (next_ + k < size_) [[likely]]
      return buffer_[next_ + k];
    return PeekFilling(k);
  }
  TextToken Next() {
    const TextToken token = Peek(0);
    Skip();
    return token;
  }
  // Past the token that Peek(0) gave.
  void Skip() { ++next_; }

 private:
  [[gnu::noinline]] const TextToken& PeekFilling(std::size_t k) {
    while (next_ + k >= size_) Refill();
    return buffer_[next_ + k];
  }

  // Appends the tokens of the next line that has any, or the end.
  void Refill() {
    if (next_ > 0) {
      std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(next_),
                buffer_.begin() + static_cast<std::ptrdiff_t>(size_), buffer_.begin());
      size_ -= next_;
      next_ = 0;
    }
    while (line_ < lines_.size()) {
      const std::size_t before = size_;
      CutLine(lines_[line_], static_cast<std::uint32_t>(line_));
      ++line_;
      if (size_ > before) return;
    }
    if (size_ == buffer_.size()) buffer_.resize(2 * size_);
    TextToken& end = buffer_[size_++];
    end = TextToken{};
    end.line = static_cast<std::uint32_t>(lines_.empty() ? 0 : lines_.size() - 1);
  }

  void CutLine(std::string_view text, std::uint32_t line) {
    // A line holds at most one token per character. The tokens are written
    // through a local pointer: the characters, read through a char pointer,
    // could alias the buffer's own bookkeeping and keep it from registers.
    if (buffer_.size() < size_ + text.size()) buffer_.resize(2 * (size_ + text.size()));
    TextToken* out = buffer_.data() + size_;
    const char* p = text.data();
    const char* const end = p + text.size();
    // A third of a big shape's characters are the tabs that indent its
    // lines: eight of them are passed at a time.
    constexpr std::uint64_t kEightTabs = 0x0909090909090909ull;
    for (std::uint64_t eight; end - p >= 8; p += 8) {
      std::memcpy(&eight, p, 8);
      if (eight != kEightTabs) break;
    }
    while (p < end) {
      if (IsIn(kBlanks, *p)) {
        ++p;
        continue;
      }
      const char* start = p++;
      Kind kind = Kind::Word;
      if (*start == '(' || *start == ')') {
        kind = *start == '(' ? Kind::Open : Kind::Close;
      } else if (*start == '"') {
        // A quoted string may hold blanks and brackets; it ends on its line.
        while (p < end && *p != '"') p += *p == '\\' && p + 1 < end ? 2 : 1;
        if (p < end) ++p;
        kind = Kind::Quoted;
      } else {
        while (p < end && !IsIn(kEndsWord, *p)) ++p;
      }
      *out++ = TextToken{std::string_view(start, static_cast<std::size_t>(p - start)), line, kind};
    }
    size_ = static_cast<std::size_t>(out - buffer_.data());
  }

  const std::vector<std::string>& lines_;
  std::size_t line_;
  std::vector<TextToken> buffer_;  // its size is the room; size_ tokens are in it
  std::size_t size_ = 0;
  std::size_t next_ = 0;
};

// The pieces of the problems the walk finds (in TextWalker.cpp).
std::string Quoted(std::string_view name);
std::string Entries(const TextSource& texts, long long count);
std::string TypeName(const TextSource& texts, ValueType type);
std::string BadValue(const TextSource& texts, ValueType type, std::string_view text,
                     std::string_view owner);

// A block being read: where its values stand and what its count promised.
struct Block {
  Block(const BlockRule& r, std::uint32_t l) : rule(r), line(l) {}
  const BlockRule& rule;
  std::uint32_t line;
  std::size_t values = 0;
  std::size_t entries = 0;  // of the counted item
  std::optional<long long> declared;
  bool reported = false;  // one problem per block; the rest of it is only read on
  bool file = false;      // the file itself, whose problems are all told
  // Lists hold thousands of blocks of one name: the last look-up is kept.
  std::string_view lastName;
  const BlockRule* lastRule = nullptr;
  bool wantsValues = true;
};

template <typename Visitor>
class Walker {
 public:
  Walker(const std::vector<std::string>& lines, Visitor& visitor, const TextSource& texts)
      : hasHeader_(!lines.empty() && lines[0].starts_with("SIMISA")),
        lexer_(lines, hasHeader_ ? 1 : 0),
        visitor_(visitor),
        texts_(texts) {}

  void Run() {
    if (!hasHeader_)
      visitor_.Problem(
          ProblemKind::Error, 0, "header", "",
          Worded(texts_, Text::NoFileHeader, {{"header", "SIMISA@@@@@@@@@@JINX0s1t"}}));
    Block file{FileRule(), 0};
    file.file = true;
    Contents(file, true);
  }

 private:
  std::string Say(Text text,
                  std::initializer_list<std::pair<std::string_view, std::string>> values) const {
    return Worded(texts_, text, values);
  }

  // The block's name as a value of a text.
  static std::string Name(std::string_view name) { return Latin1ToUtf8(name); }

  void Problem(Block& block, std::uint32_t line, std::string_view check, std::string message) {
    if (block.reported) return;
    block.reported = !block.file;
    visitor_.Problem(ProblemKind::Error, line, check, block.rule.name, std::move(message));
  }

  static const BlockRule* Lookup(std::string_view name, Block& parent) {
    // The same token is looked up twice: whether it may come, then to read it.
    if (name.data() == parent.lastName.data() && name.size() == parent.lastName.size())
      return parent.lastRule;
    if (!SameName(name, parent.lastName) || parent.lastRule == nullptr) {
      parent.lastName = name;
      parent.lastRule = RuleByName(name, &parent.rule);
    }
    return parent.lastRule;
  }

  // Names are short; a call of the library's memcmp would cost more than
  // comparing them here.
  static bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
      if (a[i] != b[i]) return false;
    return true;
  }

  // Most values are numbers, which never name a block: they need no look
  // behind them.
  static bool StartsLikeANumber(std::string_view word) {
    const char c = word[0];
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
  }

  // Block names hold letters and underscores only; a value with a digit
  // is never one.
  static bool MayNameABlock(std::string_view word) {
    for (char c : word)
      if (c >= '0' && c <= '9') return false;
    return true;
  }

  // Whether a block starts here: a word, maybe a label, and "(". A label is
  // taken only behind a name the table knows, since a value may stand
  // before a block ("ff808080 vertex_uvs (").
  bool BlockNext() {
    const TextToken& first = lexer_.Peek(0);
    if (first.kind != Kind::Word || StartsLikeANumber(first.text)) return false;
    return lexer_.Peek(1).kind == Kind::Open || LabelledBlockNext();
  }

  // A value comes next; for most values this needs no look-ahead.
  bool ValueNext() {
    const TextToken& first = lexer_.Peek(0);
    if (first.kind == Kind::Quoted) return true;
    if (first.kind != Kind::Word) return false;
    if (StartsLikeANumber(first.text)) return true;
    return lexer_.Peek(1).kind != Kind::Open && !LabelledBlockNext();
  }

  // The next word, not followed by "(", is the name of a block whose label
  // follows.
  bool LabelledBlockNext() {
    const std::string_view name = lexer_.Peek(0).text;
    if (!MayNameABlock(name)) return false;
    return lexer_.Peek(1).kind == Kind::Word && lexer_.Peek(2).kind == Kind::Open &&
           RuleByName(name, nullptr) != nullptr;
  }

  // A value next, also behind comments and blocks the table does not know.
  bool ValueNextSkipping(Block& block) {
    if (ValueNext()) return true;
    if (lexer_.Peek(0).kind == Kind::Close) return false;
    SkipForeign(block);
    return ValueNext();
  }

  // A block of `item`'s kinds comes next.
  bool ChildNext(Block& parent, const GrammarItem& item) {
    if (!BlockNext()) return false;
    const BlockRule* rule = Lookup(lexer_.Peek(0).text, parent);
    return rule != nullptr && rule->known && item.Allows(rule->id);
  }

  // Comments and blocks the table does not know are passed over wherever
  // they stand, so that files with newer blocks still read.
  void SkipForeign(Block& parent) {
    while (BlockNext()) {
      const TextToken& name = lexer_.Peek(0);
      const BlockRule* rule = Lookup(name.text, parent);
      if (rule != nullptr && rule->known) return;
      if (!IsCommentBlock(name.text))
        visitor_.Problem(
            ProblemKind::Warning, name.line, "unknown", name.text,
            Say(rule == nullptr ? Text::UnknownBlockSkipped : Text::UnknownContentsSkipped,
                {{"block", Name(name.text)}}));
      SkipBlock();
    }
  }

  // Past the name, the label and everything up to the matching ")".
  void SkipBlock() {
    const TextToken name = lexer_.Peek(0);
    while (lexer_.Next().kind != Kind::Open) {
    }
    std::size_t depth = 1;
    while (depth > 0) {
      const TextToken token = lexer_.Next();
      if (token.kind == Kind::Open) ++depth;
      if (token.kind == Kind::Close) --depth;
      if (token.kind == Kind::End) {
        Unclosed(name.kind == Kind::Word ? name.text : std::string_view("("), name.line,
                 depth_ + depth);
        return;
      }
    }
  }

  void Child(Block& parent) {
    const TextToken name = lexer_.Next();
    std::string_view label;
    if (lexer_.Peek(0).kind == Kind::Word) label = lexer_.Next().text;
    lexer_.Next();  // "("
    const BlockRule& rule = *Lookup(name.text, parent);
    // Reading on would only exhaust the stack.
    if (depth_ >= kMaxDepth) {
      ended_ = true;
      visitor_.Problem(
          ProblemKind::Error, name.line, "depth", "",
          Say(Text::NestedTooDeep, {{"depth", IntToStr(static_cast<long long>(kMaxDepth))}}));
      return;
    }
    Block block{rule, name.line};
    block.wantsValues = visitor_.Open(rule, label, name.line);
    ++depth_;
    Contents(block, false);
    --depth_;
    if (!ended_) visitor_.Close();
  }

  void TakeValue(Block& block, const GrammarItem& item) {
    const TextToken& token = lexer_.Peek(0);
    struct Advance {
      Lexer& lexer;
      ~Advance() { lexer.Skip(); }
    } advance{lexer_};
    const std::size_t position = block.values++;
    if (!IsValueText(item.type, token.text)) {
      if (block.reported) return;  // told already; wording it would be wasted
      std::string message =
          item.counts ? Say(IsValueText(ValueType::Sint, token.text) ? Text::CountNegative
                                                                     : Text::CountNoInteger,
                            {{"block", Name(block.rule.name)}, {"value", Latin1ToUtf8(token.text)}})
                      : BadValue(texts_, item.type, token.text, block.rule.name);
      Problem(block, token.line, item.counts ? "count" : "type", std::move(message));
      return;
    }
    if (item.counts) block.declared = NumberBits(ValueType::Uint, token.text);
    if (block.wantsValues) visitor_.Value(item, position, token);
  }

  void Contents(Block& block, bool isFile) {
    const BlockRule& rule = block.rule;
    for (std::size_t i = 0; i < rule.items.size() && !ended_; ++i) {
      const GrammarItem& item = rule.items[i];
      const bool counted = static_cast<int>(i) == rule.countedItem;
      if (item.kind == GrammarItem::Kind::Value) {
        if (item.repeated) {
          while (ValueNextSkipping(block)) {
            TakeValue(block, item);
            if (counted) ++block.entries;
          }
        } else if (ValueNextSkipping(block)) {
          TakeValue(block, item);
        } else if (!item.optional) {
          MissingValue(block, item);
          break;
        }
        continue;
      }
      SkipForeign(block);
      // Values where a block belongs are more than the block takes.
      if (ValueNext()) ExtraValues(block);
      if (item.repeated) {
        while (ChildNext(block, item)) {
          Child(block);
          if (counted) ++block.entries;
          SkipForeign(block);
        }
      } else if (ChildNext(block, item)) {
        Child(block);
      } else if (!item.optional) {
        MissingChild(block, item);
        break;
      }
    }
    Rest(block, isFile);
    if (!ended_) CheckCount(block);
  }

  // What stands between the last item and the block's ")" is too much.
  void Rest(Block& block, bool isFile) {
    if (!isFile && lexer_.Peek(0).kind == Kind::Close) {  // what nearly every block ends with
      lexer_.Skip();
      return;
    }
    for (;;) {
      if (ended_) return;
      SkipForeign(block);
      const TextToken token = lexer_.Peek(0);  // a copy: BlockNext looks further
      switch (token.kind) {
        case Kind::End:
          if (!isFile) Unclosed(block.rule.name, block.line, depth_);
          return;
        case Kind::Close:
          lexer_.Next();
          if (!isFile) return;
          visitor_.Problem(ProblemKind::Error, token.line, "stray", "",
                           TextFrom(texts_, Text::StrayClosingBracket));
          continue;
        case Kind::Open:
          Problem(
              block, token.line, "open",
              Say(Text::BracketWithoutName, {{"where", isFile ? TextFrom(texts_, Text::InTheFile)
                                                              : Quoted(block.rule.name)}}));
          SkipBlock();
          continue;
        case Kind::Word:
        case Kind::Quoted:
          break;
      }
      if (BlockNext()) {
        Problem(block, token.line, "child", NotAllowedHere(block, isFile, token.text));
        Child(block);
        continue;
      }
      // Thousands of values may follow the one told: they are not worded.
      if (!block.reported)
        Problem(block, token.line, isFile ? "value" : "extra", TooMuch(block, token));
      lexer_.Next();
    }
  }

  void ExtraValues(Block& block) {
    const TextToken& token = lexer_.Peek(0);
    Problem(block, token.line, block.file ? "value" : "extra", TooMuch(block, token));
    while (ValueNext()) lexer_.Next();
  }

  std::string TooMuch(const Block& block, const TextToken& token) const {
    if (block.file) return Say(Text::ValueOutsideBlocks, {{"value", Latin1ToUtf8(token.text)}});
    return Say(Text::TooManyValues,
               {{"block", Name(block.rule.name)}, {"value", Latin1ToUtf8(token.text)}});
  }

  // The block `child` where `block` has no room for it, naming the blocks
  // the rule has room for.
  std::string NotAllowedHere(const Block& block, bool isFile, std::string_view child) const {
    if (isFile) return Say(Text::BlockOutOfPlaceInFile, {{"child", Name(child)}});
    std::string names;
    for (const GrammarItem& item : block.rule.items)
      for (TokenId id : item.children)
        if (const BlockRule* rule = RuleById(id, &block.rule))
          names += (names.empty() ? "" : ", ") + Quoted(rule->name);
    return Say(names.empty() ? Text::BlockNotAllowedHere : Text::BlockNotAllowedExpected,
               {{"block", Name(block.rule.name)}, {"child", Name(child)}, {"names", names}});
  }

  void MissingValue(Block& block, const GrammarItem& item) {
    Problem(
        block, lexer_.Peek(0).line, "missing",
        Say(Text::TooFewValues, {{"block", Name(block.rule.name)},
                                 {"position", IntToStr(static_cast<long long>(block.values) + 1)},
                                 {"type", TypeName(texts_, item.type)}}));
  }

  void MissingChild(Block& block, const GrammarItem& item) {
    const std::string either = " " + TextFrom(texts_, Text::OrWord) + " ";
    std::string names;
    for (TokenId id : item.children)
      names += (names.empty() ? "" : either) + Quoted(RuleById(id, &block.rule)->name);
    Problem(block, block.line, "missing",
            block.file
                ? Say(Text::FileLacksBlock, {{"names", names}})
                : Say(Text::BlockLacksBlock, {{"block", Name(block.rule.name)}, {"names", names}}));
  }

  void CheckCount(Block& block) {
    if (!block.declared || block.reported) return;
    const GrammarItem& counted = block.rule.items[static_cast<std::size_t>(block.rule.countedItem)];
    const long long declared = *block.declared;
    const auto entries = static_cast<long long>(block.entries);
    const GrammarItem& count = block.rule.items[static_cast<std::size_t>(block.rule.countItem)];
    const std::string name = Name(block.rule.name);
    if (counted.kind == GrammarItem::Kind::Child) {
      if (declared != entries)
        Problem(block, block.line, "count",
                Say(Text::BlocksCountWrong, {{"block", name},
                                             {"entries", Entries(texts_, declared)},
                                             {"count", IntToStr(entries)}}));
      return;
    }
    const long long expected = declared * count.perEntry;
    if (expected == entries) return;
    Problem(
        block, block.line, "count",
        count.perEntry == 1
            ? Say(Text::ValuesCountWrong,
                  {{"block", name}, {"declared", IntToStr(declared)}, {"count", IntToStr(entries)}})
            : Say(Text::EntriesCountWrong, {{"block", name},
                                            {"entries", Entries(texts_, declared)},
                                            {"values", IntToStr(expected)},
                                            {"count", IntToStr(entries)}}));
  }

  // The end of the text came with `missing` blocks still open, the
  // innermost of them `name` opened at `line`.
  void Unclosed(std::string_view name, std::uint32_t line, std::size_t missing) {
    if (ended_) return;
    ended_ = true;
    visitor_.Problem(ProblemKind::Error, line, "unclosed", "",
                     missing == 1 ? Say(Text::OneBracketUnclosed, {{"block", Name(name)}})
                                  : Say(Text::BracketsUnclosed,
                                        {{"block", Name(name)},
                                         {"count", IntToStr(static_cast<long long>(missing))}}));
  }

  bool hasHeader_;
  Lexer lexer_;
  Visitor& visitor_;
  const TextSource& texts_;  // the language of the problems
  std::size_t depth_ = 0;    // blocks open around the one being read
  bool ended_ = false;       // the text ended inside a block, or nested too deep
};

}  // namespace quarvel::format::detail
