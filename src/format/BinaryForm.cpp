#include "format/BinaryForm.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/Convert.h"
#include "common/Error.h"
#include "format/Grammar.h"
#include "format/TextWalker.h"
#include "format/Values.h"
#include "shape/ShapeFile.h"

namespace quarvel::format {

namespace {

// Every block starts with its id, a 16-bit word that is 0 in shapes, the
// length of the rest and the length of its label.
constexpr std::size_t kBlockHeader = 9;

// The converter wraps long runs of values: a block's first line holds at
// most 959 characters, a continuation at most 995 (tabs included, the space
// that ends a wrapped line not). Both were measured on the index lists of
// real files, which all stand nine deep; whether the limits shift with the
// depth is not known, so they are taken as they were measured.
constexpr std::size_t kFirstLineLimit = 959;
constexpr std::size_t kContinuationLimit = 995;

// A block's name as the binary texts show it within a sentence.
std::string Quoted(std::string_view name) {
  return "\"" + std::string(name) + "\"";
}

std::string Hex(std::size_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value % 16]);
    value /= 16;
  } while (value != 0);
  return "0x" + text;
}

// Writes the converter's text of a payload: into one string with CR LF
// after every line, or into the lines the reader would make of that text.
class Decoder {
 public:
  Decoder(std::string_view payload, std::vector<std::string>* lines,
          std::vector<std::size_t>* pieces)
      : data_(payload), lines_(lines), pieces_(pieces) {}

  std::string Run() {
    if (data_.size() < kSubHeaderSize || data_.substr(0, 5) != "JINX0" || data_[7] != 'b')
      throw FormatError(Text::NoBinarySubHeader, {{"header", "JINX0s1b"}});
    if (lines_ == nullptr) out_.reserve(data_.size() * 4);
    out_ = "SIMISA@@@@@@@@@@";
    out_.append(data_.substr(0, 7));
    out_.push_back('t');
    out_.append(data_.substr(8, 8));
    if (lines_ != nullptr) {
      // The sub-header's own line end ends the header line.
      out_.resize(out_.size() - 2);
      EndLine();
    }
    position_ = kSubHeaderSize;
    const BlockRule& file = FileRule();
    std::size_t item = 0;
    while (position_ < data_.size()) {
      const TokenId id = PeekId(data_.size());
      while (item < file.items.size() && !file.items[item].Allows(id)) ++item;
      if (item == file.items.size()) throw Unexpected(id, nullptr);
      Block(data_.size(), nullptr, 0);
      if (!file.items[item].repeated) ++item;
    }
    EndLine();
    // The text's last line end leaves the reader one empty line more.
    if (lines_ != nullptr) lines_->emplace_back();
    return std::move(out_);
  }

  // A name or text held a line end or NUL: its lines are not what the
  // reader makes of the text.
  bool odd = false;

 private:
  // What is wrong, at the byte being read.
  FormatError Damaged(Text what, TextValues values = {}) const {
    values.emplace_back("byte", Hex(position_));
    return FormatError(what, std::move(values));
  }
  // The block `id` where `owner` (the file when null) has no room for it.
  FormatError Unexpected(TokenId id, const BlockRule* owner) const {
    const BlockRule* rule = RuleById(id, nullptr);
    Message message{Text::BinaryBlockNotAllowed,
                    {{"byte", Hex(position_)}, {"block", rule ? Quoted(rule->name) : Hex(id)}}};
    if (owner)
      message.values.emplace_back("where", Quoted(owner->name));
    else
      message.texts.emplace_back("where", Text::InTheFile);
    return FormatError(std::move(message));
  }

  std::uint32_t U32(std::size_t at) const {
    std::uint32_t value;
    std::memcpy(&value, data_.data() + at, 4);
    return value;
  }
  std::uint16_t U16(std::size_t at) const {
    std::uint16_t value;
    std::memcpy(&value, data_.data() + at, 2);
    return value;
  }

  TokenId PeekId(std::size_t end) const {
    if (end - position_ < kBlockHeader) throw Damaged(Text::BinaryBlockCutShort);
    return U16(position_);
  }

  // UTF-16 units as the text holds them: one byte per character, so a
  // character beyond U+00FF is refused rather than kept as another one.
  void AppendUnits(std::string& out, std::size_t at, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      const char c = data_[at + 2 * i];
      if (const auto high = static_cast<unsigned char>(data_[at + 2 * i + 1]); high != 0) {
        char code[8];
        std::snprintf(code, sizeof code, "%02X%02X", high, static_cast<unsigned char>(c));
        throw FormatError(Text::CharacterBeyondLatin1,
                          {{"line", std::to_string(CurrentLine())}, {"code", code}});
      }
      odd |= c == '\r' || c == '\n' || c == '\0';
      out.push_back(c);
    }
  }

  // The line of the text being written, from 1.
  std::size_t CurrentLine() const {
    if (lines_ != nullptr) return lines_->size() + 1;
    return static_cast<std::size_t>(std::count(out_.begin(), out_.end(), '\n')) + 1;
  }

  void EndLine() {
    if (lines_ == nullptr) {
      out_.append("\r\n");
      lineStart_ = out_.size();
      return;
    }
    if (lines_->empty())
      lines_->emplace_back(out_);  // the header line, which the reader never cuts
    else
      AppendReadLine(*lines_, out_, pieces_);
    out_.clear();
  }

  void NewLine(std::size_t depth) {
    EndLine();
    out_.append(depth, '\t');
  }

  void AppendValue(const std::string_view text, std::size_t depth, bool& firstLine) {
    const std::size_t limit = firstLine ? kFirstLineLimit : kContinuationLimit;
    if (out_.size() - lineStart_ + 1 + text.size() > limit) {
      out_.push_back(' ');
      NewLine(depth);
      firstLine = false;
    } else {
      out_.push_back(' ');
    }
    out_.append(text);
  }

  void Value(ValueType type, std::size_t end, std::size_t depth, bool& firstLine) {
    if (type == ValueType::String) {
      if (end - position_ < 2) throw Damaged(Text::BinaryTextCutShort);
      const std::size_t count = U16(position_);
      if (end - position_ - 2 < 2 * count) throw Damaged(Text::BinaryTextCutShort);
      std::string value, text;
      AppendUnits(value, position_ + 2, count);
      AppendStringText(text, value);
      position_ += 2 + 2 * count;
      AppendValue(text, depth, firstLine);
      return;
    }
    if (end - position_ < 4) throw Damaged(Text::BinaryValueCutShort);
    char buffer[kNumberTextSize];
    const char* const textEnd = WriteNumberText(buffer, type, U32(position_));
    position_ += 4;
    AppendValue(std::string_view(buffer, static_cast<std::size_t>(textEnd - buffer)), depth,
                firstLine);
  }

  void Block(std::size_t parentEnd, const BlockRule* parent, std::size_t depth) {
    const TokenId id = PeekId(parentEnd);
    const std::uint32_t length = U32(position_ + 4);
    if (length > parentEnd - position_ - 8) throw Damaged(Text::BinaryBlockTooLong);
    const std::size_t end = position_ + 8 + length;
    const BlockRule* rule = RuleById(id, parent);
    if (rule == nullptr || !rule->known)
      throw rule ? Damaged(Text::BinaryContentsUnknown, {{"block", std::string(rule->name)}})
                 : Damaged(Text::BinaryBlockUnknown, {{"id", Hex(id)}});
    const std::size_t labelLength = static_cast<unsigned char>(data_[position_ + 8]);
    position_ += kBlockHeader;
    if (end - position_ < 2 * labelLength) throw Damaged(Text::BinaryNameCutShort);

    NewLine(depth);
    out_.append(rule->name);
    if (labelLength > 0) {
      out_.push_back(' ');
      AppendUnits(out_, position_, labelLength);
      position_ += 2 * labelLength;
    }
    out_.append(" (");
    bool firstLine = true;
    bool hasChild = false;
    for (const GrammarItem& item : rule->items) {
      if (item.kind == GrammarItem::Kind::Value) {
        const std::size_t size = item.type == ValueType::String ? 2 : 4;
        if (item.repeated) {
          while (position_ < end) Value(item.type, end, depth, firstLine);
        } else if (!item.optional || end - position_ >= size) {
          // An optional value is there when the block has room for it.
          Value(item.type, end, depth, firstLine);
        }
        continue;
      }
      const auto childHere = [&] {
        return end - position_ >= kBlockHeader && item.Allows(U16(position_));
      };
      if (item.repeated) {
        while (position_ < end) {
          if (!childHere()) throw Unexpected(U16(position_), rule);
          Block(end, rule, depth + 1);
          hasChild = true;
        }
      } else if (childHere()) {
        Block(end, rule, depth + 1);
        hasChild = true;
      } else if (!item.optional) {
        if (position_ >= end)
          throw Damaged(Text::BinaryBlockIncomplete, {{"block", std::string(rule->name)}});
        throw Unexpected(U16(position_), rule);
      }
    }
    if (position_ != end)
      throw Damaged(Text::BinaryBytesTooMany,
                    {{"block", std::string(rule->name)},
                     {"count", IntToStr(static_cast<long long>(end - position_))}});
    if (hasChild) {
      NewLine(depth);
      out_.push_back(')');
    } else {
      out_.append(" )");
    }
  }

  std::string_view data_;
  std::vector<std::string>* lines_;
  std::vector<std::size_t>* pieces_;
  std::size_t position_ = 0;
  std::string out_;  // the text, or the line being written
  std::size_t lineStart_ = 0;
};

// Writes the blocks the walk meets; the first problem stops the writing.
class Encoder final : public TextVisitor {
 public:
  explicit Encoder(std::string& out) : out_(out) {}

  bool Open(const BlockRule& rule, std::string_view label, std::uint32_t) override {
    if (refusal) return false;
    starts_.push_back(out_.size());
    Append16(rule.id);
    Append16(0);
    Append32(0);  // the length, known at Close
    const std::size_t units = std::min<std::size_t>(label.size(), 255);
    out_.push_back(static_cast<char>(units));
    AppendUnits(label.substr(0, units));
    return true;
  }

  void Value(const GrammarItem& item, std::size_t, const TextToken& token) override {
    if (refusal) return;
    if (item.type == ValueType::String) {
      const std::string value = StringValue(token.text);
      const std::size_t units = std::min<std::size_t>(value.size(), 65535);
      Append16(static_cast<std::uint16_t>(units));
      AppendUnits(std::string_view(value).substr(0, units));
      return;
    }
    Append32(NumberBits(item.type, token.text));
  }

  void Close() override {
    if (refusal) return;
    const std::size_t start = starts_.back();
    starts_.pop_back();
    const auto length = static_cast<std::uint32_t>(out_.size() - start - 8);
    std::memcpy(out_.data() + start + 4, &length, 4);
  }

  void Problem(ProblemKind, std::uint32_t line, std::string_view, std::string_view,
               std::string message) override {
    if (!refusal) refusal = ShapeProblem{line, ProblemKind::Error, std::move(message)};
  }

  std::optional<ShapeProblem> refusal;

 private:
  void Append16(std::uint16_t value) { out_.append(reinterpret_cast<const char*>(&value), 2); }
  void Append32(std::uint32_t value) { out_.append(reinterpret_cast<const char*>(&value), 4); }
  void AppendUnits(std::string_view text) {
    for (char c : text) {
      out_.push_back(c);
      out_.push_back('\0');
    }
  }

  std::string& out_;
  std::vector<std::size_t> starts_;
};

}  // namespace

std::string BinaryToText(std::string_view payload) {
  return Decoder(payload, nullptr, nullptr).Run();
}

bool BinaryToLines(std::string_view payload, std::vector<std::string>& lines,
                   std::vector<std::size_t>& pieces) {
  if (payload.size() >= kSubHeaderSize && payload.substr(8, 8) != kUsualSubHeaderTail) return false;
  Decoder decoder(payload, &lines, &pieces);
  decoder.Run();
  return !decoder.odd;
}

std::string Utf16FileBytes(std::string_view text) {
  std::string bytes(2 + 2 * text.size(), '\0');
  bytes[0] = '\xFF';
  bytes[1] = '\xFE';
  char* out = bytes.data() + 2;
  for (std::size_t i = 0; i < text.size(); ++i) out[2 * i] = text[i];
  return bytes;
}

EncodedPayload TextToBinary(const std::vector<std::string>& lines, const TextSource& texts,
                            std::string_view subHeaderTail) {
  EncodedPayload result;
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size();
  result.payload.reserve(size / 3);
  result.payload = "JINX0s1b";
  result.payload.append(subHeaderTail.substr(0, 8));
  result.payload.resize(kSubHeaderSize, '_');
  Encoder encoder(result.payload);
  Walk(lines, encoder, texts);
  if (encoder.refusal) {
    result.refusal = std::move(encoder.refusal);
    result.payload.clear();
  }
  return result;
}

}  // namespace quarvel::format
