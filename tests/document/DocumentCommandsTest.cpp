#include <gtest/gtest.h>

#include <filesystem>

#include "SyntheticShape.h"
#include "common/Convert.h"
#include "shape/ShapeFile.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> SmallShape(int points = 64) {
  bench::SyntheticShapeOptions options;
  options.points = points;
  return bench::MakeSyntheticShape(options);
}

// A shape whose analysis stops at its first texture: "1.5" is no index.
std::vector<std::string> ShapeWithBrokenTexture() {
  std::vector<std::string> lines = SmallShape();
  for (auto& line : lines) {
    if (line.find("texture ( ") != std::string::npos) {
      line = "\t\ttexture ( 1.5 0 0 ff000000 )";
      break;
    }
  }
  return lines;
}

std::string LineCountText(const FormFixture& f, std::size_t count) {
  return IntToStr(static_cast<long long>(count)) + " " + f.Lang(22);
}

// Opens `path` through the dialog, as the user does.
void OpenThroughDialog(FormFixture& f, const std::string& path) {
  f.dialogs.ChooseFile(path);
  f.form.OeffnenButtonClick();
}

void ExpectNoFileOpen(const FormFixture& f) {
  EXPECT_TRUE(f.form.shapeText.Empty());
  EXPECT_EQ(f.form.CurrentFileName, "");
  EXPECT_EQ(f.form.Caption, kProgramTitle);
  EXPECT_EQ(f.form.Label1.caption, "");
  EXPECT_EQ(f.form.StringGrid1.RowCount(), 2);
  EXPECT_EQ(f.form.StringGrid1.Cell(0, 1), "");
  EXPECT_EQ(f.form.StringGrid3.RowCount(), 2);
  EXPECT_EQ(f.form.StringGrid3.Cell(0, 1), "");
}

// What every way out of opening leaves behind: a visible, notifying text view,
// the normal pointer, and the text as it stands kept for undo.
void ExpectOpeningFinished(const FormFixture& f) {
  EXPECT_TRUE(f.form.SMemo.visible);
  EXPECT_TRUE(f.form.SMemo.changeNotificationAttached);
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
  EXPECT_EQ(f.form.UndoLines, f.form.shapeText.All());
}

TEST(OpenCommand, DialogStartsWhereTheLastFileWasOrInTheSimulatorsTrainset) {
  FormFixture f;
  f.dialogs.ChooseFile(std::nullopt);
  f.form.OeffnenButtonClick();
  ASSERT_EQ(f.dialogs.openRequests.size(), 1u);
#ifdef _WIN32
  EXPECT_EQ(f.dialogs.openRequests[0].initialDir, "\\trains\\trainset");
#else
  // Without a simulator there is no folder worth starting in.
  EXPECT_EQ(f.dialogs.openRequests[0].initialDir, "");
#endif
  EXPECT_EQ(f.dialogs.openRequests[0].fileName, "");
  EXPECT_EQ(f.dialogs.openRequests[0].filter, f.Lang(57));
  EXPECT_TRUE(f.dialogs.openRequests[0].mustExist);

  fs::create_directories(f.dir.path() / "MSTS" / "TRAINS" / "TRAINSET");
  f.registry.path = f.dir.File("MSTS");
  f.dialogs.ChooseFile(std::nullopt);
  f.form.OeffnenButtonClick();
#ifndef _WIN32
  EXPECT_EQ(f.dialogs.openRequests[1].initialDir,
            (f.dir.path() / "MSTS" / "TRAINS" / "TRAINSET").string());
#endif

  f.form.ProgramIni->WriteString("Dir", "InitialDir", "/models/");
  f.form.ProgramIni->WriteString("Dir", "Filename", "loco.s");
  f.dialogs.ChooseFile(std::nullopt);
  f.form.OeffnenButtonClick();
  EXPECT_EQ(f.dialogs.openRequests[2].initialDir, "/models/");
  EXPECT_EQ(f.dialogs.openRequests[2].fileName, "loco.s");
  EXPECT_TRUE(f.dialogs.AllAnswersUsed());
}

TEST(OpenCommand, OpensTheFileShowsItAndRemembersItsPlace) {
  FormFixture f;
  const std::vector<std::string> lines = SmallShape(2500);
  ASSERT_GE(lines.size(), 2001u);
  const std::string path = f.dir.File("loco.s");
  WriteShapeLines(path, lines);
  f.form.Sub_ObjectsButton.enabled = false;
  f.form.MatButton.enabled = false;
  f.form.SMemoChange();  // a red caption left from before

  OpenThroughDialog(f, path);

  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(f.form.shapeText.All(), lines);
  EXPECT_FALSE(f.form.shapeText.Modified());
  EXPECT_FALSE(f.form.SpeichernBitBtn.captionRed);
  EXPECT_FALSE(f.form.SpeichernUnterBitBtn.captionRed);
  EXPECT_EQ(f.form.CurrentFileName, path);
  EXPECT_EQ(f.form.Label1.caption, path);
  EXPECT_EQ(f.form.Caption, "Quarvel   [ loco.s ]");
  EXPECT_EQ(f.form.Label2.caption, LineCountText(f, lines.size()));
  EXPECT_EQ(f.form.FileBom, std::string("\xFF\xFE", 2));
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "InitialDir", ""), f.dir.path().string() + "/");
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "Filename", ""), "loco.s");
  EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);
  EXPECT_TRUE(f.form.PunkteButton.enabled);
  EXPECT_TRUE(f.form.NormalenButton.enabled);
  EXPECT_TRUE(f.form.MatButton.enabled);
  ExpectOpeningFinished(f);
  // Nine rounds to paint the emptied window, two per thousand lines read.
  EXPECT_EQ(f.dialogs.processed, 9 + 2 * static_cast<int>((lines.size() - 1) / 1000));

  // The first change of the text colours both save buttons.
  f.form.shapeText.Replace(1, "changed");
  EXPECT_TRUE(f.form.SpeichernBitBtn.captionRed);
  EXPECT_TRUE(f.form.SpeichernUnterBitBtn.captionRed);
}

TEST(OpenCommand, RelativePathFromTheCommandLineBecomesFull) {
  FormFixture f;
  WriteShapeLines(f.dir.File("rel.s"), SmallShape());
  const fs::path before = fs::current_path();
  fs::current_path(f.dir.path());
  f.form.OpenShape("rel.s");
  fs::current_path(before);
  EXPECT_EQ(f.form.CurrentFileName, f.dir.File("rel.s"));
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "InitialDir", ""), f.dir.path().string() + "/");
}

TEST(OpenCommand, ModifiedTextAsksFirstAndOnlyYesOrNoGoOn) {
  FormFixture f;
  const std::string first = f.dir.File("first.s");
  WriteShapeLines(first, SmallShape());
  OpenThroughDialog(f, first);
  f.form.shapeText.Replace(1, "edited");

  // Cancel: not even the dialog appears.
  f.dialogs.Answer(Answer::Cancel);
  f.form.OeffnenButtonClick();
  EXPECT_EQ(f.dialogs.Shown(0).text, "Text wurde geändert. Speichern?");
  EXPECT_EQ(f.dialogs.Shown(0).buttons, Buttons::YesNoCancel);
  EXPECT_EQ(f.dialogs.openRequests.size(), 1u);

  // No, then cancelling the dialog: the edited text and its name stay.
  f.dialogs.Answer(Answer::No);
  f.dialogs.ChooseFile(std::nullopt);
  f.form.OeffnenButtonClick();
  EXPECT_EQ(f.dialogs.openRequests.size(), 2u);
  EXPECT_TRUE(f.form.shapeText.Modified());
  EXPECT_EQ(f.form.shapeText[1], "edited");
  EXPECT_EQ(f.form.CurrentFileName, first);
  EXPECT_EQ(f.form.Caption, "Quarvel   [ first.s ]");

  // Yes: the edit reaches the file before the next one is opened.
  const std::string second = f.dir.File("second.s");
  WriteShapeLines(second, SmallShape(70));
  f.dialogs.Answer(Answer::Yes);
  OpenThroughDialog(f, second);
  EXPECT_EQ(f.form.CurrentFileName, second);
  std::vector<std::string> saved;
  std::string bom;
  DecodeShapeBytes(ReadBytes(first), saved, bom);
  EXPECT_EQ(saved.at(1), "edited");
  EXPECT_TRUE(f.dialogs.AllAnswersUsed());
}

TEST(OpenCommand, DecliningAFileWithoutUnicodeMarkLeavesNoFileOpen) {
  FormFixture f;
  OpenThroughDialog(f, [&] {
    WriteShapeLines(f.dir.File("good.s"), SmallShape());
    return f.dir.File("good.s");
  }());
  const std::string packed = f.dir.File("packed.s");
  WriteBytes(packed, "SIMISA@F\r\nbinary stuff\r\n");
  f.dialogs.Answer(Answer::No);
  OpenThroughDialog(f, packed);

  ASSERT_EQ(f.dialogs.Count(), 1u);  // the question, no warning
  EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(61));
  EXPECT_EQ(f.dialogs.Shown(0).buttons, Buttons::YesNo);
  ExpectNoFileOpen(f);
  ExpectOpeningFinished(f);
  EXPECT_TRUE(f.form.UndoLines.empty());
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "Filename", ""), "good.s");
  // The mark of the last file really read stays for a text typed from here.
  EXPECT_EQ(f.form.FileBom, std::string("\xFF\xFE", 2));

  f.form.UndoButtonClick();
  EXPECT_EQ(f.dialogs.Shown(1).text, f.Lang(68));
  EXPECT_EQ(f.dialogs.Shown(1).kind, BoxKind::Warning);
}

TEST(OpenCommand, UnreadableFileWarnsAndSaysWhy) {
  FormFixture f;
  const std::string missing = f.dir.File("missing.s");
  f.form.OpenShape(missing);
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(0).text.rfind(f.Lang(60) + "\n", 0), 0u);
  EXPECT_NE(f.dialogs.Shown(0).text.find(missing), std::string::npos);
  ExpectNoFileOpen(f);
  ExpectOpeningFinished(f);
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "InitialDir", ""), "");
}

TEST(OpenCommand, FailingAnalysisKeepsWhatWasDoneBeforeIt) {
  FormFixture f;
  const std::vector<std::string> lines = ShapeWithBrokenTexture();
  const std::string path = f.dir.File("broken.s");
  WriteShapeLines(path, lines);
  f.form.PunkteButton.enabled = false;
  OpenThroughDialog(f, path);

  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(0).text.rfind(f.Lang(60) + "\n'1.5' ist kein gültiger Integerwert", 0),
            0u);
  // Reading had finished: the file counts as open.
  EXPECT_EQ(f.form.shapeText.All(), lines);
  EXPECT_EQ(f.form.CurrentFileName, path);
  EXPECT_EQ(f.form.Caption, "Quarvel   [ broken.s ]");
  EXPECT_EQ(f.form.Label2.caption, LineCountText(f, lines.size()));
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "Filename", ""), "broken.s");
  EXPECT_TRUE(f.form.PunkteButton.enabled);
  // The matrices came before the textures; the default assignment never ran.
  EXPECT_EQ(f.form.StringGrid3.Cell(0, 1), "MAIN");
  EXPECT_EQ(f.form.StringGrid1.Cell(3, 1), "");
  ExpectOpeningFinished(f);
  EXPECT_FALSE(f.form.shapeText.Modified());

  // Undo meets the same failure, which then goes to the general handler.
  f.form.Label2.caption = "before";
  f.dialogs.Answer(Answer::Yes);
  EXPECT_FALSE(f.form.Run([&] { f.form.UndoButtonClick(); }));
  EXPECT_EQ(f.dialogs.Shown(2).kind, BoxKind::Error);
  EXPECT_EQ(f.dialogs.Shown(2).text.rfind("'1.5' ist kein gültiger Integerwert", 0), 0u);
  EXPECT_EQ(f.form.Label2.caption, "before");
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
}

TEST(OpenCommand, RealExportedShapesOpenAndSurviveSaving) {
  const std::string corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set";
  int files = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(corpus) / "tsm")) {
    if (entry.path().extension() != ".s") continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    FormFixture f;
    const std::string path = f.dir.File(entry.path().filename().string());
    fs::copy_file(entry.path(), path);
    f.form.OpenShape(path);
    EXPECT_EQ(f.dialogs.Count(), 0u);
    EXPECT_GT(f.form.ElementCount(), 0);
    EXPECT_NE(f.form.StringGrid1.Cell(2, 1), "");
    const std::vector<std::string> opened = f.form.shapeText.All();

    f.form.SpeichernButtonClick();
    f.form.OpenShape(path);
    EXPECT_EQ(f.dialogs.Count(), 0u);
    EXPECT_EQ(f.form.shapeText.All(), opened);
    EXPECT_EQ(ReadBytes(f.dir.File(entry.path().stem().string() + ".BAK")),
              ReadBytes(entry.path().string()));
  }
  EXPECT_GT(files, 0);
}

TEST(SaveCommands, SaveAsksForANameOnlyWhenThereIsNone) {
  FormFixture f;
  f.form.ProgramIni->WriteString("Dir", "InitialDir", f.dir.path().string() + "/");
  f.form.shapeText.Append("typed");

  f.dialogs.ChooseFile(std::nullopt);
  f.form.SpeichernButtonClick();
  EXPECT_EQ(f.form.CurrentFileName, "");
  EXPECT_TRUE(f.form.shapeText.Modified());
  EXPECT_EQ(f.dialogs.Count(), 0u);

  const std::string path = f.dir.File("new.s");
  f.dialogs.ChooseFile(path);
  f.form.SpeichernButtonClick();
  ASSERT_EQ(f.dialogs.saveRequests.size(), 2u);
  EXPECT_EQ(f.dialogs.saveRequests[1].initialDir, f.dir.path().string() + "/");
  EXPECT_TRUE(f.dialogs.saveRequests[1].askBeforeOverwrite);
  EXPECT_EQ(f.form.CurrentFileName, path);
  EXPECT_TRUE(fs::exists(path));
  EXPECT_FALSE(f.form.shapeText.Modified());
  // Saving names no file in the window; only opening does.
  EXPECT_EQ(f.form.Caption, kProgramTitle);
  EXPECT_EQ(f.form.Label1.caption, "");
}

TEST(SaveCommands, SaveWritesAtOnceAndKeepsThePreviousFileAsBackup) {
  FormFixture f;
  const std::string path = f.dir.File("lok.s");
  const std::vector<std::string> original = SmallShape();
  WriteShapeLines(path, original);
  OpenThroughDialog(f, path);
  const std::string originalBytes = ReadBytes(path);

  f.form.shapeText.Replace(1, "first edit");
  EXPECT_TRUE(f.form.SpeichernBitBtn.captionRed);
  f.form.SpeichernButtonClick();
  EXPECT_TRUE(f.dialogs.saveRequests.empty());
  EXPECT_EQ(ReadBytes(f.dir.File("lok.BAK")), originalBytes);
  EXPECT_FALSE(f.form.shapeText.Modified());
  EXPECT_FALSE(f.form.SpeichernBitBtn.captionRed);
  EXPECT_FALSE(f.form.SpeichernUnterBitBtn.captionRed);

  // Unchanged text is written all the same; the backup moves on by one.
  const std::string firstSave = ReadBytes(path);
  f.form.SpeichernButtonClick();
  EXPECT_EQ(ReadBytes(f.dir.File("lok.BAK")), firstSave);
  EXPECT_EQ(ReadBytes(path), firstSave);
}

TEST(SaveCommands, SaveAsKeepsTheOpenedNameOnShowButLaterSavesGoToTheNewFile) {
  FormFixture f;
  const std::string opened = f.dir.File("a.s");
  WriteShapeLines(opened, SmallShape());
  OpenThroughDialog(f, opened);
  const std::string openedBytes = ReadBytes(opened);

  const std::string copy = f.dir.File("b.s");
  f.dialogs.ChooseFile(copy);
  f.form.SpeichernUnterButtonClick();
  ASSERT_EQ(f.dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(f.dialogs.saveRequests[0].filter, "");
  EXPECT_EQ(f.dialogs.saveRequests[0].initialDir, f.dir.path().string() + "/");
  EXPECT_EQ(ReadBytes(copy), openedBytes);
  EXPECT_EQ(f.form.Caption, "Quarvel   [ a.s ]");
  EXPECT_EQ(f.form.Label1.caption, opened);
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "Filename", ""), "a.s");

  f.form.shapeText.Replace(1, "later");
  f.form.SpeichernButtonClick();
  EXPECT_EQ(ReadBytes(opened), openedBytes);
  std::vector<std::string> saved;
  std::string bom;
  DecodeShapeBytes(ReadBytes(copy), saved, bom);
  EXPECT_EQ(saved.at(1), "later");

  // Cancelling the dialog changes nothing.
  f.dialogs.ChooseFile(std::nullopt);
  f.form.SpeichernUnterButtonClick();
  EXPECT_EQ(f.form.CurrentFileName, copy);
}

TEST(UndoCommand, RestoresTheTextAsOpenedAfterConfirmation) {
  FormFixture f;
  f.form.UndoButtonClick();
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(68));

  const std::string path = f.dir.File("u.s");
  const std::vector<std::string> lines = SmallShape();
  WriteShapeLines(path, lines);
  OpenThroughDialog(f, path);
  f.form.shapeText.DeleteRange(5, 10);
  f.form.SpeichernButtonClick();  // saving does not move the point of return
  f.form.shapeText.Replace(1, "x");
  f.form.MatButton.enabled = false;

  f.dialogs.Answer(Answer::No);
  f.form.UndoButtonClick();
  EXPECT_EQ(f.dialogs.Shown(1).text, f.Lang(69));
  EXPECT_EQ(f.dialogs.Shown(1).buttons, Buttons::YesNo);
  EXPECT_EQ(f.form.shapeText[1], "x");

  f.dialogs.Answer(Answer::Yes);
  f.form.UndoButtonClick();
  EXPECT_EQ(f.form.shapeText.All(), lines);
  EXPECT_FALSE(f.form.shapeText.Modified());
  EXPECT_FALSE(f.form.SpeichernBitBtn.captionRed);
  EXPECT_FALSE(f.form.SpeichernUnterBitBtn.captionRed);
  EXPECT_TRUE(f.form.MatButton.enabled);
  EXPECT_TRUE(f.form.SMemo.changeNotificationAttached);
  EXPECT_EQ(f.form.Label2.caption, LineCountText(f, lines.size()));
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
}

TEST(CloseCommand, ClosesOnlyWhenNothingUnsavedIsLost) {
  FormFixture f;
  EXPECT_TRUE(f.form.FormCloseQuery());  // nothing changed: no question
  EXPECT_EQ(f.dialogs.Count(), 0u);

  f.form.Button1Click();
  EXPECT_TRUE(f.form.closeRequested);

  f.form.shapeText.Append("typed");
  f.dialogs.Answer(Answer::Cancel);
  EXPECT_FALSE(f.form.FormCloseQuery());
  f.dialogs.Answer(Answer::No);
  EXPECT_TRUE(f.form.FormCloseQuery());

  // Yes, but the name dialog is cancelled: nothing was saved, so stay.
  f.dialogs.Answer(Answer::Yes);
  f.dialogs.ChooseFile(std::nullopt);
  EXPECT_FALSE(f.form.FormCloseQuery());

  // Yes, but the file cannot be written: stay as well.
  f.form.CurrentFileName = (f.dir.path() / "no such folder" / "x.s").string();
  f.dialogs.Answer(Answer::Yes);
  bool allowed = true;
  f.form.Run([&] { allowed = f.form.FormCloseQuery(); });
  EXPECT_FALSE(allowed);
  EXPECT_TRUE(f.form.shapeText.Modified());

  f.form.CurrentFileName = f.dir.File("x.s");
  f.dialogs.Answer(Answer::Yes);
  EXPECT_TRUE(f.form.FormCloseQuery());
  EXPECT_TRUE(fs::exists(f.dir.File("x.s")));
}

}  // namespace
}  // namespace quarvel::testing
