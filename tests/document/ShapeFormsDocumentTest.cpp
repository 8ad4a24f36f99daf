// A shape opened in a binary form is worked on as text and saved in the form
// it came in; "Speichern unter..." chooses the form; a text the binary form
// cannot hold is not saved at all.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "format/BinaryForm.h"
#include "format/ShapeFileForms.h"
#include "support/ExportedShape.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;
using format::ShapeForm;
using Lines = std::vector<std::string>;

std::string PayloadOf(const Lines& lines) {
  return format::TextToBinary(lines, {}).payload;
}

struct CompressedShape : FormFixture {
  CompressedShape() {
    WriteBytes(path,
               format::BinaryFileBytes(ShapeForm::Compressed,
                                       PayloadOf(BuildExportedShape(ElementsWithOwnSets(3)))));
    original = ReadBytes(path);
    dialogs.ChooseFile(path);
    form.OeffnenButtonClick();
  }
  const std::string path = dir.File("packed.s");
  std::string original;
};

TEST(ShapeFormsDocument, ACompressedShapeOpensSplitsAndIsSavedCompressed) {
  CompressedShape f;
  ASSERT_EQ(f.dialogs.Count(), 0u);  // no question about the Unicode mark
  EXPECT_EQ(f.form.session.file.form, ShapeForm::Compressed);
  EXPECT_EQ(f.form.session.Elements(), 3);
  f.form.LODAnzSpinEditChange(2);
  f.form.LODAnzSpinEditExit();
  ASSERT_TRUE(f.form.Sub_ObjectsButtonClick().IsDone());
  ASSERT_TRUE(f.form.SpeichernButtonClick().IsDone());
  EXPECT_EQ(f.dialogs.Count(), 0u);
  const std::string saved = ReadBytes(f.path);
  EXPECT_EQ(saved.substr(0, 8), "SIMISA@F");
  EXPECT_TRUE(InflatedPayload(saved) == PayloadOf(f.form.session.text.All()));
  EXPECT_EQ(ReadBytes(f.dir.File("packed.BAK")), f.original);
  EXPECT_FALSE(f.form.CaptionRed(f.form.SpeichernBitBtn));
}

TEST(ShapeFormsDocument, AnEditTheBinaryFormCannotHoldIsNotSaved) {
  CompressedShape f;
  const std::size_t point = LineWith(f.form.session.text.All(), "point (");
  f.form.session.text.Replace(point, "\t\tpoint ( 0x10 0.2 0 )");
  EXPECT_FALSE(f.form.SpeichernButtonClick().IsDone());
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(Text::NotEncodable) + "\n" + f.Lang(Text::LineWord) +
                                         " " + std::to_string(point + 1) +
                                         ": '0x10' in \"point\" ist keine gültige Gleitkommazahl.");
  EXPECT_EQ(ReadBytes(f.path), f.original);
  EXPECT_FALSE(fs::exists(f.dir.File("packed.BAK")));
  EXPECT_TRUE(f.form.session.text.Modified());
  EXPECT_TRUE(f.form.CaptionRed(f.form.SpeichernBitBtn));
}

TEST(ShapeFormsDocument, SaveAsOffersTheThreeFormsAndSavesInTheChosenOne) {
  FormFixture f;
  const std::string text = f.dir.File("text.s");
  const Lines lines = BuildExportedShape(ElementsWithOwnSets(2));
  WriteShapeLines(text, lines);
  f.dialogs.ChooseFile(text);
  f.form.OeffnenButtonClick();

  const std::string packed = f.dir.File("packed.s");
  f.dialogs.ChooseFile(packed);
  f.dialogs.ChooseFilter(static_cast<int>(ShapeForm::Compressed));
  ASSERT_TRUE(f.form.SpeichernUnterButtonClick().IsDone());
  EXPECT_EQ(f.dialogs.saveRequests.back().filterIndex, static_cast<int>(ShapeForm::Text));
  EXPECT_TRUE(InflatedPayload(ReadBytes(packed)) == PayloadOf(lines));
  // The next "Speichern" keeps the form, and the next dialog offers it.
  f.form.session.text.Replace(1, "");
  ASSERT_TRUE(f.form.SpeichernButtonClick().IsDone());
  EXPECT_EQ(ReadBytes(packed).substr(0, 8), "SIMISA@F");
  f.dialogs.ChooseFile(f.dir.File("binary.s"));
  f.dialogs.ChooseFilter(static_cast<int>(ShapeForm::Binary));
  ASSERT_TRUE(f.form.SpeichernUnterButtonClick().IsDone());
  EXPECT_EQ(f.dialogs.saveRequests.back().filterIndex, static_cast<int>(ShapeForm::Compressed));
  EXPECT_EQ(ReadBytes(f.dir.File("binary.s")), "SIMISA@@@@@@@@@@" + PayloadOf(lines));
}

}  // namespace
}  // namespace quarvel::testing
