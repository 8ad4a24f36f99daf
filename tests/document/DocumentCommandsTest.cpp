// Open, save, save as, undo and close as the user meets them: the dialogs,
// the questions, the window's captions and the files on disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "settings/IniFile.h"
#include "shape/ShapeFile.h"
#include "support/ExportedShape.h"
#include "support/FileSystem.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Writes a shape named `name` into the fixture's folder.
std::string ShapeFile(FormFixture& f, const std::string& name,
                      const Lines& lines = BuildExportedShape(ElementsWithOwnSets(2))) {
  WriteShapeLines(f.dir.File(name), lines);
  return f.dir.File(name);
}

// Opens `path` through the dialog, as the user does.
void OpenThroughDialog(FormFixture& f, const std::string& path) {
  f.dialogs.ChooseFile(path);
  f.form.OeffnenButtonClick();
}

// What every way out of opening leaves behind: a visible, notifying text view,
// the normal pointer, and the text as it stands kept for undo.
void ExpectOpeningFinished(const FormFixture& f) {
  EXPECT_TRUE(f.form.SMemo.visible);
  EXPECT_TRUE(f.form.SMemo.changeNotificationAttached);
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
  EXPECT_EQ(f.form.session.undoLines, f.form.session.text.All());
}

void ExpectNoFileOpen(const FormFixture& f) {
  EXPECT_TRUE(f.form.session.text.Empty());
  EXPECT_EQ(f.form.session.path, "");
  EXPECT_EQ(f.form.Caption, kProgramTitle);
  EXPECT_EQ(f.form.StringGrid1.RowCount(), 2);
  EXPECT_EQ(f.form.StringGrid1.Cell(0, 1), "");
  EXPECT_EQ(f.form.StringGrid3.Cell(0, 1), "");
  ExpectOpeningFinished(f);
}

TEST(OpenCommand, DialogStartsWhereTheLastFileWasOrInTheSimulatorsTrainset) {
  FormFixture f;
  for (int i = 0; i < 3; ++i) f.dialogs.ChooseFile(std::nullopt);
  f.form.OeffnenButtonClick();
  fs::create_directories(f.dir.path() / "MSTS" / "TRAINS" / "TRAINSET");
  f.registry.path = f.dir.File("MSTS");
  f.form.OeffnenButtonClick();
  f.form.ProgramIni->WriteString("Dir", "InitialDir", "/models/");
  f.form.ProgramIni->WriteString("Dir", "Filename", "loco.s");
  f.form.OeffnenButtonClick();

  const auto& requests = f.dialogs.openRequests;
  ASSERT_EQ(requests.size(), 3u);
#ifndef _WIN32
  // Without a simulator there is no folder worth starting in.
  EXPECT_EQ(requests[0].initialDir, "");
  EXPECT_EQ(requests[1].initialDir, (f.dir.path() / "MSTS" / "TRAINS" / "TRAINSET").string());
#endif
  EXPECT_EQ(requests[0].fileName, "");
  EXPECT_EQ(requests[0].filter, f.Lang(57));
  EXPECT_TRUE(requests[0].mustExist);
  EXPECT_EQ(requests[2].initialDir, "/models/");
  EXPECT_EQ(requests[2].fileName, "loco.s");
}

TEST(OpenCommand, OpensTheFileShowsItAndRemembersItsPlace) {
  FormFixture f;
  const Lines lines = BuildExportedShape(ElementsWithOwnSets(1, 700));
  ASSERT_GE(lines.size(), 2001u);
  const std::string path = ShapeFile(f, "loco.s", lines);
  Form& form = f.form;
  const auto commands = {&form.Sub_ObjectsButton, &form.PunkteButton, &form.NormalenButton,
                         &form.MatButton};
  for (Button* command : commands) command->enabled = false;
  f.form.SMemoChange();  // red captions left from before

  OpenThroughDialog(f, path);
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(f.form.session.text.All(), lines);
  EXPECT_FALSE(f.form.session.text.Modified());
  EXPECT_FALSE(f.form.CaptionRed(f.form.SpeichernBitBtn));
  EXPECT_FALSE(f.form.CaptionRed(f.form.SpeichernUnterBitBtn));
  EXPECT_EQ(f.form.Label1.caption, path);
  EXPECT_EQ(f.form.Caption, "Quarvel   [ loco.s ]");
  EXPECT_EQ(f.form.Label2.caption, f.LineCountCaption());
  EXPECT_EQ(f.form.session.bom, std::string("\xFF\xFE", 2));
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "InitialDir", ""), f.dir.File(""));
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "Filename", ""), "loco.s");
  for (const Button* command : commands) EXPECT_TRUE(command->enabled);
  EXPECT_EQ(f.form.StringGrid1.Cell(3, 1), "1");  // the default assignment ran
  ExpectOpeningFinished(f);
  // Nine rounds to paint the emptied window, two per thousand lines read.
  EXPECT_EQ(f.dialogs.processed, 9 + 2 * static_cast<int>((lines.size() - 1) / 1000));

  // A relative path from the command line becomes a full one.
  ShapeFile(f, "rel.s");
  const fs::path before = fs::current_path();
  fs::current_path(f.dir.path());
  f.form.OpenShape("rel.s");
  fs::current_path(before);
  EXPECT_EQ(f.form.session.path, f.dir.File("rel.s"));
}

TEST(OpenCommand, ModifiedTextAsksFirstAndOnlyYesOrNoGoOn) {
  FormFixture f;
  const std::string first = ShapeFile(f, "first.s");
  OpenThroughDialog(f, first);
  f.form.session.text.Replace(1, "edited");

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
  EXPECT_TRUE(f.form.session.text.Modified());
  EXPECT_EQ(f.form.session.text[1], "edited");
  EXPECT_EQ(f.form.session.path, first);

  // Yes: the edit reaches the file before the next one is opened.
  const std::string second = ShapeFile(f, "second.s");
  f.dialogs.Answer(Answer::Yes);
  OpenThroughDialog(f, second);
  EXPECT_EQ(f.form.session.path, second);
  EXPECT_EQ(ReadShapeLines(first).at(1), "edited");
}

TEST(OpenCommand, DecliningAFileWithoutUnicodeMarkLeavesNoFileOpen) {
  FormFixture f("[LODs]\nAnzahl=3\n");
  OpenThroughDialog(f, ShapeFile(f, "good.s"));
  ASSERT_NE(f.form.StringGrid5.Cell(2, 1), "");
  // In none of the three forms of a shape: an archive, say.
  const std::string packed = f.dir.File("packed.s");
  WriteBytes(packed, "PK\x03\x04\r\nbinary stuff\r\n");
  f.dialogs.Answer(Answer::No);
  OpenThroughDialog(f, packed);

  ASSERT_EQ(f.dialogs.Count(), 1u);  // the question, no warning
  EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(61));
  // Nothing of the previous shape's plan and counts showed under the question.
  for (int col = 0; col < f.form.StringGrid1.ColCount(); ++col)
    EXPECT_EQ(f.form.StringGrid1.Cell(col, 1), "") << col;
  for (int lod = 1; lod <= 3; ++lod) EXPECT_EQ(f.form.StringGrid5.Cell(2, lod), "");
  EXPECT_EQ(f.dialogs.Shown(0).buttons, Buttons::YesNo);
  ExpectNoFileOpen(f);
  EXPECT_TRUE(f.form.session.undoLines.empty());
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "Filename", ""), "good.s");
  // The mark of the last file really read stays for a text typed from here.
  EXPECT_EQ(f.form.session.bom, std::string("\xFF\xFE", 2));

  f.form.UndoButtonClick();
  EXPECT_EQ(f.dialogs.Shown(1).text, f.Lang(68));
  EXPECT_EQ(f.dialogs.Shown(1).kind, BoxKind::Warning);
}

TEST(OpenCommand, ReadingOrAnalysisFailuresWarnAndKeepWhatWasDoneBefore) {
  FormFixture f;
  const std::string missing = f.dir.File("missing.s");
  f.form.OpenShape(missing);
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(0).text.rfind(f.Lang(60) + "\n", 0), 0u);
  EXPECT_NE(f.dialogs.Shown(0).text.find(missing), std::string::npos);
  ExpectNoFileOpen(f);
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "InitialDir", ""), "");

  // The analysis stops at the first texture: "1.5" is no index.
  Lines lines = BuildExportedShape(ElementsWithOwnSets(2));
  lines[LineWith(lines, "texture ( ")] = "\t\ttexture ( 1.5 0 0 ff000000 )";
  f.form.PunkteButton.enabled = false;
  OpenThroughDialog(f, ShapeFile(f, "broken.s", lines));
  ASSERT_EQ(f.dialogs.Count(), 2u);
  EXPECT_EQ(f.dialogs.Shown(1).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(1).text.rfind(f.Lang(60) + "\n'1.5' ist kein gültiger Integerwert", 0),
            0u);
  // Reading had finished: the file counts as open; the matrices came before
  // the textures, and the default assignment never ran.
  EXPECT_EQ(f.form.session.text.All(), lines);
  EXPECT_FALSE(f.form.session.text.Modified());
  EXPECT_EQ(f.form.session.path, f.dir.File("broken.s"));
  EXPECT_EQ(f.form.Caption, "Quarvel   [ broken.s ]");
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "Filename", ""), "broken.s");
  EXPECT_TRUE(f.form.PunkteButton.enabled);
  EXPECT_EQ(f.form.StringGrid3.Cell(0, 1), "MAIN");
  EXPECT_EQ(f.form.StringGrid1.Cell(3, 1), "");
  ExpectOpeningFinished(f);

  // Undo meets the same failure, which then goes to the general handler.
  f.form.Label2.caption = "before";
  f.dialogs.Answer(Answer::Yes);
  EXPECT_FALSE(f.form.Run([&] { f.form.UndoButtonClick(); }));
  EXPECT_EQ(f.dialogs.Shown(3).kind, BoxKind::Error);
  EXPECT_EQ(f.dialogs.Shown(3).text.rfind("'1.5' ist kein gültiger Integerwert", 0), 0u);
  EXPECT_EQ(f.form.Label2.caption, "before");
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
}

TEST(SaveCommands, SaveAsksForANameOnlyWhenThereIsNone) {
  FormFixture f;
  f.form.ProgramIni->WriteString("Dir", "InitialDir", f.dir.File(""));
  f.form.session.text.Append("typed");
  f.dialogs.ChooseFile(std::nullopt);
  f.form.SpeichernButtonClick();
  EXPECT_TRUE(f.form.session.text.Modified());

  const std::string path = f.dir.File("new.s");
  f.dialogs.ChooseFile(path);
  f.form.SpeichernButtonClick();
  ASSERT_EQ(f.dialogs.saveRequests.size(), 2u);
  EXPECT_EQ(f.dialogs.saveRequests[1].initialDir, f.dir.File(""));
  EXPECT_TRUE(f.dialogs.saveRequests[1].askBeforeOverwrite);
  EXPECT_EQ(f.form.session.path, path);
  // A text typed after start-up was never read from a file: no mark.
  EXPECT_EQ(ReadBytes(path), EncodeShapeBytes({"typed"}, ""));
  EXPECT_FALSE(f.form.session.text.Modified());
  // Saving names no file in the window; only opening does.
  EXPECT_EQ(f.form.Caption, kProgramTitle);
  EXPECT_EQ(f.form.Label1.caption, "");

  f.form.session.path = "";
  f.form.WriteShapeText();
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(0).text, "Kein Dateiname angegeben, es wird nicht gespeichert!");
}

TEST(SaveCommands, SaveWritesAtOnceAndKeepsThePreviousFileAsBackup) {
  FormFixture f;
  const std::string path = ShapeFile(f, "lok.s");
  OpenThroughDialog(f, path);
  const std::string originalBytes = ReadBytes(path);

  // The first change of the text colours both save buttons; saving clears them.
  f.form.session.text.Replace(1, "first edit");
  EXPECT_TRUE(f.form.CaptionRed(f.form.SpeichernBitBtn));
  EXPECT_TRUE(f.form.CaptionRed(f.form.SpeichernUnterBitBtn));
  f.form.SpeichernButtonClick();
  EXPECT_TRUE(f.dialogs.saveRequests.empty());
  EXPECT_EQ(ReadBytes(f.dir.File("lok.BAK")), originalBytes);
  EXPECT_EQ(ReadShapeLines(path).at(1), "first edit");
  EXPECT_FALSE(f.form.session.text.Modified());
  EXPECT_FALSE(f.form.CaptionRed(f.form.SpeichernBitBtn));
  EXPECT_FALSE(f.form.CaptionRed(f.form.SpeichernUnterBitBtn));

  // Unchanged text is written all the same; the backup moves on by one.
  const std::string firstSave = ReadBytes(path);
  f.form.SpeichernButtonClick();
  EXPECT_EQ(ReadBytes(f.dir.File("lok.BAK")), firstSave);
}

// Notes the status line each time the window is given time to repaint.
struct RepaintingDialogs : FakeDialogs {
  void ProcessMessages() override { seen.push_back(label->caption); }
  const Label* label = nullptr;
  Lines seen;
};

TEST(SaveCommands, WritingShowsItsProgressAndAFailureKeepsTheTextUnsaved) {
  FormFixture f("", false);
  RepaintingDialogs dialogs;
  Form form(FormPorts{dialogs, f.system, f.registry, f.launcher});
  form.FormCreate();
  dialogs.label = &form.Label2;
  form.session.text.Assign(Lines(2500, "\tline"));
  form.session.path = f.dir.File("lok.s");
  form.WriteShapeText();
  const std::string of = " " + form.LangText(24) + " 2500 " + form.LangText(23);
  EXPECT_EQ(dialogs.seen, (Lines{"1000" + of, "1000" + of, "2000" + of, "2000" + of}));
  EXPECT_EQ(form.Label2.caption, "2500" + of);

  // A folder that is not there: the warning, the text still unsaved, and no
  // folder made on the way.
  form.session.text.Assign({"a", "b"});
  form.session.path = f.dir.File("gone/lok.s");
  form.WriteShapeText();
  ASSERT_EQ(dialogs.Count(), 1u);
  EXPECT_EQ(dialogs.Shown(0).text, form.LangText(59) + "\nIm Ordner " + f.dir.File("gone") +
                                       " kann keine Datei angelegt werden (der Ordner existiert "
                                       "nicht).");
  EXPECT_EQ(dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_TRUE(form.session.text.Modified());
  EXPECT_TRUE(form.CaptionRed(form.SpeichernBitBtn));
  EXPECT_EQ(dialogs.CurrentCursor(), Cursor::Normal);
  EXPECT_EQ(form.Label2.caption, "2 " + form.LangText(24) + " 2 " + form.LangText(23));
  EXPECT_FALSE(fs::exists(f.dir.File("gone")));
}

TEST(SaveCommands, SaveAsKeepsTheOpenedNameOnShowButLaterSavesGoToTheNewFile) {
  FormFixture f;
  const std::string opened = ShapeFile(f, "a.s");
  OpenThroughDialog(f, opened);
  const std::string openedBytes = ReadBytes(opened);

  const std::string copy = f.dir.File("b.s");
  f.dialogs.ChooseFile(copy);
  f.form.SpeichernUnterButtonClick();
  ASSERT_EQ(f.dialogs.saveRequests.size(), 1u);
  // The three forms, the one the shape came in chosen.
  EXPECT_EQ(f.dialogs.saveRequests[0].filter, f.Lang(Text::SaveFormsFilter));
  EXPECT_EQ(f.dialogs.saveRequests[0].filterIndex, 0);
  EXPECT_EQ(f.dialogs.saveRequests[0].initialDir, f.dir.File(""));
  EXPECT_EQ(f.dialogs.saveRequests[0].fileName, "a.s");  // offered for editing
  EXPECT_EQ(ReadBytes(copy), openedBytes);
  EXPECT_EQ(f.form.Caption, "Quarvel   [ a.s ]");
  EXPECT_EQ(f.form.Label1.caption, opened);
  EXPECT_EQ(f.form.ProgramIni->ReadString("Dir", "Filename", ""), "a.s");

  f.form.session.text.Replace(1, "later");
  f.form.SpeichernButtonClick();
  EXPECT_EQ(ReadBytes(opened), openedBytes);
  EXPECT_EQ(ReadShapeLines(copy).at(1), "later");

  f.dialogs.ChooseFile(std::nullopt);  // cancelled: nothing changes
  f.form.SpeichernUnterButtonClick();
  EXPECT_EQ(f.form.session.path, copy);
}

// What a refused or failed save leaves: the warning that nothing changed on
// disk with the reason naming the file, the text still to be saved, and every
// file as it was.
void ExpectSaveRefused(const FormFixture& f, const std::string& reason) {
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(59) + "\n" + reason);
  EXPECT_TRUE(f.form.session.text.Modified());
  EXPECT_TRUE(f.form.CaptionRed(f.form.SpeichernBitBtn));
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
}

TEST(SaveCommands, TheOpenedBackupIsNeverReplacedBySavingOverOrBesideIt) {
  for (const bool saveAs : {true, false}) {
    SCOPED_TRACE(saveAs ? "save as x.s" : "save");
    FormFixture f;
    const std::string original = ShapeFile(f, "x.BAK");               // the only unsplit original
    ShapeFile(f, "x.s", BuildExportedShape(ElementsWithOwnSets(3)));  // an older split
    OpenThroughDialog(f, original);
    f.form.session.text.Replace(1, "split");
    const Lines text = f.form.session.text.All();
    const FolderPicture before = PictureOf(f.dir.path());

    if (saveAs) {
      f.dialogs.ChooseFile(f.dir.File("x.s"));
      f.form.SpeichernUnterButtonClick();
      ExpectSaveRefused(f, "Die Sicherung " + original +
                               " ist die Datei, aus der der Text gelesen wurde; sie würde beim "
                               "Speichern durch " +
                               f.dir.File("x.s") +
                               " ersetzt und ginge verloren. Bitte unter einem anderen Namen "
                               "speichern.");
    } else {
      f.form.SpeichernButtonClick();
      ExpectSaveRefused(f, original +
                               " ist die Datei, aus der der Text gelesen wurde, und zugleich "
                               "ihre eigene Sicherung (.BAK); sie ginge beim Speichern verloren. "
                               "Bitte unter einem anderen Namen speichern.");
    }
    EXPECT_EQ(f.form.session.text.All(), text);
    // No settings file either: they belong to a shape that was not saved.
    EXPECT_EQ(PictureOf(f.dir.path()), before);

    // Another name is fine, and from then on the saved file is the one kept.
    f.dialogs.ChooseFile(f.dir.File("y.s"));
    f.form.SpeichernUnterButtonClick();
    EXPECT_EQ(ReadShapeLines(f.dir.File("y.s")), text);
    EXPECT_FALSE(f.form.session.text.Modified());
  }
}

TEST(SaveCommands, AShapeThatCouldNotBeWrittenLeavesItsSettingsFileAlone) {
  FormFixture f;
  const std::string path = ShapeFile(f, "lok.s");
  WriteBytes(f.dir.File("lok.Quarvel"), "; the plan of the last save\r\n[LODs]\r\nAnzahl=1\r\n");
  OpenThroughDialog(f, path);
  f.form.session.text.Assign(Lines(5000, std::string(100, 'q')));
  const FolderPicture before = PictureOf(f.dir.path());
  // The disk fills up before the shape is complete; the settings file would
  // still fit.
  SKIP_ON_WINDOWS("no limit on the size of the files a process writes");
  WithFullDisk(100000, [&] { f.form.SpeichernButtonClick(); });
  ExpectSaveRefused(f, path +
                           " konnte nicht vollständig geschrieben werden (die Datei wäre zu "
                           "groß).");
  EXPECT_EQ(PictureOf(f.dir.path()), before);
}

TEST(SaveCommands, ASettingsFileThatCannotBeWrittenIsTheOnlyFailureShown) {
  FormFixture f;
  const std::string path = ShapeFile(f, "lok.s");
  OpenThroughDialog(f, path);
  fs::create_directory(f.dir.File("lok.Quarvel"));
  WriteBytes(f.dir.File("lok.Quarvel/notes.txt"), "mine");
  f.form.session.text.Replace(1, "edited");
  FolderPicture expected = PictureOf(f.dir.path());

  EXPECT_FALSE(f.form.Run([&] { f.form.SpeichernButtonClick(); }));
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Error);
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "In " + f.dir.File("lok.Quarvel") + " kann nicht geschrieben werden");
  // The shape itself was saved, with its backup, and the folder is whole.
  EXPECT_FALSE(f.form.session.text.Modified());
  expected["lok.BAK"] = expected["lok.s"];
  expected["lok.s"] = EntryOf(f.dir.path(), "lok.s");
  expected["quarvel.INI"] = EntryOf(f.dir.path(), "quarvel.INI");  // the folder last opened
  EXPECT_EQ(PictureOf(f.dir.path()), expected);
  EXPECT_EQ(ReadShapeLines(path).at(1), "edited");

  // A shape named like its own settings file keeps the shape just saved.
  const Lines lines = BuildExportedShape(ElementsWithOwnSets(2));
  OpenThroughDialog(f, ShapeFile(f, "plan.Quarvel", lines));
  EXPECT_FALSE(f.form.Run([&] { f.form.SpeichernButtonClick(); }));
  EXPECT_EQ(f.dialogs.Shown(1).text,
            "In " + f.dir.File("plan.Quarvel") + " kann nicht geschrieben werden");
  EXPECT_EQ(ReadShapeLines(f.dir.File("plan.Quarvel")), lines);
}

TEST(UndoCommand, RestoresTheTextAsOpenedAfterConfirmation) {
  FormFixture f;
  f.form.UndoButtonClick();
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(68));

  const Lines lines = BuildExportedShape(ElementsWithOwnSets(2));
  OpenThroughDialog(f, ShapeFile(f, "u.s", lines));
  f.form.session.text.DeleteRange(5, 10);
  f.form.SpeichernButtonClick();  // saving does not move the point of return
  f.form.session.text.Replace(1, "x");
  f.form.MatButton.enabled = false;

  f.dialogs.Answer(Answer::No);
  f.form.UndoButtonClick();
  EXPECT_EQ(f.dialogs.Shown(1).text, f.Lang(69));
  EXPECT_EQ(f.dialogs.Shown(1).buttons, Buttons::YesNo);
  EXPECT_EQ(f.form.session.text[1], "x");

  f.dialogs.Answer(Answer::Yes);
  f.form.UndoButtonClick();
  EXPECT_EQ(f.form.session.text.All(), lines);
  EXPECT_FALSE(f.form.session.text.Modified());
  EXPECT_FALSE(f.form.CaptionRed(f.form.SpeichernBitBtn));
  EXPECT_FALSE(f.form.CaptionRed(f.form.SpeichernUnterBitBtn));
  EXPECT_TRUE(f.form.MatButton.enabled);
  EXPECT_TRUE(f.form.SMemo.changeNotificationAttached);
  EXPECT_EQ(f.form.Label2.caption, f.LineCountCaption());
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
}

TEST(CloseCommand, ClosesOnlyWhenNothingUnsavedIsLost) {
  FormFixture f;
  EXPECT_TRUE(f.form.FormCloseQuery());  // nothing changed: no question
  EXPECT_EQ(f.dialogs.Count(), 0u);
  f.form.WegButtonClick();
  EXPECT_TRUE(f.form.closeRequested);

  f.form.session.text.Append("typed");
  f.dialogs.Answer(Answer::Cancel);
  EXPECT_FALSE(f.form.FormCloseQuery());
  f.dialogs.Answer(Answer::No);
  EXPECT_TRUE(f.form.FormCloseQuery());
  // Yes, but the name dialog is cancelled: nothing was saved, so stay.
  f.dialogs.Answer(Answer::Yes);
  f.dialogs.ChooseFile(std::nullopt);
  EXPECT_FALSE(f.form.FormCloseQuery());

  // Yes, but the file cannot be written: stay as well.
  f.form.session.path = (f.dir.path() / "no such folder" / "x.s").string();
  f.dialogs.Answer(Answer::Yes);
  bool allowed = true;
  f.form.Run([&] { allowed = f.form.FormCloseQuery(); });
  EXPECT_FALSE(allowed);
  EXPECT_TRUE(f.form.session.text.Modified());

  f.form.session.path = f.dir.File("x.s");
  f.dialogs.Answer(Answer::Yes);
  EXPECT_TRUE(f.form.FormCloseQuery());
  EXPECT_TRUE(fs::exists(f.dir.File("x.s")));
}

TEST(CloseCommand, NoToTheChangedTextStillAsksForThePlanTypedForIt) {
  FormFixture f;
  OpenThroughDialog(f, ShapeFile(f, "loco.s"));
  f.form.session.text.Replace(1, "edited");
  f.form.StringGrid1SetEditText(3, 2, "2");
  for (const Answer plan : {Answer::Cancel, Answer::Yes}) {
    f.dialogs.shown.clear();
    f.dialogs.Answer(Answer::No);
    f.dialogs.Answer(plan);
    EXPECT_EQ(f.form.FormCloseQuery(), plan == Answer::Yes);
    ASSERT_EQ(f.dialogs.Count(), 2u);
    EXPECT_EQ(f.dialogs.Shown(1).text, f.Lang(Text::PlanChanged));
  }
  EXPECT_EQ(IniFile(f.dir.File("loco.Quarvel")).ReadString("SONR_L1", "2", ""), "2");
  EXPECT_TRUE(f.form.session.text.Modified()) << "the text itself was not saved";
}

TEST(CloseCommand, APlanTypedForAnUnchangedTextIsSavedOnlyWhenTheUserSaysSo) {
  FormFixture f;
  OpenThroughDialog(f, ShapeFile(f, "loco.s"));
  const std::string settings = f.dir.File("loco.Quarvel");
  EXPECT_FALSE(f.form.session.PlanChanged());
  EXPECT_TRUE(f.form.FormCloseQuery());  // opened and untouched: no question

  f.form.StringGrid1SetEditText(3, 2, "2");
  ASSERT_TRUE(f.form.session.PlanChanged());
  f.dialogs.Answer(Answer::Cancel);
  EXPECT_FALSE(f.form.FormCloseQuery());
  EXPECT_EQ(f.dialogs.shown.back().text, f.Lang(Text::PlanChanged));
  EXPECT_EQ(f.dialogs.shown.back().buttons, Buttons::YesNoCancel);
  f.dialogs.Answer(Answer::No);
  EXPECT_TRUE(f.form.FormCloseQuery());
  EXPECT_FALSE(fs::exists(settings));

  // Cancel keeps the shape open instead of opening another one.
  f.form.StringGrid4SetEditText(1, 1, "500");
  f.dialogs.Answer(Answer::Cancel);
  f.form.OeffnenButtonClick();
  EXPECT_EQ(f.dialogs.openRequests.size(), 1u);  // only the first opening's
  f.dialogs.Answer(Answer::Yes);
  EXPECT_TRUE(f.form.FormCloseQuery());
  const IniFile saved(settings);
  EXPECT_EQ(saved.ReadString("SONR_L1", "2", ""), "2");
  EXPECT_EQ(saved.ReadString("LODs", "1", ""), "500");
  EXPECT_FALSE(f.form.session.PlanChanged());

  // Typing a value back to what was saved is no change; a changed text asks
  // once for both, and saving it saves the plan.
  f.form.StringGrid1SetEditText(3, 2, "1");
  f.form.StringGrid1SetEditText(3, 2, "2");
  EXPECT_FALSE(f.form.session.PlanChanged());
  f.form.LODAnzSpinEditChange(2);
  f.form.LODAnzSpinEditExit();
  f.form.session.text.Append("typed");
  const std::size_t boxesBefore = f.dialogs.Count();
  f.dialogs.Answer(Answer::Yes);
  EXPECT_TRUE(f.form.FormCloseQuery());
  EXPECT_EQ(f.dialogs.Count(), boxesBefore + 1);
  EXPECT_EQ(IniFile(settings).ReadInteger("LODs", "Anzahl", 0), 2);
  EXPECT_FALSE(f.form.session.PlanChanged());
}

}  // namespace
}  // namespace quarvel::testing
