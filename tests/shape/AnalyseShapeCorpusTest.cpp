// The analysis over the corpus of real shapes named by QUARVEL_CORPUS: every
// file must analyse cleanly (the sanitizers watch), and what it finds must
// agree with the counts the manifests give.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "common/Convert.h"
#include "shape/ShapeFile.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

using Row = std::map<std::string, std::string>;

std::vector<Row> ReadManifest(const std::string& path) {
  std::ifstream in(path);
  std::vector<Row> rows;
  std::vector<std::string> header;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
    if (header.empty()) {
      header = fields;
      continue;
    }
    Row row;
    for (std::size_t i = 0; i < header.size() && i < fields.size(); ++i) row[header[i]] = fields[i];
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> ReadLines(const std::string& path) {
  ShapeText text;
  std::string bom;
  ReadShapeText(path, text, bom);
  return text.All();
}

int Int(const Row& row, const std::string& column) {
  return StrToInt(row.at(column));
}

long long ColumnSum(const StringGrid& grid, int col) {
  long long sum = 0;
  for (int row = 1; row < grid.RowCount(); ++row) sum += StrToInt(grid.Cell(col, row));
  return sum;
}

TEST(AnalyseShapeCorpus, RealShapesWarnExactlyWhenTheyHaveSeveralLevelsOrSubobjects) {
  const std::string corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set: no real shapes to analyse";
  const auto rows = ReadManifest(corpus + "/MANIFEST.tsv");
  ASSERT_FALSE(rows.empty());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.at("file"));
    FormFixture f;
    ASSERT_NO_THROW(f.LoadShape(ReadLines(corpus + "/" + row.at("file"))));
    const int levels = Int(row, "distance_levels");
    const int subobjects = Int(row, "sub_objects_in_first_level");
    std::vector<std::string> expected;
    if (levels > 1)
      expected.push_back("Die Datei enthält " + std::to_string(levels) +
                         " LOD's, es werden keine weiteren LOD's und Subobjekte hergestellt.");
    if (subobjects > 1)
      expected.push_back("Das erste LOD enthält " + std::to_string(subobjects) +
                         " Subobjekte, es werden keine weiteren LOD's oder Subobjekte "
                         "hergestellt. Es handelt sich NICHT um eine originale TSM-Datei!");
    std::vector<std::string> shown;
    for (const auto& box : f.dialogs.shown()) shown.push_back(box.text);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(f.form.Sub_ObjectsButton.enabled, expected.empty());
    EXPECT_EQ(f.form.ElementCount(), Int(row, "prim_states"));
    EXPECT_EQ(f.form.StringGrid3.RowCount() - 1, Int(row, "matrices"));
  }
}

TEST(AnalyseShapeCorpus, ExportedLayoutFacesAddUpToTheTriangles) {
  const std::string corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set: no real shapes to analyse";
  const auto rows = ReadManifest(corpus + "/tsm/MANIFEST.tsv");
  ASSERT_FALSE(rows.empty());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.at("file"));
    FormFixture f;
    ASSERT_NO_THROW(f.LoadShape(ReadLines(corpus + "/tsm/" + row.at("file"))));
    EXPECT_EQ(f.dialogs.Count(), 0u);
    EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);
    ASSERT_EQ(f.form.ElementCount(), Int(row, "prim_states"));
    EXPECT_EQ(f.form.StringGrid3.RowCount() - 1, Int(row, "matrices"));
    EXPECT_EQ(ColumnSum(f.form.StringGrid1, 2), Int(row, "faces"));
    EXPECT_EQ(ColumnSum(f.form.StringGrid3, 1), Int(row, "faces"));
    // Everything in sub-object 1: all vertices, once each.
    EXPECT_EQ(f.form.StringGrid2.Cell(1, 1), row.at("vertices"));
    EXPECT_EQ(f.form.StringGrid5.Cell(2, 1), row.at("faces"));
  }
}

}  // namespace
}  // namespace quarvel::testing
