#include "cleanup/MergeSection.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "cleanup/ExtendedNumber.h"
#include "cleanup/LineScan.h"
#include "cleanup/ParenthesisTokens.h"
#include "common/Convert.h"
#include "common/Text.h"
#include "shape/LineNumbers.h"
#include "shape/NextToken.h"

namespace quarvel {

namespace {

constexpr std::string_view kVertexKeyword = "vertex ";
constexpr std::string_view kFaceNormalsKeyword = "normal_idxs";
// How far ahead a pass over the lines asks for their text.
constexpr std::size_t kLookAheadLines = 48;

// Digits of `value`; returns their count.
std::size_t Digits(std::int32_t value, char (&buffer)[16]) {
  return static_cast<std::size_t>(std::to_chars(buffer, buffer + sizeof buffer, value).ptr -
                                  buffer);
}

// Replaces tokens of one line in place, from left to right. Digits never
// outgrow the token they replace (an entry only ever moves down, and a count
// only shrinks), so the text only moves left, and what is still to be read
// lies where it was until Finish.
class LineEdit {
 public:
  explicit LineEdit(std::string& line) : line_(line) {}

  // Puts `digits` in place of the `length` characters at `start` (0-based,
  // as the line was) and returns where they went in the line as it becomes.
  std::size_t Replace(std::size_t start, std::size_t length, std::string_view digits) {
    char* const text = line_.data();
    if (write_ != read_) MoveLeft(text + write_, text + read_, start - read_);
    write_ += start - read_;
    const std::size_t at = write_;
    for (const char digit : digits) text[write_++] = digit;
    read_ = start + length;
    return at;
  }
  void Finish() {
    if (write_ == read_) return;
    const std::size_t rest = line_.size() - read_;
    MoveLeft(line_.data() + write_, line_.data() + read_, rest);
    line_.resize(write_ + rest);
  }

 private:
  // The runs are short, and one vertex line after the other is edited: no
  // call into the library for each.
  static void MoveLeft(char* to, const char* from, std::size_t count) {
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
      char chunk[8];  // all read before any is written: `to` may reach into it
      std::memcpy(chunk, from + i, 8);
      std::memcpy(to + i, chunk, 8);
    }
    for (; i < count; ++i) to[i] = from[i];
  }

  std::string& line_;
  std::size_t read_ = 0;   // the characters before this are done with
  std::size_t write_ = 0;  // and stand before this now
};

// TryStrToInt for the plain digits an index nearly always is; anything else
// is left to it.
std::optional<int> IndexValue(std::string_view token) {
  if (!token.empty() && token.size() <= 9) {
    int value = 0;
    bool plain = true;
    for (const char c : token) {
      plain &= static_cast<unsigned char>(c - '0') < 10;
      value = value * 10 + (c - '0');
    }
    if (plain) return value;
  }
  return TryStrToInt(token);
}

// The rebuild in two passes over the lines. The first renumbers the tokens
// in place and notes each token as it was, so that a line that cannot be
// renumbered takes every change back and the lines are as they were. Only
// then does the second move the lines down over the entries left out; it
// cannot fail.
class Rebuild {
 public:
  Rebuild(std::vector<std::string>& lines, const MergeSection& section, MergeTable& table)
      : lines_(lines),
        section_(section),
        table_(table),
        newIndices_(table.Work().newIndices),
        changes_(table.Work().changes),
        replaced_(table.Work().replaced) {
    changes_.clear();
    replaced_.clear();
  }

  void Run(int kept) {
    const std::size_t header = section_.header;
    const TokenPosition count = TokenAfterParenthesis(lines_[header], 1);
    if (section_.count < 0)
      Fail(header, {Text::NoValidCount, {{"token", Latin1ToUtf8(count.text)}}});
    if (static_cast<std::size_t>(section_.count) > table_.Size())
      Fail(header, {Text::SectionBiggerThanTable, {}});
    first_ = header + 1;
    end_ = first_ + static_cast<std::size_t>(section_.count);
    if (end_ > lines_.size())
      Fail(header, {Text::SectionEndsEarly,
                    {{"keyword", std::string(SectionKeyword(section_.kind))},
                     {"count", IntToStr(section_.count)}}});
    // The new indices side by side: the references into the section come in
    // any order, and the whole table is far bigger than the indices.
    newIndices_.resize(static_cast<std::size_t>(section_.count));
    for (std::size_t k = 0; k < newIndices_.size(); ++k) newIndices_[k] = table_[k].newIndex;
    try {
      Renumber(header, count, kept);
      RenumberReferences();
    } catch (const MergeError&) {
      Restore();
      throw;
    }
    MoveDown();
  }

 private:
  Text Noun() const {
    return section_.kind == MergeKind::Points ? Text::PointsWord : Text::NormalsWord;
  }

  [[noreturn]] void Fail(std::size_t index, const Message& what) const {
    Message whole = what.Inside(Text::NotMerged, "what", {{"line", ShownLineText(index)}});
    // First, so that the message inside may name the entries too.
    whole.texts.insert(whole.texts.begin(), {"noun", Noun()});
    throw MergeError(std::move(whole));
  }

  void RenumberReferences() {
    const bool normals = section_.kind == MergeKind::Normals;
    const int indexToken = normals ? 3 : 2;
    const std::size_t size = lines_.size();
    // Lines are looked at a few ahead, so that the new index a vertex needs
    // can be asked for in time: the new indices are read at random while the
    // text streams through.
    std::size_t lookedAt = end_;
    for (std::size_t i = end_; i < size;) {
      for (lookedAt = std::max(lookedAt, i); lookedAt < std::min(size, i + kIndicesAhead);
           ++lookedAt) {
        if (lookedAt + kLookAheadLines < size)
          PrefetchLineText(lines_[lookedAt + kLookAheadLines].data());
        LookAt(lookedAt, indexToken);
      }
      const Ahead& ahead = ahead_[i % kIndicesAhead];
      if (ahead.vertex) {
        LineEdit edit(lines_[i]);
        Renumber(edit, i, ahead.token, NewIndex(ahead.old, ahead.token.text, i));
        edit.Finish();
        ++i;
      } else if (normals && ContainsKeyword(lines_[i], kFaceNormalsKeyword)) {
        i = RenumberFaceNormals(i);
      } else {
        ++i;
      }
    }
  }

  // Whether line `index` is a vertex, and its index token.
  void LookAt(std::size_t index, int indexToken) {
    Ahead& ahead = ahead_[index % kIndicesAhead];
    const std::string& line = lines_[index];
    ahead.vertex = ContainsKeyword(line, kVertexKeyword);
    if (!ahead.vertex) return;
    ahead.token = TokenAfterParenthesis(line, indexToken);
    ahead.old = IndexValue(ahead.token.text);
    if (ahead.old && *ahead.old >= 0 && *ahead.old < section_.count)
      PrefetchLineText(&newIndices_[static_cast<std::size_t>(*ahead.old)]);
  }

  // The new index of the entry an index token on line `index` names.
  std::int32_t NewIndex(const std::optional<int>& old, std::string_view token,
                        std::size_t index) const {
    if (!old || *old < 0 || *old >= section_.count)
      Fail(index, {Text::NoIndexOf,
                   {{"token", Latin1ToUtf8(token)}, {"count", IntToStr(section_.count)}}});
    return newIndices_[static_cast<std::size_t>(*old)];
  }

  // Writes `value` over the token unless it reads so already, and notes the
  // token as it was.
  void Renumber(LineEdit& edit, std::size_t line, const TokenPosition& token, std::int32_t value) {
    char buffer[16];
    const std::string_view digits(buffer, Digits(value, buffer));
    if (digits == token.text) return;
    if (digits.size() > token.text.size())
      Fail(line, {Text::CannotReplaceBy,
                  {{"token", Latin1ToUtf8(token.text)}, {"digits", std::string(digits)}}});
    // The token's text lies in the line: it is noted before the digits go
    // over it.
    const std::size_t noted = replaced_.size();
    replaced_.append(token.text);
    const std::size_t at = edit.Replace(token.start - 1, token.text.size(), digits);
    const auto narrow = [](std::size_t value) { return static_cast<std::uint32_t>(value); };
    const std::uint32_t change[kChangeSize] = {narrow(line), narrow(at), narrow(digits.size()),
                                               narrow(noted), narrow(token.text.size())};
    changes_.insert(changes_.end(), std::begin(change), std::end(change));
  }
  void Renumber(std::size_t line, const TokenPosition& token, std::int32_t value) {
    LineEdit edit(lines_[line]);
    Renumber(edit, line, token, value);
    edit.Finish();
  }

  // A face-normal list of E entries of two tokens each, the first a normal
  // index; it goes on over as many lines as its entries need. Returns the
  // line after the list's last.
  std::size_t RenumberFaceNormals(std::size_t first) {
    std::size_t current = first;
    ParenthesisTokens tokens(lines_[current]);
    const TokenPosition& token = tokens.Next();
    const auto entries = TryStrToInt(token.text);
    if (!entries || *entries < 0)
      Fail(first, {Text::NoValidEntryCount, {{"token", Latin1ToUtf8(token.text)}}});
    std::optional<LineEdit> edit(std::in_place, lines_[current]);
    for (int entry = 0; entry < *entries; ++entry) {
      for (int part = 0; part < 2; ++part) {
        tokens.Next();
        while (token.text.empty()) {
          edit->Finish();
          if (++current >= lines_.size())
            Fail(first, {Text::NormalListEndsEarly, {{"count", IntToStr(*entries)}}});
          if (current + kLookAheadLines < lines_.size())
            PrefetchLineText(lines_[current + kLookAheadLines].data());
          tokens = ParenthesisTokens(lines_[current], 1);
          edit.emplace(lines_[current]);
          tokens.Next();
        }
        if (part == 0)
          Renumber(*edit, current, token, NewIndex(IndexValue(token.text), token.text, current));
      }
    }
    edit->Finish();
    return current + 1;
  }

  // Takes back every replaced token, the last first.
  void Restore() {
    for (std::size_t c = changes_.size(); c >= kChangeSize;) {
      c -= kChangeSize;
      const std::uint32_t* change = &changes_[c];
      lines_[change[0]].replace(change[1], change[2],
                                std::string_view(replaced_).substr(change[3], change[4]));
    }
  }

  // The entries that stay, and every line after the section, move down over
  // those left out.
  void MoveDown() {
    std::size_t write = first_;
    for (std::size_t k = 0; k < newIndices_.size(); ++k) {
      if (table_[k].keep == 0) continue;
      if (write != first_ + k) lines_[write] = std::move(lines_[first_ + k]);
      ++write;
    }
    if (write == end_) return;
    for (std::size_t i = end_; i < lines_.size(); ++i) lines_[write++] = std::move(lines_[i]);
    lines_.resize(write);
  }

  // A change put change[2] characters at change[1] of line change[0] in
  // place of replaced_[change[3], change[3] + change[4]).
  static constexpr std::size_t kChangeSize = 5;

  struct Ahead {
    bool vertex = false;
    TokenPosition token;
    std::optional<int> old;
  };
  static constexpr std::size_t kIndicesAhead = 16;  // lines

  std::vector<std::string>& lines_;
  const MergeSection& section_;
  const MergeTable& table_;
  std::size_t first_ = 0;                   // the section's first entry
  std::size_t end_ = 0;                     // and the line after its last
  std::array<Ahead, kIndicesAhead> ahead_;  // the lines looked at ahead, by line
  // Working memory the table keeps from run to run.
  std::vector<std::int32_t>& newIndices_;
  std::vector<std::uint32_t>& changes_;
  std::string& replaced_;
};

}  // namespace

std::string_view SectionKeyword(MergeKind kind) {
  return kind == MergeKind::Points ? "points" : "normals";
}

std::optional<std::size_t> FindMergeHeader(const ShapeText& text, MergeKind kind) {
  const std::string_view keyword = SectionKeyword(kind);
  for (std::size_t i = 1; i < text.Count(); ++i) {
    if (!Contains(text[i], keyword)) continue;
    if (i + 1 == text.Count()) return std::nullopt;
    return i;
  }
  return std::nullopt;
}

MergeSection ReadMergeSection(const ShapeText& text, MergeKind kind, std::size_t header) {
  const TokenPosition token = TokenAfterParenthesis(text[header], 1);
  const auto count = TryStrToInt(token.text);
  if (!count) throw ConvertError(Text::NotAnInteger, {{"text", Latin1ToUtf8(token.text)}});
  return {kind, header, *count};
}

void ReadMergeEntries(const ShapeText& text, const MergeSection& section, MergeTable& table) {
  if (section.count <= 0) return;
  const auto count = static_cast<std::size_t>(section.count);
  // The first line beyond the text stops the reading, so the table needs no
  // more room than the text has lines after the header.
  const std::size_t available = text.Count() - std::min(text.Count(), section.header + 1);
  table.MakeRoomFor(std::min(count, available));
  const bool quick = FullExtendedPrecision();
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  for (std::size_t k = 0; k < count; ++k) {
    const std::string& line = text[section.header + 1 + k];
    PrefetchLineText(text[section.header + 1 + k + kLookAheadLines].data());
    const char* p = line.data();
    const char* const end = p + line.size();
    // The tokens after the first "(", or from the start without one.
    const char* const parenthesis = static_cast<const char*>(std::memchr(p, '(', line.size()));
    if (parenthesis != nullptr) p = parenthesis + 1;
    MergeEntry& entry = table[k];
    for (long double* coordinate : {&entry.X, &entry.Y, &entry.Z}) {
      while (p != end && isBlank(*p)) ++p;
      const ShortDecimal decimal = quick ? ScanShortDecimal(p, end) : ShortDecimal();
      if (decimal.end != nullptr && (decimal.end == end || isBlank(*decimal.end))) {
        ShortDecimalInto(decimal, *coordinate);
        p = decimal.end;
        continue;
      }
      const char* const tokenEnd = std::find_if(p, end, isBlank);
      const std::string_view token(p, static_cast<std::size_t>(tokenEnd - p));
      const auto value = ParseExtended(token);
      if (!value) throw ConvertError(Text::NotAFloat, {{"text", Latin1ToUtf8(token)}});
      *coordinate = *value;
      p = tokenEnd;
    }
  }
}

void RebuildMergedSection(std::vector<std::string>& lines, const MergeSection& section, int kept,
                          MergeTable& table) {
  Rebuild(lines, section, table).Run(kept);
}

}  // namespace quarvel
