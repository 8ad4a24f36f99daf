#include "shape/ShapeFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "SyntheticShape.h"
#include "common/Error.h"
#include "support/FileSystem.h"
#include "support/FormFixture.h"
#include "support/LanguageTexts.h"

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
  // A CR that does not end a line is dropped and reading goes on behind it.
  EXPECT_EQ(Decode(kMark + std::string("a\0\r\n\0b\0\r\r\0\n", 11)).lines, (Lines{"a", "b"}));
  // Only FF FE is the mark; a file that starts otherwise is asked about.
  for (const std::string& start : {std::string("\xFF\x41"), std::string("\0\xFE", 2),
                                   std::string("\xFF\0", 2), std::string("\xFF\xFF")}) {
    const Decoded unmarked = Decode(start + std::string("q\0\r\0\n", 5));
    EXPECT_EQ(unmarked.questions, 1);
    EXPECT_EQ(unmarked.outcome, ReadOutcome::Declined);
  }
}

// One byte per character holds U+0000 to U+00FF; a character beyond would be
// saved as another one, so the file is refused with its line and character.
TEST(ShapeFileFormat, ACharacterBeyondLatin1IsRefusedWithItsLine) {
  const struct {
    std::string bytes;
    std::string values;
  } cases[] = {
      {kMark + std::string("h\0\r\0\n\0\xAC\x20\r\0\n\0", 12), "line=2 code=20AC"},
      {kMark + std::string("h\0\0\x01\r\0\n", 7), "line=1 code=0100"},
      {kMark + std::string("h\0\r\0\n\0a\0\0\xD8\r\0\n\0", 14), "line=2 code=D800"},
  };
  for (const auto& [bytes, values] : cases) {
    try {
      Decode(bytes);
      ADD_FAILURE() << values;
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()), "S381 " + values);
    }
  }
}

TEST(ShapeFileFormat, WithoutTheMarkTheReaderAsks) {
  // Without a mark the reader asks, and stops when declined.
  const std::string plain = "plain text\r\nsecond\r\n";
  const Decoded declined = Decode(plain, false);
  EXPECT_EQ(declined.outcome, ReadOutcome::Declined);
  EXPECT_EQ(declined.questions, 1);
  EXPECT_TRUE(declined.lines.empty());
  EXPECT_EQ(declined.bom, "pl");
  // Going on reads UTF-16 without its mark; 8-bit text would pair up into
  // characters beyond U+00FF and is refused rather than garbled.
  EXPECT_EQ(Decode(std::string("p\0\r\0\n\0q\0\r\0\n", 11), true).lines, (Lines{"", "q"}));
  EXPECT_THROW(Decode(plain, true), Error);
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
  ASSERT_EQ(WriteShapeFile(path, {"one"}, kMark), std::nullopt);
  EXPECT_FALSE(fs::exists(dir.File("lok.BAK"))) << "a new file has nothing to back up";
  ASSERT_EQ(WriteShapeFile(path, {"two"}, kMark), std::nullopt);
  ASSERT_EQ(WriteShapeFile(path, {"three"}, kMark), std::nullopt);
  EXPECT_EQ(ReadBytes(path), EncodeShapeBytes({"three"}, kMark));
  EXPECT_EQ(ReadBytes(dir.File("lok.BAK")), EncodeShapeBytes({"two"}, kMark));
  EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"lok.BAK", "lok.s"}));

  EXPECT_EQ(BackupPathFor(dir.File("noext")), dir.File("noext.BAK"));
  // Saving the backup itself replaces it without a backup of its own.
  ASSERT_EQ(WriteShapeFile(dir.File("lok.BAK"), {"c"}, kMark), std::nullopt);
  EXPECT_EQ(ReadBytes(dir.File("lok.BAK")), EncodeShapeBytes({"c"}, kMark));
}

TEST(ShapeFileWriting, FailedSaveLeavesFileAndBackupAsTheyWere) {
  TempDir dir;
  EXPECT_NE(WriteShapeFile(dir.File("no/such/folder/x.s"), {"a"}, kMark), std::nullopt);
  fs::create_directory(dir.File("folder.s"));
  EXPECT_NE(WriteShapeFile(dir.File("folder.s"), {"a"}, kMark), std::nullopt);
  EXPECT_TRUE(fs::is_directory(dir.File("folder.s")));

  // The disk fills up half way: the size limit fails the write like a full
  // disk would, also for root.
  const std::string path = dir.File("full.s");
  WriteBytes(path, "current");
  WriteBytes(dir.File("full.BAK"), "older");
  std::optional<std::string> failure;
  SKIP_ON_WINDOWS("no limit on the size of the files a process writes");
  WithFullDisk(100000, [&] {
    failure = InGerman(WriteShapeFile(path, Lines(5000, std::string(100, 'q')), kMark));
  });
  ASSERT_NE(failure, std::nullopt);
  EXPECT_EQ(*failure,
            path + " konnte nicht vollständig geschrieben werden (die Datei wäre zu groß).");
  EXPECT_EQ(ReadBytes(path), "current");
  EXPECT_EQ(ReadBytes(dir.File("full.BAK")), "older");
  EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"folder.s", "full.BAK", "full.s"}));
}

const std::string kChooseAnother = " Bitte unter einem anderen Namen speichern.";

TEST(ShapeFileWriting, TheFileTheTextWasReadFromIsKeptNeverReplaced) {
  TempDir dir;
  const std::string shape = dir.File("x.s"), backup = dir.File("x.BAK");
  WriteBytes(shape, "an older split");
  WriteBytes(backup, "the only unsplit original");
  const FolderPicture before = PictureOf(dir.path());
  const auto source = IdentityOf(backup);

  // Opened as x.BAK, saved as x.s: the old x.s would be renamed over it.
  EXPECT_EQ(InGerman(WriteShapeFile(shape, {"split"}, kMark, {}, source)),
            "Die Sicherung " + backup +
                " ist die Datei, aus der der Text gelesen wurde; sie würde beim Speichern durch " +
                shape + " ersetzt und ginge verloren." + kChooseAnother);
  // Saved under its own name, x.BAK would be its own backup.
  EXPECT_EQ(InGerman(WriteShapeFile(backup, {"split"}, kMark, {}, source)),
            backup +
                " ist die Datei, aus der der Text gelesen wurde, und zugleich ihre eigene "
                "Sicherung (.BAK); sie ginge beim Speichern verloren." +
                kChooseAnother);
  EXPECT_EQ(PictureOf(dir.path()), before);

  // Saving over the file read keeps it as the backup.
  ASSERT_EQ(WriteShapeFile(shape, {"split"}, kMark, {}, IdentityOf(shape)), std::nullopt);
  EXPECT_EQ(ReadBytes(backup), "an older split");
  EXPECT_EQ(ReadBytes(shape), EncodeShapeBytes({"split"}, kMark));
}

TEST(ShapeFileWriting, FoldersDevicesPipesAndSocketsAreNeverReplaced) {
  TempDir dir;
  WriteBytes(dir.File("x.s"), "current");
  fs::create_directory(dir.File("x.BAK"));
  WriteBytes(dir.File("x.BAK/notes.txt"), "the modeller's notes");
  SKIP_ON_WINDOWS("FIFOs and sockets in folders");
  MakeFifo(dir.File("pipe.s"));
  MakeSocket(dir.File("socket.s"));
  WriteBytes(dir.File("p.s"), "current");
  MakeFifo(dir.File("p.BAK"));
  const FolderPicture before = PictureOf(dir.path());

  const std::string special =
      " ist keine gewöhnliche Datei (sondern ein Gerät, eine Pipe oder ein Socket) und wird nicht "
      "ersetzt.";
  EXPECT_EQ(InGerman(WriteShapeFile(dir.File("x.s"), {"a"}, kMark)),
            "Die Sicherung kann nicht angelegt werden: " + dir.File("x.BAK") +
                " ist ein Ordner und wird nicht ersetzt.");
  EXPECT_EQ(InGerman(WriteShapeFile(dir.File("pipe.s"), {"a"}, kMark)),
            dir.File("pipe.s") + special);
  EXPECT_EQ(InGerman(WriteShapeFile(dir.File("socket.s"), {"a"}, kMark)),
            dir.File("socket.s") + special);
  EXPECT_EQ(InGerman(WriteShapeFile(dir.File("p.s"), {"a"}, kMark)),
            "Die Sicherung kann nicht angelegt werden: " + dir.File("p.BAK") + special);
  EXPECT_EQ(PictureOf(dir.path()), before);
}

TEST(ShapeFileWriting, WriteProtectedShapesAndBackupsStayAsTheyAre) {
  TempDir dir;
  const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  WriteBytes(dir.File("locked.s"), "current");
  fs::permissions(dir.File("locked.s"), readOnly);
  WriteBytes(dir.File("open.s"), "current");
  // Writable by the unprivileged user, so that only its backup is protected.
  fs::permissions(dir.File("open.s"),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::add);
  WriteBytes(dir.File("open.BAK"), "kept on purpose");
  fs::permissions(dir.File("open.BAK"), readOnly);
  const FolderPicture before = PictureOf(dir.path());
  const auto results = RunUnprivileged(dir.path(), [&] {
    return InGerman(WriteShapeFile(dir.File("locked.s"), {"a"}, kMark)).value_or("written") + "\n" +
           InGerman(WriteShapeFile(dir.File("open.s"), {"a"}, kMark)).value_or("written");
  });
  if (!results) GTEST_SKIP() << "running as root and no unprivileged user to drop to";
  EXPECT_EQ(*results, dir.File("locked.s") +
                          " ist schreibgeschützt und wird nicht ersetzt.\nDie Sicherung kann "
                          "nicht angelegt werden: " +
                          dir.File("open.BAK") + " ist schreibgeschützt und wird nicht ersetzt.");
  EXPECT_EQ(PictureOf(dir.path()), before);
}

TEST(ShapeFileWriting, ThroughALinkTheFileItPointsToIsWrittenAndBackedUpBesideIt) {
  TempDir dir;
  fs::create_directory(dir.File("real"));
  WriteBytes(dir.File("real/loco.s"), "old");
  SKIP_ON_WINDOWS("symbolic links need a privilege there");
  fs::create_symlink("real/loco.s", dir.File("loco.s"));
  fs::create_symlink("real/fresh.s", dir.File("fresh.s"));  // nothing there yet
  FolderPicture expected = PictureOf(dir.path());

  ASSERT_EQ(WriteShapeFile(dir.File("loco.s"), {"new"}, kMark), std::nullopt);
  ASSERT_EQ(WriteShapeFile(dir.File("fresh.s"), {"first"}, kMark), std::nullopt);
  // The new version keeps the old one's permissions; a new file gets the
  // usual ones.
  const std::string old = expected["real/loco.s"];
  expected["real/loco.BAK"] = old;
  expected["real/loco.s"] = old.substr(0, old.find(": ") + 2) + EncodeShapeBytes({"new"}, kMark);
  expected["real/fresh.s"] = EntryOf(dir.path(), "real/fresh.s");
  EXPECT_EQ(ReadBytes(dir.File("real/fresh.s")), EncodeShapeBytes({"first"}, kMark));
  EXPECT_EQ(PictureOf(dir.path()), expected);
}

}  // namespace
}  // namespace quarvel::testing
