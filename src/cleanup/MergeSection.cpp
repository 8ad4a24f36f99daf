#include "cleanup/MergeSection.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>

#include "cleanup/ExtendedNumber.h"
#include "cleanup/ParenthesisTokens.h"
#include "common/Convert.h"
#include "common/Text.h"
#include "shape/NextToken.h"

namespace quarvel {

namespace {

constexpr std::string_view kVertexKeyword = "vertex ";
constexpr std::string_view kFaceNormalsKeyword = "normal_idxs";

std::string LineNumber(std::size_t index) {
  return IntToStr(static_cast<long long>(index) + 1);
}

std::string Quoted(std::string_view token) {
  return "'" + Latin1ToUtf8(token) + "'";
}

// The new index in decimal digits, in place of the characters of one token.
// A new index is never above the old one (entries only ever move down), so
// the digits are never longer than the token they replace.
struct Replacement {
  std::uint32_t line = 0;
  std::uint32_t start = 0;  // 0-based position of the token
  std::uint32_t length = 0;
  std::int32_t value = 0;
};

// Digits of `value`; returns their count.
std::size_t Digits(std::int32_t value, char (&buffer)[16]) {
  return static_cast<std::size_t>(std::to_chars(buffer, buffer + sizeof buffer, value).ptr -
                                  buffer);
}

// Works out every replacement first, and the lines change only when all of
// them could be worked out, so a failure leaves the text as it was.
class Renumbering {
 public:
  Renumbering(const std::vector<std::string>& lines, const MergeSection& section,
              const MergeTable& table)
      : lines_(lines), section_(section), table_(table) {}

  // Every replacement, in text order.
  std::vector<Replacement> Plan(int kept) {
    const std::string& header = lines_[section_.header];
    const TokenPosition count = TokenAfterParenthesis(header, 1);
    if (section_.count < 0)
      Fail(section_.header, Quoted(count.text) + " ist keine gültige Anzahl.");
    if (static_cast<std::size_t>(section_.count) > table_.Size())
      Fail(section_.header, "Der Abschnitt ist größer als die Tabelle der Einträge.");
    const std::size_t end = section_.header + 1 + static_cast<std::size_t>(section_.count);
    if (end > lines_.size())
      Fail(section_.header, "Der Abschnitt \"" + std::string(SectionKeyword(section_.kind)) +
                                "\" endet vor seinen " + IntToStr(section_.count) + " Einträgen.");
    Add(section_.header, count, kept);
    // The new indices side by side: the references into the section come in
    // any order, and the whole table is far bigger than the indices alone.
    newIndices_.reserve(static_cast<std::size_t>(section_.count));
    for (std::size_t k = 0; k < static_cast<std::size_t>(section_.count); ++k)
      newIndices_.push_back(table_[k].newIndex);

    for (std::size_t i = end; i < lines_.size();) {
      const std::string& line = lines_[i];
      if (Contains(line, kVertexKeyword)) {
        const TokenPosition token =
            TokenAfterParenthesis(line, section_.kind == MergeKind::Points ? 2 : 3);
        Add(i, token, NewIndex(token.text, i));
        ++i;
      } else if (section_.kind == MergeKind::Normals && Contains(line, kFaceNormalsKeyword)) {
        i = PlanFaceNormals(i);
      } else {
        ++i;
      }
    }
    return std::move(replacements_);
  }

  // The longest line that holds more than one replacement.
  std::size_t LongestSharedLine() const { return longestSharedLine_; }

 private:
  [[noreturn]] void Fail(std::size_t index, const std::string& what) const {
    const std::string noun = section_.kind == MergeKind::Points ? "Punkte" : "Normalen";
    throw MergeError("Zeile " + LineNumber(index) + ": " + what + " Die " + noun +
                     " wurden nicht zusammengefasst, der Text ist unverändert.");
  }

  // The new index of the entry an index token on line `index` names.
  std::int32_t NewIndex(std::string_view token, std::size_t index) const {
    const auto old = TryStrToInt(token);
    if (!old || *old < 0 || *old >= section_.count) {
      const std::string noun = section_.kind == MergeKind::Points ? "Punkte" : "Normalen";
      Fail(index, Quoted(token) + " ist kein Index eines der " + IntToStr(section_.count) + " " +
                      noun + ".");
    }
    return newIndices_[static_cast<std::size_t>(*old)];
  }

  // Notes the replacement unless the token already reads so.
  void Add(std::size_t line, const TokenPosition& token, std::int32_t value) {
    char digits[16];
    if (std::string_view(digits, Digits(value, digits)) == token.text) return;
    if (!replacements_.empty() && replacements_.back().line == line)
      longestSharedLine_ = std::max(longestSharedLine_, lines_[line].size());
    replacements_.push_back({static_cast<std::uint32_t>(line),
                             static_cast<std::uint32_t>(token.start - 1),
                             static_cast<std::uint32_t>(token.text.size()), value});
  }

  // A face-normal list of E entries of two tokens each, the first a normal
  // index; it goes on over as many lines as its entries need. Returns the
  // line after the list's last.
  std::size_t PlanFaceNormals(std::size_t first) {
    std::size_t current = first;
    ParenthesisTokens tokens(lines_[current]);
    const TokenPosition& token = tokens.Next();
    const auto entries = TryStrToInt(token.text);
    if (!entries || *entries < 0)
      Fail(first, Quoted(token.text) + " ist keine gültige Anzahl von Einträgen.");
    for (int entry = 0; entry < *entries; ++entry) {
      for (int part = 0; part < 2; ++part) {
        tokens.Next();
        while (token.text.empty()) {
          if (++current >= lines_.size())
            Fail(first,
                 "Die Liste \"normal_idxs\" endet vor ihren " + IntToStr(*entries) + " Einträgen.");
          tokens = ParenthesisTokens(lines_[current], 1);
          tokens.Next();
        }
        if (part == 0) Add(current, token, NewIndex(token.text, current));
      }
    }
    return current + 1;
  }

  const std::vector<std::string>& lines_;
  const MergeSection& section_;
  const MergeTable& table_;
  std::vector<std::int32_t> newIndices_;
  std::vector<Replacement> replacements_;
  std::size_t longestSharedLine_ = 0;
};

// Writes the replacements into the lines. Digits never outgrow their token,
// so no line needs more room than it has: nothing here allocates or fails.
void Apply(std::vector<std::string>& lines, const std::vector<Replacement>& replacements,
           std::string& scratch) {
  for (std::size_t first = 0; first < replacements.size();) {
    std::size_t last = first + 1;
    while (last < replacements.size() && replacements[last].line == replacements[first].line)
      ++last;
    std::string& line = lines[replacements[first].line];
    char digits[16];
    if (last == first + 1) {
      const Replacement& only = replacements[first];
      line.replace(only.start, only.length, digits, Digits(only.value, digits));
    } else {
      scratch.clear();
      std::size_t copied = 0;
      for (std::size_t r = first; r < last; ++r) {
        scratch.append(line, copied, replacements[r].start - copied);
        scratch.append(digits, Digits(replacements[r].value, digits));
        copied = replacements[r].start + replacements[r].length;
      }
      scratch.append(line, copied);
      line.assign(scratch);
    }
    first = last;
  }
}

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
  if (!count) throw ConvertError(Quoted(token.text) + " ist kein gültiger Integerwert");
  return {kind, header, *count};
}

void ReadMergeEntries(const ShapeText& text, const MergeSection& section, MergeTable& table) {
  if (section.count <= 0) return;
  const auto count = static_cast<std::size_t>(section.count);
  // The first line beyond the text stops the reading, so the table needs no
  // more room than the text has lines after the header.
  const std::size_t available = text.Count() - std::min(text.Count(), section.header + 1);
  table.MakeRoomFor(std::min(count, available));
  for (std::size_t k = 0; k < count; ++k) {
    ParenthesisTokens tokens(text[section.header + 1 + k]);
    long double coordinates[3];
    for (long double& coordinate : coordinates) {
      const std::string_view token = tokens.Next().text;
      const auto value = ParseExtended(token);
      if (!value) throw ConvertError(Quoted(token) + " ist kein gültiger Gleitkommawert");
      coordinate = *value;
    }
    MergeEntry& entry = table[k];
    entry.X = coordinates[0];
    entry.Y = coordinates[1];
    entry.Z = coordinates[2];
  }
}

void RebuildMergedSection(std::vector<std::string>& lines, const MergeSection& section, int kept,
                          const MergeTable& table) {
  Renumbering renumbering(lines, section, table);
  const std::vector<Replacement> replacements = renumbering.Plan(kept);
  std::string scratch;
  scratch.reserve(renumbering.LongestSharedLine());
  // Nothing below can fail: the digits go into place, the lines move down.
  Apply(lines, replacements, scratch);
  const std::size_t first = section.header + 1;
  const std::size_t last = first + static_cast<std::size_t>(section.count);
  std::size_t write = first;
  for (std::size_t i = first; i < lines.size(); ++i) {
    if (i < last && table[i - first].keep == 0) continue;
    if (write != i) lines[write] = std::move(lines[i]);
    ++write;
  }
  lines.resize(write);
}

}  // namespace quarvel
