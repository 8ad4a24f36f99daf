#include "cli/CliInfo.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

#include "common/Convert.h"
#include "form/Form.h"
#include "form/TableColumns.h"

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

}  // namespace

void PrintInfo(std::ostream& out, const Form& form, const std::vector<std::string>& warnings) {
  const StringGrid& elements = form.StringGrid1;
  const StringGrid& subobjects = form.StringGrid2;
  const StringGrid& summary = form.StringGrid5;
  const StringGrid& matrices = form.StringGrid3;
  const int lods = form.LodCount;

  if (!warnings.empty()) {
    out << "Warnings:\n";
    for (const auto& warning : warnings) out << "  " << warning << '\n';
    out << '\n';
  }

  out << "Elements (" << form.ElementCount() << "):\n";
  std::vector<std::string> header = {"Row", "Name", "Image", "Faces"};
  for (int l = 1; l <= lods; ++l) header.push_back("L " + IntToStr(l));
  TextTable elementTable(header);
  for (int r = 1; r <= form.ElementCount(); ++r) {
    std::vector<std::string> row = {IntToStr(r), elements.Cell(kNameColumn, r),
                                    elements.Cell(kImageColumn, r), elements.Cell(kFacesColumn, r)};
    for (int l = 1; l <= lods; ++l) row.push_back(elements.Cell(AssignmentColumn(l), r));
    elementTable.Add(row);
  }
  elementTable.Print(out);

  out << "\nSub-objects (vertices in LOD " << form.LODSpinEdit.value << "):\n";
  header = {"No.", "Vertices"};
  for (int l = 1; l <= lods; ++l) header.push_back("Sort L " + IntToStr(l));
  TextTable subobjectTable(header);
  for (int r = 1; r < subobjects.RowCount(); ++r) {
    std::vector<std::string> row = {subobjects.Cell(kSubobjectNumberColumn, r),
                                    subobjects.Cell(kVertexCountColumn, r)};
    for (int l = 1; l <= lods; ++l) row.push_back(subobjects.Cell(SortMarkColumn(l), r));
    subobjectTable.Add(row);
  }
  subobjectTable.Print(out);

  out << "\nLODs:\n";
  TextTable lodTable({"No.", "Distance", "Faces"});
  for (int r = 1; r < summary.RowCount(); ++r)
    lodTable.Add({summary.Cell(kSummaryLodColumn, r), summary.Cell(kSummaryDistanceColumn, r),
                  summary.Cell(kSummaryFacesColumn, r)});
  lodTable.Print(out);

  out << "\nMatrices:\n";
  TextTable matrixTable({"Name", "Faces", "Anim."});
  for (int r = 1; r < matrices.RowCount(); ++r)
    matrixTable.Add({matrices.Cell(kMatrixNameColumn, r), matrices.Cell(kMatrixFacesColumn, r),
                     matrices.Cell(kAnimationMarkColumn, r)});
  matrixTable.Print(out);
}

void PrintInfoJson(std::ostream& out, const Form& form, const std::vector<std::string>& warnings) {
  const StringGrid& elements = form.StringGrid1;
  const StringGrid& subobjects = form.StringGrid2;
  const StringGrid& summary = form.StringGrid5;
  const StringGrid& matrices = form.StringGrid3;
  const int lods = form.LodCount;

  nlohmann::ordered_json result;
  result["warnings"] = warnings;
  result["elements"] = nlohmann::ordered_json::array();
  for (int r = 1; r <= form.ElementCount(); ++r) {
    nlohmann::ordered_json assignment = nlohmann::ordered_json::array();
    // The plan stays text: "05" and "5" mean different things to the splitter.
    for (int l = 1; l <= lods; ++l) assignment.push_back(elements.Cell(AssignmentColumn(l), r));
    result["elements"].push_back({{"name", elements.Cell(kNameColumn, r)},
                                  {"image", elements.Cell(kImageColumn, r)},
                                  {"faces", NumberOrText(elements.Cell(kFacesColumn, r))},
                                  {"lods", assignment}});
  }
  result["subobjects"] = nlohmann::ordered_json::array();
  for (int r = 1; r < subobjects.RowCount(); ++r) {
    nlohmann::ordered_json sort = nlohmann::ordered_json::array();
    for (int l = 1; l <= lods; ++l) sort.push_back(IsMark(subobjects.Cell(SortMarkColumn(l), r)));
    result["subobjects"].push_back(
        {{"number", NumberOrText(subobjects.Cell(kSubobjectNumberColumn, r))},
         {"vertices", NumberOrText(subobjects.Cell(kVertexCountColumn, r))},
         {"sort", sort}});
  }
  result["lods"] = nlohmann::ordered_json::array();
  for (int r = 1; r < summary.RowCount(); ++r)
    result["lods"].push_back({{"number", NumberOrText(summary.Cell(kSummaryLodColumn, r))},
                              {"distance", NumberOrText(summary.Cell(kSummaryDistanceColumn, r))},
                              {"faces", NumberOrText(summary.Cell(kSummaryFacesColumn, r))}});
  result["matrices"] = nlohmann::ordered_json::array();
  for (int r = 1; r < matrices.RowCount(); ++r)
    result["matrices"].push_back({{"name", matrices.Cell(kMatrixNameColumn, r)},
                                  {"faces", NumberOrText(matrices.Cell(kMatrixFacesColumn, r))},
                                  {"anim", IsMark(matrices.Cell(kAnimationMarkColumn, r))}});
  out << result.dump(2) << '\n';
}

}  // namespace quarvel::cli
