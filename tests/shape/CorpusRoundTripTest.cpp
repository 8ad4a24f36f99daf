// Every real shape of the corpus survives a read, a write and a second read,
// and the written bytes have the layout the simulator reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "shape/ShapeFile.h"
#include "support/FormFixture.h"

namespace quarvel {
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

TEST(CorpusRoundTrip, EveryShapeReadsWritesAndReadsAgainTheSame) {
  const fs::path corpus = testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set: no real shapes to read";
  std::vector<fs::path> shapes;
  for (const fs::path& folder : {corpus, corpus / "tsm"})
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".s") shapes.push_back(entry.path());
  std::sort(shapes.begin(), shapes.end());
  ASSERT_FALSE(shapes.empty()) << "no .s files in " << corpus;

  testing::TempDir dir;
  for (const fs::path& shape : shapes) {
    SCOPED_TRACE(shape.filename().string());
    ShapeText first;
    std::string bom;
    ASSERT_EQ(ReadShapeText(shape.string(), first, bom), ReadOutcome::Read);
    EXPECT_EQ(bom, "\xFF\xFE");
    ExpectSameLinesAsTheFile(first.All(), Utf16Lines(testing::ReadBytes(shape.string())));

    const std::string copy = dir.File(shape.filename().string());
    ASSERT_TRUE(WriteShapeFile(copy, first.All(), bom));
    EXPECT_TRUE(testing::ReadBytes(copy) == ExpectedBytes(first.All())) << "written layout";
    ShapeText second;
    ASSERT_EQ(ReadShapeText(copy, second, bom), ReadOutcome::Read);
    EXPECT_TRUE(second.All() == first.All()) << "second read";
  }
}

}  // namespace
}  // namespace quarvel
