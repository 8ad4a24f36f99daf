#include "shape/ShapeFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "SyntheticShape.h"
#include "common/Error.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

const std::string kMark("\xFF\xFE", 2);

// A file as an editor saves it: the mark, then every line in UTF-16
// little-endian followed by `lineEnd` (CR LF unless told otherwise).
std::string Utf16File(const Lines& lines, const std::u16string& lineEnd = u"\r\n") {
  std::string bytes = kMark;
  const auto put = [&bytes](char16_t c) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  };
  for (const auto& line : lines) {
    for (unsigned char c : line) put(c);
    for (char16_t c : lineEnd) put(c);
  }
  return bytes;
}

struct Decoded {
  ReadOutcome outcome;
  Lines lines;
  std::string bom = "unchanged";
  int questions = 0;
};

Decoded Decode(const std::string& bytes, bool goOnWithoutMark = false) {
  Decoded d;
  ReadShapeCallbacks callbacks;
  callbacks.continueWithoutUnicodeMark = [&d, goOnWithoutMark] {
    ++d.questions;
    return goOnWithoutMark;
  };
  d.outcome = DecodeShapeBytes(bytes, d.lines, d.bom, callbacks);
  return d;
}

TEST(ShapeFileFormat, LinesAreWrittenAsTheSimulatorReadsThem) {
  const Decoded d = Decode(Utf16File({"A", "B"}));
  EXPECT_EQ(d.outcome, ReadOutcome::Read);
  EXPECT_EQ(d.lines, (Lines{"A", "B", ""}));
  EXPECT_EQ(d.bom, kMark);
  const std::string written = EncodeShapeBytes(d.lines, d.bom);
  EXPECT_EQ(
      written,
      std::string("\xFF\xFE\x41\x00\x0D\x00\x0A\x00\x42\x00\x0D\x00\x0A\x00\x0D\x00\x0A", 17));
  EXPECT_EQ(Decode(written).lines, d.lines);
  // An empty text, and a text never read from a file (no mark).
  EXPECT_EQ(EncodeShapeBytes({}, kMark), std::string("\xFF\xFE\x0D\x00\x0A", 5));
  EXPECT_EQ(EncodeShapeBytes({"x", "y"}, ""), std::string("x\0\r\0\n\0y\0\r\0\n", 11));
}

TEST(ShapeFileFormat, RecordsAreReadAsTheBytesLieInTheFile) {
  // LF alone: every line after line 0 loses its last character.
  EXPECT_EQ(Decode(Utf16File({"first", "abc", "de"}, u"\n")).lines,
            (Lines{"first", "ab", "d", ""}));
  // Characters above U+00FF keep their low byte.
  EXPECT_EQ(Decode(kMark + std::string("h\0\r\0\n\0\xAC\x20\r\0\n\0", 12)).lines,
            (Lines{"h", "\xAC", ""}));
  // A CR that does not end a line is dropped and reading goes on behind it.
  EXPECT_EQ(Decode(kMark + std::string("a\0\r\n\0b\0\r\r\0\n", 11)).lines, (Lines{"a", "b"}));
  // The first record decides the mark: either byte suffices.
  const Decoded halfMark = Decode(std::string("\xFF\x41q\0\r\0\n", 7));
  EXPECT_EQ(halfMark.questions, 0);
  EXPECT_EQ(halfMark.lines, (Lines{"q"}));
  EXPECT_EQ(halfMark.bom, "\xFF\x41");
  // Without a mark the reader asks, and stops when declined.
  const std::string plain = "plain text\r\nsecond\r\n";
  const Decoded declined = Decode(plain, false);
  EXPECT_EQ(declined.outcome, ReadOutcome::Declined);
  EXPECT_EQ(declined.questions, 1);
  EXPECT_TRUE(declined.lines.empty());
  EXPECT_EQ(declined.bom, "pl");
  EXPECT_EQ(Decode(plain, true).lines.size(), 2u);
}

TEST(ShapeFileFormat, LongLinesAreSplitAtTheLastBlankWithinReach) {
  std::string line(250, 'x');
  line[99] = ' ';
  line[199] = ' ';
  line[229] = ' ';  // out of reach of the first piece
  Decoded d = Decode(Utf16File({line, line}));
  EXPECT_EQ(d.lines, (Lines{line, line.substr(0, 200), line.substr(200), ""}))
      << "line 0 is never split";

  // Without a blank in reach the line is cut one character at a time until
  // a blank comes within reach.
  std::string noBlank(300, 'y');
  noBlank[250] = ' ';
  d = Decode(Utf16File({"0", noBlank}));
  Lines expected = {"0"};
  expected.insert(expected.end(), 41, "y");
  expected.push_back(noBlank.substr(41, 210));
  expected.push_back(noBlank.substr(251));
  expected.push_back("");
  EXPECT_EQ(d.lines, expected);
}

TEST(ShapeFileFormat, BrokenFilesFailWithAnErrorAndKeepTheMark) {
  EXPECT_EQ(Decode("").outcome, ReadOutcome::Empty);
  EXPECT_EQ(Decode("").bom, "unchanged");
  EXPECT_THROW(Decode(std::string("\r\n\xFF\xFE", 4)), Error);
  EXPECT_THROW(Decode(std::string("\n", 1)), Error);
  // NUL characters: a binary file, in line 0 or behind it.
  EXPECT_THROW(Decode(kMark + std::string("a\0\0\0", 4)), Error);
  EXPECT_THROW(Decode(Utf16File({"ok"}) + std::string("\0\0\0\0\0\r\0\n", 8)), Error);

  TempDir dir;
  ShapeText text;
  std::string bom = "old";
  EXPECT_THROW(ReadShapeText(dir.File("missing.s"), text, bom), Error);
  EXPECT_THROW(ReadShapeText(dir.path().string(), text, bom), Error);
  WriteBytes(dir.File("binary.s"), Utf16File({"x"}) + std::string(64, '\0'));
  EXPECT_THROW(ReadShapeText(dir.File("binary.s"), text, bom), Error);
  EXPECT_EQ(bom, "old");
  EXPECT_TRUE(text.Empty());
}

TEST(ShapeFileFormat, ChunkedFileReadGivesWhatTheBytesGive) {
  // Big enough for records to straddle the reader's chunks, with one line
  // longer than a chunk.
  Lines lines = bench::MakeSyntheticShape(bench::OptionsForSize(1.2));
  lines.insert(lines.begin() + 5, std::string(700000, 'z') + " " + std::string(500, 'w'));
  const std::string bytes = EncodeShapeBytes(lines, kMark);
  TempDir dir;
  WriteBytes(dir.File("big.s"), bytes);

  std::vector<std::size_t> reported;
  ReadShapeCallbacks callbacks;
  callbacks.progress = [&reported](std::size_t n) { reported.push_back(n); };
  ShapeText text;
  std::string bom;
  ASSERT_EQ(ReadShapeText(dir.File("big.s"), text, bom, callbacks), ReadOutcome::Read);
  EXPECT_EQ(text.All(), Decode(bytes).lines);
  EXPECT_EQ(bom, kMark);
  // Progress after every 1000 further lines of the file, counted as records.
  ASSERT_EQ(reported.size(), (lines.size() - 1) / 1000);
  for (std::size_t i = 0; i < reported.size(); ++i) EXPECT_EQ(reported[i], 1000 * (i + 1));
}

std::vector<std::string> FilesIn(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ShapeFileWriting, EverySaveKeepsTheVersionBeforeItAsBackup) {
  TempDir dir;
  const std::string path = dir.File("lok.s");
  ASSERT_TRUE(WriteShapeFile(path, {"one"}, kMark));
  EXPECT_FALSE(fs::exists(dir.File("lok.BAK"))) << "a new file has nothing to back up";
  ASSERT_TRUE(WriteShapeFile(path, {"two"}, kMark));
  ASSERT_TRUE(WriteShapeFile(path, {"three"}, kMark));
  EXPECT_EQ(ReadBytes(path), EncodeShapeBytes({"three"}, kMark));
  EXPECT_EQ(ReadBytes(dir.File("lok.BAK")), EncodeShapeBytes({"two"}, kMark));
  EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"lok.BAK", "lok.s"}));

  EXPECT_EQ(BackupPathFor(dir.File("noext")), dir.File("noext.BAK"));
  // Saving the backup itself replaces it without a backup of its own.
  ASSERT_TRUE(WriteShapeFile(dir.File("lok.BAK"), {"c"}, kMark));
  EXPECT_EQ(ReadBytes(dir.File("lok.BAK")), EncodeShapeBytes({"c"}, kMark));
}

TEST(ShapeFileWriting, FailedSaveLeavesFileAndBackupAsTheyWere) {
  TempDir dir;
  EXPECT_FALSE(WriteShapeFile(dir.File("no/such/folder/x.s"), {"a"}, kMark));
  fs::create_directory(dir.File("folder.s"));
  EXPECT_FALSE(WriteShapeFile(dir.File("folder.s"), {"a"}, kMark));
  EXPECT_TRUE(fs::is_directory(dir.File("folder.s")));

  // The disk fills up half way: the size limit fails the write like a full
  // disk would, also for root.
  const std::string path = dir.File("full.s");
  WriteBytes(path, "current");
  WriteBytes(dir.File("full.BAK"), "older");
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = WriteShapeFile(path, Lines(5000, std::string(100, 'q')), kMark);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadBytes(path), "current");
  EXPECT_EQ(ReadBytes(dir.File("full.BAK")), "older");
  EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"folder.s", "full.BAK", "full.s"}));
}

}  // namespace
}  // namespace quarvel::testing
