#include "cleanup/MergeSection.h"

#include <algorithm>
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

// Works out every changed line first and applies them only when all could be
// worked out, so a failure leaves the text as it was.
class Renumbering {
 public:
  Renumbering(const std::vector<std::string>& lines, const MergeSection& section,
              const MergeTable& table)
      : lines_(lines), section_(section), table_(table) {}

  std::vector<std::pair<std::size_t, std::string>> Edits(int kept) {
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
    std::string newHeader = header;
    ReplaceToken(newHeader, count, IntToStr(kept));
    Edit(section_.header, std::move(newHeader));

    for (std::size_t i = end; i < lines_.size();) {
      const std::string& line = lines_[i];
      if (Contains(line, kVertexKeyword)) {
        RenumberVertex(i++);
      } else if (section_.kind == MergeKind::Normals && Contains(line, kFaceNormalsKeyword)) {
        i = RenumberFaceNormals(i);
      } else {
        ++i;
      }
    }
    return std::move(edits_);
  }

 private:
  [[noreturn]] void Fail(std::size_t index, const std::string& what) const {
    const std::string noun = section_.kind == MergeKind::Points ? "Punkte" : "Normalen";
    throw MergeError("Zeile " + LineNumber(index) + ": " + what + " Die " + noun +
                     " wurden nicht zusammengefasst, der Text ist unverändert.");
  }

  // The new index of the entry an index token on line `index` names.
  std::string NewIndex(std::string_view token, std::size_t index) const {
    const auto old = TryStrToInt(token);
    if (!old || *old < 0 || *old >= section_.count) {
      const std::string noun = section_.kind == MergeKind::Points ? "Punkte" : "Normalen";
      Fail(index, Quoted(token) + " ist kein Index eines der " + IntToStr(section_.count) + " " +
                      noun + ".");
    }
    return IntToStr(table_[static_cast<std::size_t>(*old)].newIndex);
  }

  void Edit(std::size_t index, std::string line) {
    if (line != lines_[index]) edits_.emplace_back(index, std::move(line));
  }

  void RenumberVertex(std::size_t index) {
    const std::string& line = lines_[index];
    const TokenPosition token =
        TokenAfterParenthesis(line, section_.kind == MergeKind::Points ? 2 : 3);
    const std::string replacement = NewIndex(token.text, index);
    if (replacement == token.text) return;
    std::string changed = line;
    ReplaceToken(changed, token, replacement);
    edits_.emplace_back(index, std::move(changed));
  }

  // A face-normal list of E entries of two tokens each, the first a normal
  // index; it goes on over as many lines as its entries need. Returns the
  // line after the list's last.
  std::size_t RenumberFaceNormals(std::size_t first) {
    std::size_t current = first;
    const std::string* line = &lines_[current];
    const TokenPosition countToken = TokenAfterParenthesis(*line, 1);
    const auto entries = TryStrToInt(countToken.text);
    if (!entries || *entries < 0)
      Fail(first, Quoted(countToken.text) + " ist keine gültige Anzahl von Einträgen.");

    std::string rebuilt;
    std::size_t copied = 0;  // characters of the current line already in `rebuilt`
    std::size_t position = countToken.end;
    const auto finishLine = [&] {
      rebuilt.append(*line, copied);
      Edit(current, std::move(rebuilt));
      rebuilt.clear();
      copied = 0;
    };
    for (int entry = 0; entry < *entries; ++entry) {
      for (int part = 0; part < 2; ++part) {
        std::size_t start = position;
        std::size_t end = position;
        std::string_view token = TokenAt(*line, start, end);
        while (token.empty()) {
          finishLine();
          if (++current >= lines_.size())
            Fail(first,
                 "Die Liste \"normal_idxs\" endet vor ihren " + IntToStr(*entries) + " Einträgen.");
          line = &lines_[current];
          start = 1;
          token = TokenAt(*line, start, end);
        }
        if (part == 0) {
          rebuilt.append(*line, copied, start - 1 - copied);
          rebuilt += NewIndex(token, current);
          copied = end - 1;
        }
        position = end;
      }
    }
    finishLine();
    return current + 1;
  }

  const std::vector<std::string>& lines_;
  const MergeSection& section_;
  const MergeTable& table_;
  std::vector<std::pair<std::size_t, std::string>> edits_;
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
  auto edits = Renumbering(lines, section, table).Edits(kept);
  // Nothing below can fail: the lines move into place.
  const std::size_t first = section.header + 1;
  const std::size_t last = first + static_cast<std::size_t>(section.count);
  std::size_t write = 0;
  auto edit = edits.begin();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i >= first && i < last && table[i - first].keep == 0) continue;
    if (edit != edits.end() && edit->first == i) {
      lines[write] = std::move(edit->second);
      ++edit;
    } else if (write != i) {
      lines[write] = std::move(lines[i]);
    }
    ++write;
  }
  lines.resize(write);
}

}  // namespace quarvel
