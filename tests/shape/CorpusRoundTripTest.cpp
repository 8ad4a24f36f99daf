// Every real shape of the corpus survives a read, a write and a second read,
// and the written bytes have the layout the simulator reads.
#include <gtest/gtest.h>

#include <filesystem>

#include "shape/ShapeFile.h"
#include "support/FormFixture.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusShapes() {
  std::vector<fs::path> shapes;
  const fs::path corpus = testing::CorpusDir();
  for (const fs::path& folder : {corpus, corpus / "tsm"}) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
      if (entry.path().extension() == ".s") shapes.push_back(entry.path());
  }
  std::sort(shapes.begin(), shapes.end());
  return shapes;
}

// The mark, line 0 as low-byte-first pairs, every further line as
// high-byte-first pairs with 00 0D 00 0A behind it, and a lone 0A at the end.
void ExpectWrittenLayout(const std::string& bytes, const std::vector<std::string>& lines) {
  ASSERT_GE(bytes.size(), 5u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::size_t at = 2;
  for (unsigned char c : lines[0]) {
    ASSERT_EQ(static_cast<unsigned char>(bytes[at]), c);
    ASSERT_EQ(bytes[at + 1], '\0');
    at += 2;
  }
  ASSERT_EQ(bytes.substr(at, 3), std::string("\r\0\n", 3));
  at += 3;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    for (unsigned char c : lines[i]) {
      ASSERT_EQ(bytes[at], '\0') << "line " << i + 1;
      ASSERT_EQ(static_cast<unsigned char>(bytes[at + 1]), c) << "line " << i + 1;
      at += 2;
    }
    ASSERT_EQ(bytes.substr(at, 4), std::string("\0\r\0\n", 4)) << "line " << i + 1;
    at += 4;
  }
  EXPECT_EQ(at, bytes.size());
  EXPECT_EQ(bytes.back(), '\n');
}

// The file's lines as plain UTF-16 little-endian with CR LF line ends, each
// character cut to its low byte.
std::vector<std::string> Utf16Lines(const std::string& bytes) {
  std::vector<std::string> lines(1);
  for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
    if (bytes[at] == '\r' && bytes[at + 1] == '\0' &&
        bytes.compare(at + 2, 2, std::string("\n\0", 2)) == 0) {
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
void ExpectSameLinesAsTheFile(const std::vector<std::string>& read, const std::string& bytes) {
  const auto expected = Utf16Lines(bytes);
  std::size_t r = 0;
  for (std::size_t e = 0; e < expected.size(); ++e) {
    std::string joined;
    do {
      ASSERT_LT(r, read.size()) << "file line " << e + 1;
      if (r > 0) {
        ASSERT_LE(read[r].size(), 210u) << "file line " << e + 1;
      }
      joined += read[r++];
    } while (joined.size() < expected[e].size());
    ASSERT_EQ(joined, expected[e]) << "file line " << e + 1;
  }
  EXPECT_EQ(r, read.size());
}

TEST(CorpusRoundTrip, EveryShapeReadsWritesAndReadsAgainTheSame) {
  if (testing::CorpusDir().empty())
    GTEST_SKIP() << "QUARVEL_CORPUS is not set: no real shapes to read";
  const auto shapes = CorpusShapes();
  ASSERT_FALSE(shapes.empty()) << "no .s files in " << testing::CorpusDir();
  testing::TempDir dir;
  for (const fs::path& shape : shapes) {
    SCOPED_TRACE(shape.filename().string());
    ShapeText first;
    std::string bom;
    ReadShapeCallbacks callbacks;
    callbacks.continueWithoutUnicodeMark = [] { return false; };
    ASSERT_EQ(ReadShapeText(shape.string(), first, bom, callbacks), ReadOutcome::Read);
    EXPECT_EQ(bom, "\xFF\xFE");
    EXPECT_EQ(first.Get(0), "SIMISA@@@@@@@@@@JINX0s1t______");
    ExpectSameLinesAsTheFile(first.All(), testing::ReadBytes(shape.string()));

    const std::string copy = dir.File(shape.filename().string());
    ASSERT_TRUE(WriteShapeFile(copy, first.All(), bom));
    const std::string written = testing::ReadBytes(copy);
    ExpectWrittenLayout(written, first.All());

    ShapeText second;
    std::string secondBom;
    ASSERT_EQ(ReadShapeText(copy, second, secondBom, callbacks), ReadOutcome::Read);
    EXPECT_EQ(second.All(), first.All());
    EXPECT_EQ(secondBom, bom);
  }
}

}  // namespace
}  // namespace quarvel
