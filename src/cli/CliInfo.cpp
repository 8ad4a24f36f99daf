#include "cli/CliInfo.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

#include "common/Convert.h"
#include "session/Session.h"

namespace quarvel::cli {

namespace {

// Columns padded to their widest cell; numbers right-aligned.
class TextTable {
 public:
  explicit TextTable(std::vector<std::string> header) { rows_.push_back(std::move(header)); }
  void Add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }

  void Print(std::ostream& out) const {
    std::vector<std::size_t> widths;
    for (const auto& row : rows_) {
      if (widths.size() < row.size()) widths.resize(row.size(), 0);
      for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Width(row[c]));
    }
    // A column of numbers is right-aligned, its heading with it.
    std::vector<bool> numeric(widths.size(), rows_.size() > 1);
    for (std::size_t r = 1; r < rows_.size(); ++r)
      for (std::size_t c = 0; c < rows_[r].size(); ++c)
        if (!rows_[r][c].empty() && !TryStrToInt(rows_[r][c])) numeric[c] = false;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      std::string line = " ";
      for (std::size_t c = 0; c < rows_[r].size(); ++c) {
        const std::string& cell = rows_[r][c];
        const std::string padding(widths[c] - Width(cell), ' ');
        const bool right = numeric[c];
        line += " " + (right ? padding + cell : cell + padding);
      }
      while (!line.empty() && line.back() == ' ') line.pop_back();
      out << line << '\n';
    }
  }

 private:
  static std::size_t Width(const std::string& utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
      return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
  }
  std::vector<std::vector<std::string>> rows_;
};

nlohmann::ordered_json NumberOrText(const std::string& cell) {
  if (const auto number = TryStrToInt(cell)) return *number;
  if (cell.empty()) return nullptr;
  return cell;
}

// The texts of each table's cells, row by row, as the window shows them.
std::vector<std::string> ElementCells(const Session& session, int row) {
  const ElementRow& element = session.tables.elements[row];
  std::vector<std::string> cells = {element.name, element.image, NumberText(element.faces)};
  for (int lod = 1; lod <= session.plan.lodCount; ++lod)
    cells.push_back(session.plan.Choice(row, lod).Text());
  return cells;
}

// The vertices of the sub-object of `row` in every LOD.
std::vector<int> SubobjectVerticesPerLod(Session& session, int row) {
  std::vector<int> counts;
  for (int lod = 1; lod <= session.plan.lodCount; ++lod)
    counts.push_back(
        session.SubobjectVertices(lod, session.summary.subobjects[row].number.value_or(row)));
  return counts;
}

// Its number, its vertices in every LOD ("*" behind a count above the
// vertex limit) and its sort marks.
std::vector<std::string> SubobjectCells(Session& session, int row) {
  const SubobjectLine& line = session.summary.subobjects[row];
  std::vector<std::string> cells = {NumberText(line.number)};
  for (const int count : SubobjectVerticesPerLod(session, row))
    cells.push_back(IntToStr(count) + (count > session.vertexLimit ? " *" : ""));
  for (int lod = 1; lod <= session.plan.lodCount; ++lod)
    cells.push_back(session.plan.SortMark(lod, row).Text());
  return cells;
}

std::vector<std::string> LodCells(const Session& session, int row) {
  const LodLine& line = session.summary.lods[row];
  return {NumberText(line.number), line.distance, NumberText(line.faces)};
}

std::vector<std::string> MatrixCells(const Session& session, int row) {
  const MatrixRow& matrix = session.tables.matrices[row];
  return {matrix.name, NumberText(matrix.faces), session.plan.animationMarks[row].Text()};
}

}  // namespace

void PrintInfo(std::ostream& out, Session& session, const std::vector<std::string>& warnings) {
  const int lods = session.plan.lodCount;
  const auto say = [&](Text text) { return TextFrom(session.Texts(), text); };
  if (!warnings.empty()) {
    out << say(Text::InfoWarnings) << "\n";
    for (const auto& warning : warnings) out << "  " << warning << '\n';
    out << '\n';
  }

  out << Worded(session.Texts(), Text::InfoElements, {{"count", IntToStr(session.Elements())}})
      << "\n";
  std::vector<std::string> header = {say(Text::InfoRow), say(Text::InfoName), say(Text::InfoImage),
                                     say(Text::InfoFaces)};
  for (int l = 1; l <= lods; ++l) header.push_back("L " + IntToStr(l));
  TextTable elementTable(header);
  for (int r = 1; r <= session.Elements(); ++r) {
    std::vector<std::string> row = {IntToStr(r)};
    for (std::string& cell : ElementCells(session, r)) row.push_back(std::move(cell));
    elementTable.Add(row);
  }
  elementTable.Print(out);

  out << "\n" << say(Text::InfoSubobjects) << "\n";
  header = {say(Text::InfoNumber)};
  for (int l = 1; l <= lods; ++l) header.push_back(say(Text::InfoVertices) + " L " + IntToStr(l));
  for (int l = 1; l <= lods; ++l) header.push_back(say(Text::InfoSort) + " L " + IntToStr(l));
  TextTable subobjectTable(header);
  bool overLimit = false;
  for (int r = 1; r <= session.summary.subobjects.Count(); ++r) {
    std::vector<std::string> cells = SubobjectCells(session, r);
    overLimit |= std::any_of(cells.begin(), cells.end(),
                             [](const std::string& cell) { return cell.ends_with(" *"); });
    subobjectTable.Add(std::move(cells));
  }
  subobjectTable.Print(out);
  if (overLimit)
    out << "  "
        << Worded(session.Texts(), Text::InfoOverLimit, {{"limit", IntToStr(session.vertexLimit)}})
        << "\n";

  out << "\n" << say(Text::InfoLods) << "\n";
  TextTable lodTable({say(Text::InfoNumber), say(Text::InfoDistance), say(Text::InfoFaces)});
  for (int r = 1; r <= session.summary.lods.Count(); ++r) lodTable.Add(LodCells(session, r));
  lodTable.Print(out);

  out << "\n" << say(Text::InfoMatrices) << "\n";
  TextTable matrixTable({say(Text::InfoName), say(Text::InfoFaces), say(Text::InfoAnimation)});
  for (int r = 1; r <= session.tables.matrices.Count(); ++r)
    matrixTable.Add(MatrixCells(session, r));
  matrixTable.Print(out);
}

void PrintInfoJson(std::ostream& out, Session& session, const std::vector<std::string>& warnings,
                   const std::string& file) {
  const int lods = session.plan.lodCount;
  nlohmann::ordered_json result;
  result["file"] = file;
  result["warnings"] = warnings;
  result["elements"] = nlohmann::ordered_json::array();
  for (int r = 1; r <= session.Elements(); ++r) {
    const std::vector<std::string> cells = ElementCells(session, r);
    // The plan stays text: "05" and "5" mean different things to the splitter.
    const std::vector<std::string> assignment(cells.begin() + 3, cells.end());
    result["elements"].push_back({{"name", cells[0]},
                                  {"image", cells[1]},
                                  {"faces", NumberOrText(cells[2])},
                                  {"lods", assignment}});
  }
  result["subobjects"] = nlohmann::ordered_json::array();
  for (int r = 1; r <= session.summary.subobjects.Count(); ++r) {
    const SubobjectLine& line = session.summary.subobjects[r];
    const std::vector<int> counts = SubobjectVerticesPerLod(session, r);
    nlohmann::ordered_json sort = nlohmann::ordered_json::array();
    nlohmann::ordered_json overLimit = nlohmann::ordered_json::array();
    for (int l = 1; l <= lods; ++l) {
      sort.push_back(session.plan.SortMarked(l, r));
      overLimit.push_back(counts[static_cast<std::size_t>(l - 1)] > session.vertexLimit);
    }
    // "vertices" of the LOD the summary shows, as before; then every LOD's.
    result["subobjects"].push_back({{"number", NumberOrText(NumberText(line.number))},
                                    {"vertices", NumberOrText(NumberText(line.vertices))},
                                    {"lod_vertices", counts},
                                    {"over_limit", overLimit},
                                    {"sort", sort}});
  }
  result["lods"] = nlohmann::ordered_json::array();
  for (int r = 1; r <= session.summary.lods.Count(); ++r) {
    const std::vector<std::string> cells = LodCells(session, r);
    result["lods"].push_back({{"number", NumberOrText(cells[0])},
                              {"distance", NumberOrText(cells[1])},
                              {"faces", NumberOrText(cells[2])}});
  }
  result["matrices"] = nlohmann::ordered_json::array();
  for (int r = 1; r <= session.tables.matrices.Count(); ++r) {
    const std::vector<std::string> cells = MatrixCells(session, r);
    result["matrices"].push_back({{"name", cells[0]},
                                  {"faces", NumberOrText(cells[1])},
                                  {"anim", session.plan.animationMarks[r].IsSet()}});
  }
  // One line per shape, so that a run over many shapes is JSON Lines.
  out << result.dump() << '\n';
}

}  // namespace quarvel::cli
