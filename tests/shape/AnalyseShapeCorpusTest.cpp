// The analysis over the real shapes named by QUARVEL_CORPUS: every file must
// analyse cleanly (the sanitizers watch) and agree with its manifest.
#include <gtest/gtest.h>

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
  std::vector<std::vector<std::string>> lines;
  for (std::string line; std::getline(in, line);) {
    std::stringstream stream(line);
    auto& fields = lines.emplace_back();
    for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
  }
  std::vector<Row> rows;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    Row& row = rows.emplace_back();
    for (std::size_t c = 0; c < lines[i].size() && c < lines[0].size(); ++c)
      row[lines[0][c]] = lines[i][c];
  }
  return rows;
}

// Opens every shape of the manifest in a fresh window and hands it over.
template <typename Check>
void ForEachShape(const std::string& folder, Check check) {
  ASSERT_FALSE(folder.empty());
  const auto rows = ReadManifest(folder + "/MANIFEST.tsv");
  ASSERT_FALSE(rows.empty());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.at("file"));
    ShapeText text;
    std::string bom;
    ReadShapeText(folder + "/" + row.at("file"), text, bom);
    FormFixture f;
    ASSERT_NO_THROW(f.LoadShape(text.All()));
    check(f, [&row](const char* column) { return StrToInt(row.at(column)); });
  }
}

long long ColumnSum(const StringGrid& grid, int col) {
  long long sum = 0;
  for (int row = 1; row < grid.RowCount(); ++row) sum += StrToInt(grid.Cell(col, row));
  return sum;
}

TEST(AnalyseShapeCorpus, RealShapesWarnExactlyWhenTheyHaveSeveralLevelsOrSubobjects) {
  if (CorpusDir().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set: no real shapes to analyse";
  ForEachShape(CorpusDir(), [](FormFixture& f, auto count) {
    std::vector<std::string> expected;
    if (count("distance_levels") > 1)
      expected.push_back("Die Datei enthält " + std::to_string(count("distance_levels")) +
                         " LOD's, es werden keine weiteren LOD's und Subobjekte hergestellt.");
    if (count("sub_objects_in_first_level") > 1)
      expected.push_back("Das erste LOD enthält " +
                         std::to_string(count("sub_objects_in_first_level")) +
                         " Subobjekte, es werden keine weiteren LOD's oder Subobjekte "
                         "hergestellt. Es handelt sich NICHT um eine originale TSM-Datei!");
    std::vector<std::string> shown;
    for (const auto& box : f.dialogs.shown()) shown.push_back(box.text);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(f.form.Sub_ObjectsButton.enabled, expected.empty());
    EXPECT_EQ(f.form.ElementCount(), count("prim_states"));
    EXPECT_EQ(f.form.StringGrid3.RowCount() - 1, count("matrices"));
  });
}

TEST(AnalyseShapeCorpus, ExportedLayoutFacesAddUpToTheTriangles) {
  if (CorpusDir().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set: no real shapes to analyse";
  ForEachShape(CorpusDir() + "/tsm", [](FormFixture& f, auto count) {
    EXPECT_EQ(f.dialogs.Count(), 0u);
    EXPECT_EQ(f.form.ElementCount(), count("prim_states"));
    EXPECT_EQ(ColumnSum(f.form.StringGrid1, 2), count("faces"));
    EXPECT_EQ(ColumnSum(f.form.StringGrid3, 1), count("faces"));
    // Everything in sub-object 1: every vertex once.
    EXPECT_EQ(f.form.StringGrid2.Cell(1, 1), std::to_string(count("vertices")));
    EXPECT_EQ(f.form.StringGrid5.Cell(2, 1), std::to_string(count("faces")));
  });
}

}  // namespace
}  // namespace quarvel::testing
