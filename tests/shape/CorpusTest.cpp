// The real shapes named by QUARVEL_CORPUS: every file survives a read, a
// write and a second read with the layout the simulator reads, and analyses
// cleanly (the sanitizers watch) in agreement with its manifest, and passes
// the whole-shape check.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/Convert.h"
#include "format/ShapeCheck.h"
#include "shape/ShapeFile.h"
#include "support/FormFixture.h"
#include "support/LanguageTexts.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The file's lines read as plain UTF-16 little-endian split at CR LF, each
// character cut to its low byte.
Lines Utf16Lines(const std::string& bytes) {
  Lines lines(1);
  for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
    if (bytes.compare(at, 4, std::string("\r\0\n\0", 4)) == 0) {
      lines.emplace_back();
      at += 2;
    } else {
      lines.back() += bytes[at];
    }
  }
  return lines;
}

// The reader's lines are the file's lines, long ones cut into pieces of at
// most 210 characters (line 0 excepted).
void ExpectSameLinesAsTheFile(const Lines& read, const Lines& file) {
  std::size_t r = 0;
  for (std::size_t e = 0; e < file.size(); ++e) {
    std::string joined;
    do {
      ASSERT_LT(r, read.size()) << "file line " << e + 1;
      ASSERT_TRUE(r == 0 || read[r].size() <= 210) << "file line " << e + 1;
      joined += read[r++];
    } while (joined.size() < file[e].size());
    ASSERT_EQ(joined, file[e]) << "file line " << e + 1;
  }
  EXPECT_EQ(r, read.size());
}

// The mark, line 0 as pairs c 00, then 0D 00 0A; every further line as
// pairs 00 c followed by 00 0D 00 0A; so the file ends with a lone 0A.
std::string ExpectedBytes(const Lines& lines) {
  std::string bytes = "\xFF\xFE";
  for (char c : lines[0]) bytes += {c, '\0'};
  bytes += {'\r', '\0', '\n'};
  for (std::size_t i = 1; i < lines.size(); ++i) {
    for (char c : lines[i]) bytes += {'\0', c};
    bytes += {'\0', '\r', '\0', '\n'};
  }
  return bytes;
}

TEST(Corpus, EveryShapeReadsWritesAndReadsAgainTheSame) {
  const fs::path corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set: no real shapes to read";
  std::vector<fs::path> shapes;
  for (const fs::path& folder : {corpus, corpus / "tsm"})
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".s") shapes.push_back(entry.path());
  std::sort(shapes.begin(), shapes.end());
  ASSERT_FALSE(shapes.empty()) << "no .s files in " << corpus;

  TempDir dir;
  for (const fs::path& shape : shapes) {
    SCOPED_TRACE(shape.filename().string());
    ShapeText first;
    std::string bom;
    ASSERT_EQ(ReadShapeText(shape.string(), first, bom), ReadOutcome::Read);
    EXPECT_EQ(bom, "\xFF\xFE");
    ExpectSameLinesAsTheFile(first.All(), Utf16Lines(ReadBytes(shape.string())));

    const std::string copy = dir.File(shape.filename().string());
    ASSERT_EQ(WriteShapeFile(copy, first.All(), bom), std::nullopt);
    EXPECT_TRUE(ReadBytes(copy) == ExpectedBytes(first.All())) << "written layout";
    EXPECT_TRUE(ReadShapeLines(copy) == first.All()) << "second read";
  }
}

// Opens every shape of a manifest in a fresh window and hands it over with
// its manifest counts.
template <typename Check>
void ForEachShape(const std::string& folder, Check check) {
  const auto rows = ReadManifest(folder);
  ASSERT_FALSE(rows.empty());
  for (const ManifestRow& row : rows) {
    SCOPED_TRACE(row.at("file"));
    FormFixture f;
    ASSERT_NO_THROW(f.LoadShape(ReadShapeLines(folder + "/" + row.at("file"))));
    check(f, [&row](const char* column) { return StrToInt(row.at(column)); });
    EXPECT_EQ(f.form.session.Elements(), StrToInt(row.at("prim_states")));
    EXPECT_EQ(f.form.StringGrid3.RowCount() - 1, StrToInt(row.at("matrices")));
  }
}

long long ColumnSum(const StringGrid& grid, int col) {
  long long sum = 0;
  for (int row = 1; row < grid.RowCount(); ++row) sum += StrToInt(grid.Cell(col, row));
  return sum;
}

TEST(Corpus, ShapesWarnExactlyWhenTheyHaveSeveralLevelsOrSubobjects) {
  if (CorpusDir().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set: no real shapes to analyse";
  ForEachShape(CorpusDir(), [](FormFixture& f, auto count) {
    std::vector<std::string> expected, shown;
    if (count("distance_levels") > 1)
      expected.push_back("Die Datei enthält " + std::to_string(count("distance_levels")) +
                         " LOD's, es werden keine weiteren LOD's und Subobjekte hergestellt.");
    if (count("sub_objects_in_first_level") > 1)
      expected.push_back("Das erste LOD enthält " +
                         std::to_string(count("sub_objects_in_first_level")) +
                         " Subobjekte, es werden keine weiteren LOD's oder Subobjekte "
                         "hergestellt. Es handelt sich NICHT um eine originale TSM-Datei!");
    for (const auto& box : f.dialogs.shown) shown.push_back(box.text);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(f.form.Sub_ObjectsButton.enabled, expected.empty());
  });
}

TEST(Corpus, ExportedLayoutFacesAddUpToTheTriangles) {
  if (CorpusDir().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set: no real shapes to analyse";
  ForEachShape(CorpusDir() + "/tsm", [](FormFixture& f, auto count) {
    EXPECT_EQ(f.dialogs.Count(), 0u);
    EXPECT_EQ(ColumnSum(f.form.StringGrid1, 2), count("faces"));
    EXPECT_EQ(ColumnSum(f.form.StringGrid3, 1), count("faces"));
    // Everything in sub-object 1: every vertex once.
    EXPECT_EQ(f.form.StringGrid2.Cell(1, 1), std::to_string(count("vertices")));
    EXPECT_EQ(f.form.StringGrid5.Cell(2, 1), std::to_string(count("faces")));
  });
}

TEST(Corpus, EveryShapePassesTheCheckAndOnlyTheEmptyAnimationsAreWarnedOf) {
  if (CorpusDir().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set: no real shapes to check";
  for (const std::string& folder : {CorpusDir(), CorpusDir() + "/tsm"}) {
    for (const ManifestRow& row : ReadManifest(folder)) {
      SCOPED_TRACE(row.at("file"));
      std::vector<std::string> problems;
      for (const ShapeProblem& problem :
           CheckShape(ReadShapeLines(folder + "/" + row.at("file")), LanguageTexts("Deutsch")))
        problems.push_back(std::to_string(problem.line + 1) + ": " + problem.message);
      // Crate.s ends with "animations ( 0" and ")" on the next line.
      if (row.at("file") == "Crate.s") {
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].find("Leerer Block \"animations ( 0 )\""), std::string::npos);
      } else {
        EXPECT_EQ(problems, std::vector<std::string>{});
      }
    }
  }
}

}  // namespace
}  // namespace quarvel::testing
