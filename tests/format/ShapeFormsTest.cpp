// The binary and compressed forms: the simulator's converter's own pair read
// and written byte for byte, every shape of the corpus through the binary
// form and back, the oddities of real files, and text the grammar refuses.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <random>

#include "format/BinaryForm.h"
#include "format/ShapeFileForms.h"
#include "format/Values.h"
#include "support/ExportedShape.h"
#include "support/FormFixture.h"
#include "support/LanguageTexts.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;
using format::ShapeForm;
using Lines = std::vector<std::string>;

const std::string kMark("\xFF\xFE", 2);

const TextSource& German() {
  static const TextSource texts = LanguageTexts("Deutsch");
  return texts;
}

// A message of the readers in German holds `part`; in English it is
// worded too, with every placeholder filled.
template <typename Worded>
void ExpectWorded(const Worded& message, const std::string& part) {
  const std::string german = message.In(German());
  EXPECT_NE(german.find(part), std::string::npos) << german;
  const std::string english = message.In(LanguageTexts("English"));
  EXPECT_NE(english, german);
  EXPECT_EQ(english.find_first_of("{}"), std::string::npos) << english;
}

std::string Payload(const Lines& lines, std::string_view tail = format::kUsualSubHeaderTail) {
  format::EncodedPayload encoded = format::TextToBinary(lines, German(), tail);
  EXPECT_EQ(encoded.refusal, std::nullopt) << encoded.refusal->message;
  return encoded.payload;
}

// The lines the reader makes of a payload's text, the long way: its UTF-16
// file bytes read as a text file.
Lines ReadersLines(const std::string& payload) {
  Lines lines;
  std::string bom;
  DecodeShapeBytes(format::Utf16FileBytes(format::BinaryToText(payload)), lines, bom);
  return lines;
}

ShapeText Opened(const std::string& path, format::ShapeFileInfo& info) {
  ShapeText text;
  std::string bom;
  EXPECT_EQ(format::ReadShapeFileInAnyForm(path, text, bom, info), ReadOutcome::Read);
  return text;
}

TEST(ShapeForms, TheConvertersPairReadsAndWritesByteForByte) {
  if (CorpusDir().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set: no converter pair";
  const std::string folder = CorpusDir() + "/compressed/";
  const std::string compressed = ReadBytes(folder + "DK10f_A1tPnt5dLft_compressed.s");
  const std::string textFile = folder + "DK10f_A1tPnt5dLft_text.s";
  format::ShapeFileInfo info;
  EXPECT_TRUE(format::ConverterTextOfFile(compressed, info) == ReadBytes(textFile));
  EXPECT_EQ(info.form, ShapeForm::Compressed);
  EXPECT_TRUE(info.warnings.empty());

  // Opened, it is the text the converter wrote, cut as the reader cuts it.
  ShapeText fromText;
  std::string bom;
  ASSERT_EQ(ReadShapeText(textFile, fromText, bom), ReadOutcome::Read);
  const ShapeText opened = Opened(folder + "DK10f_A1tPnt5dLft_compressed.s", info);
  EXPECT_TRUE(opened.All() == fromText.All());
  EXPECT_EQ(opened.Continuations(), fromText.Continuations());

  // The text encodes into the converter's payload; saved compressed, it
  // inflates to that payload again.
  const std::string payload = InflatedPayload(compressed);
  EXPECT_TRUE(Payload(fromText.All()) == payload);
  const format::ShapeFileBytes saved = format::EncodeShapeFile(
      fromText.All(), ShapeForm::Compressed, kMark, info.subHeaderTail, German());
  EXPECT_EQ(saved.bytes.substr(0, 8), "SIMISA@F");
  EXPECT_EQ(saved.bytes.substr(12, 6), "@@@@\x78\x9C");
  EXPECT_TRUE(InflatedPayload(saved.bytes) == payload);
}

TEST(ShapeForms, EveryCorpusShapeComesBackFromTheBinaryFormUnchanged) {
  if (CorpusDir().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set: no real shapes";
  for (const std::string& folder : {CorpusDir(), CorpusDir() + "/tsm"}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() != ".s") continue;
      SCOPED_TRACE(entry.path().filename().string());
      const std::string payload = Payload(ReadShapeLines(entry.path().string()));
      // Straight into lines, as the window opens it, and through the reader.
      Lines lines;
      std::vector<std::size_t> pieces;
      ASSERT_TRUE(format::BinaryToLines(payload, lines, pieces));
      const Lines read = ReadersLines(payload);
      EXPECT_TRUE(lines == read);
      EXPECT_TRUE(Payload(read) == payload);
    }
  }
}

// The converter's compressed file of the pair, or where there is no corpus
// one of a small exported shape.
std::string CompressedFile() {
  if (!CorpusDir().empty())
    return ReadBytes(CorpusDir() + "/compressed/DK10f_A1tPnt5dLft_compressed.s");
  return format::BinaryFileBytes(ShapeForm::Compressed,
                                 Payload(BuildExportedShape(ElementsWithOwnSets(2, 6))));
}

TEST(ShapeForms, WhatRealFilesCarryIsReadWithWarningsOrRefusedWithTheNumbers) {
  TempDir dir;
  const std::string sound = CompressedFile();
  const std::string payload = InflatedPayload(sound);
  struct Case {
    const char* what;
    std::string file;
    std::string warning;  // "" none
    std::string error;    // "" none
  };
  std::string wrongLength = sound;
  wrongLength[8] = static_cast<char>(wrongLength[8] + 1);
  const std::string length = std::to_string(payload.size());
  // An image name's "a" of ".ace" made U+2061: one byte per character cannot
  // hold it.
  std::string wide = payload;
  std::size_t name = wide.find(std::string("A\0C\0E\0", 6));
  if (name == std::string::npos) name = wide.find(std::string("a\0c\0e\0", 6));
  ASSERT_NE(name, std::string::npos);
  wide[name + 1] = '\x20';
  const Case cases[] = {
      {"a character beyond U+00FF", format::BinaryFileBytes(ShapeForm::Binary, wide), "",
       "kann nicht gespeichert werden, ohne Zeichen zu verlieren"},
      {"the converter's usual header", sound, "", ""},
      {"the uncompressed binary form", format::BinaryFileBytes(ShapeForm::Binary, payload), "", ""},
      {"junk behind the stream", sound + "junk!", "noch 5 Bytes;", ""},
      {"a line end behind the stream", sound + "\n", "noch 1 Byte;", ""},
      {"no checksum behind the stream", sound.substr(0, sound.size() - 4), "Prüfsumme", ""},
      {"a length that is not the payload's", wrongLength, "",
       "mit " + std::to_string(payload.size() + 1) + " Bytes an, entpackt sind es aber " + length +
           " Bytes"},
      {"a stream cut short", sound.substr(0, sound.size() / 2), "", "abgeschnitten"},
      {"no zlib data", sound.substr(0, 16) + "nothing", "", "keine zlib-Daten"},
      {"a binary form cut short",
       format::BinaryFileBytes(ShapeForm::Binary, payload.substr(0, payload.size() - 3)), "",
       "Die Binärdaten sind beschädigt (bei Byte 0x10): ein Block ist länger als sein Umfeld."},
      {"a list where only the shape belongs",
       format::BinaryFileBytes(ShapeForm::Binary,
                               payload.substr(0, 16) + std::string("\x07\0\0\0\1\0\0\0\0", 9)),
       "",
       "Die Binärdaten sind beschädigt (bei Byte 0x10): Block \"points\" ist in der Datei nicht "
       "erlaubt."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File("case.s");
    WriteBytes(path, c.file);
    format::ShapeFileInfo info;
    ShapeText text;
    std::string bom;
    if (!c.error.empty()) {
      try {
        format::ReadShapeFileInAnyForm(path, text, bom, info);
        ADD_FAILURE() << "read";
      } catch (const format::FormatError& error) {
        ExpectWorded(error, c.error);
      }
      EXPECT_TRUE(text.Empty());
      continue;
    }
    ASSERT_EQ(format::ReadShapeFileInAnyForm(path, text, bom, info), ReadOutcome::Read);
    EXPECT_TRUE(text.All() == ReadersLines(payload));
    EXPECT_EQ(info.warnings.size(), c.warning.empty() ? 0u : 1u);
    if (!c.warning.empty() && !info.warnings.empty()) ExpectWorded(info.warnings[0], c.warning);
  }
  // Text handed to the converter's reader is refused as no binary form.
  format::ShapeFileInfo info;
  EXPECT_THROW(format::ConverterText("SIMISA@@@@@@@@@@JINX0s1t______\r\n", info),
               format::FormatError);

  // Sub-headers as real files have them are kept for the next save.
  for (const std::string tail : {"_____\r\n\r", "______\n\n"}) {
    SCOPED_TRACE(tail);
    const std::string path = dir.File("tail.s");
    const std::string tailed = payload.substr(0, 8) + tail + payload.substr(16);
    WriteBytes(path, format::BinaryFileBytes(ShapeForm::Compressed, tailed));
    format::ShapeFileInfo info;
    const ShapeText text = Opened(path, info);
    EXPECT_EQ(info.subHeaderTail, tail);
    // The reader ends the header line at the tail's first line end.
    EXPECT_EQ(text[0], "SIMISA@@@@@@@@@@JINX0s1t" + tail.substr(0, tail.find_first_of("\r\n")));
    const format::ShapeFileBytes saved =
        format::EncodeShapeFile(text.All(), info.form, kMark, info.subHeaderTail, German());
    EXPECT_TRUE(InflatedPayload(saved.bytes) == tailed);
  }
}

TEST(ShapeForms, TextTheGrammarRefusesIsNotEncoded) {
  Lines lines = BuildExportedShape(ElementsWithOwnSets(2, 6));
  const std::size_t point = LineWith(lines, "point (");
  lines[point] = "\t\tpoint ( 0x10 0.2 0 )";
  format::EncodedPayload encoded = format::TextToBinary(lines, German());
  ASSERT_TRUE(encoded.refusal);
  EXPECT_EQ(encoded.refusal->line, point);
  EXPECT_EQ(encoded.refusal->message, "'0x10' in \"point\" ist keine gültige Gleitkommazahl.");
  EXPECT_TRUE(encoded.payload.empty());
  // A block the table does not know cannot be written in binary either.
  lines = BuildExportedShape(ElementsWithOwnSets(2, 6));
  lines.insert(lines.begin() + 3, "\tnewer_block ( 1 )");
  encoded = format::TextToBinary(lines, LanguageTexts("English"));
  ASSERT_TRUE(encoded.refusal);
  EXPECT_EQ(encoded.refusal->line, 3u);
  EXPECT_EQ(encoded.refusal->message, "Unknown block \"newer_block\": it is skipped.");
}

// Floats are read the way the library reads them (nearest single value),
// also through the quick way most of them take.
TEST(ShapeForms, FloatsReadAsTheNearestSingleValue) {
  std::mt19937_64 random(42);
  std::vector<std::string> texts = {"0",
                                    "-0",
                                    "40",
                                    "0.707107",
                                    "1e-005",
                                    "2.38419e-007",
                                    "3.4e38",
                                    "16777217",
                                    "0.1",
                                    "123456.5",
                                    "1.17549e-38",
                                    "-1.5e+006",
                                    "1.00000005960464477539062500001"};
  for (int i = 0; i < 200000; ++i) {
    char buffer[40];
    const double value =
        static_cast<double>(static_cast<std::int64_t>(random() % 2000000001) - 1000000000) /
        std::pow(10.0, static_cast<double>(random() % 12));
    std::snprintf(buffer, sizeof buffer, "%.*f", static_cast<int>(random() % 10), value);
    texts.emplace_back(buffer);
  }
  for (const std::string& text : texts) {
    float expected = 0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    ASSERT_TRUE(format::IsValueText(format::ValueType::Float, text)) << text;
    ASSERT_EQ(format::NumberBits(format::ValueType::Float, text),
              std::bit_cast<std::uint32_t>(expected))
        << text;
  }
}

}  // namespace
}  // namespace quarvel::testing
