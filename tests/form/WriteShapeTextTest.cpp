// Saving the text from the window: the bytes on disk, the backup, the red
// save buttons, the status line while writing, and a save that fails.
#include <gtest/gtest.h>

#include <filesystem>

#include "shape/ShapeFile.h"
#include "support/FormFixture.h"

namespace quarvel {
namespace {

using testing::FormFixture;
using testing::ReadBytes;
namespace fs = std::filesystem;

// Notes the status line each time the window is given time to repaint.
class RepaintingDialogs : public testing::FakeDialogs {
 public:
  void ProcessMessages() override {
    FakeDialogs::ProcessMessages();
    if (label != nullptr) seen.push_back(label->caption);
  }
  const Label* label = nullptr;
  std::vector<std::string> seen;
};

std::vector<std::string> NumberedLines(std::size_t count) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < count; ++i) lines.push_back("\tline " + std::to_string(i));
  return lines;
}

TEST(WriteShapeText, WithoutAFileNameNothingIsWritten) {
  FormFixture f;
  f.form.shapeText.Assign({"a"});
  f.form.WriteShapeText();
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).text, "Kein Dateiname angegeben, es wird nicht gespeichert!");
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_TRUE(f.form.shapeText.Modified());
  EXPECT_TRUE(f.form.SpeichernBitBtn.captionRed);
}

TEST(WriteShapeText, SavingWritesTheBytesKeepsABackupAndShowsProgress) {
  FormFixture f("", false);
  RepaintingDialogs dialogs;
  Form form(FormPorts{dialogs, f.system, f.registry});
  form.FormCreate();
  dialogs.label = &form.Label2;

  // A text typed after start-up, never read from a file: no mark.
  const auto lines = NumberedLines(2500);
  form.shapeText.Assign(lines);
  EXPECT_TRUE(form.SpeichernBitBtn.captionRed);
  EXPECT_TRUE(form.SpeichernUnterBitBtn.captionRed);
  form.CurrentFileName = f.dir.File("lok.s");
  testing::WriteBytes(form.CurrentFileName, "before");
  testing::WriteBytes(f.dir.File("lok.BAK"), "oldest");
  form.WriteShapeText();

  EXPECT_EQ(ReadBytes(form.CurrentFileName), EncodeShapeBytes(lines, ""));
  EXPECT_EQ(ReadBytes(f.dir.File("lok.BAK")), "before");
  EXPECT_FALSE(form.shapeText.Modified());
  EXPECT_FALSE(form.SpeichernBitBtn.captionRed);
  EXPECT_FALSE(form.SpeichernUnterBitBtn.captionRed);
  EXPECT_EQ(dialogs.CurrentCursor(), Cursor::Normal);
  const std::string of = " " + form.LangText(24) + " 2500 " + form.LangText(23);
  EXPECT_EQ(dialogs.seen,
            (std::vector<std::string>{"1000" + of, "1000" + of, "2000" + of, "2000" + of}));
  EXPECT_EQ(form.Label2.caption, "2500" + of);
  EXPECT_EQ(dialogs.Count(), 0u);

  // The next save keeps only this state as backup.
  form.FileBom = "\xFF\xFE";
  form.shapeText.Replace(1, "changed");
  form.WriteShapeText();
  EXPECT_EQ(ReadBytes(f.dir.File("lok.BAK")), EncodeShapeBytes(lines, ""));
}

TEST(WriteShapeText, FailedSaveWarnsAndKeepsTheTextUnsaved) {
  FormFixture f;
  f.form.shapeText.Assign({"a", "b"});
  f.form.CurrentFileName = f.dir.File("gone/lok.s");
  f.form.WriteShapeText();
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(59));
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_TRUE(f.form.shapeText.Modified());
  EXPECT_TRUE(f.form.SpeichernBitBtn.captionRed);
  EXPECT_TRUE(f.form.SpeichernUnterBitBtn.captionRed);
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
  EXPECT_EQ(f.form.Label2.caption, "2 " + f.Lang(24) + " 2 " + f.Lang(23));
  EXPECT_FALSE(fs::exists(f.dir.File("gone")));
}

}  // namespace
}  // namespace quarvel
