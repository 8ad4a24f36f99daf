// The command-line program run in-process: usage, reading, copying, the
// tables, batch commands, refusals and saving in place, with its exit codes.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CliRun.h"
#include "settings/ProgramFiles.h"
#include "support/ExportedShape.h"
#include "support/FileSystem.h"
#include "support/FormFixture.h"
#include "support/ScopedCommand.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

// Hands everything to a printer the test keeps after the program is done.
class ForwardingPrinter : public Printer {
 public:
  explicit ForwardingPrinter(Printer& printer) : printer_(printer) {}
  void SelectDefaultPrinter() override { printer_.SelectDefaultPrinter(); }
  void SetLandscape() override { printer_.SetLandscape(); }
  void BeginDoc() override { printer_.BeginDoc(); }
  void NewPage() override { printer_.NewPage(); }
  void SetFont(const PrintFont& font) override { printer_.SetFont(font); }
  void TextOut(int x, int y, const std::string& text) override { printer_.TextOut(x, y, text); }
  int PrintableHeightMm() const override { return printer_.PrintableHeightMm(); }
  int PageNumber() const override { return printer_.PageNumber(); }
  void EndDoc() override { printer_.EndDoc(); }
  void Abort() override { printer_.Abort(); }

 private:
  Printer& printer_;
};

class Cli : public ::testing::Test {
 protected:
  Cli() {
    fs::copy_file(QUARVEL_SOURCE_DIR "/lang/Quarvel_L.INI", dir.File("Quarvel_L.INI"));
    // Four elements on two matrices; PART1 is animated.
    ExportedShape shape = ElementsWithOwnSets(4, 6);
    shape.matrices = {"MAIN", "PART1"};
    shape.vtxStateMatrices = {0, 1, 0, 1};
    shape.animNodes = {{"MAIN", {}}, {"PART1", {3}}};
    WriteShapeLines(loco, BuildExportedShape(shape));
  }

  int Run(std::vector<std::string> arguments, const cli::PdfPrinterFactory& pdfPrinter = {}) {
    out.str("");
    err.str("");
    return cli::RunCli(arguments, out, err, dir.File("quarvel-cli"), pdfPrinter, Locale());
  }

  // The environment of the run: no locale (English) unless a test sets one.
  std::map<std::string, std::string> locale;
  cli::Environment Locale() const {
    return [this](const char* name) -> const char* {
      const auto it = locale.find(name);
      return it == locale.end() ? nullptr : it->second.c_str();
    };
  }

  // A printer for --print-pdf that keeps what it is given in `printed`.
  cli::PdfPrinterFactory Printing() {
    return [this](const std::string& path) -> std::unique_ptr<Printer> {
      pdfPath = path;
      printed = std::make_unique<FakePrinter>();
      return std::make_unique<ForwardingPrinter>(*printed);
    };
  }
  std::unique_ptr<FakePrinter> printed;
  std::string pdfPath;

  bool ErrorSays(const std::string& text) const {
    return err.str().find(text) != std::string::npos;
  }

  TempDir dir;
  const std::string loco = dir.File("loco.s");
  std::ostringstream out, err;
};

TEST_F(Cli, UsageMistakesExitWithTwo) {
  EXPECT_EQ(Run({}), cli::kUsage);
  EXPECT_TRUE(ErrorSays("no shape file given"));
  const std::vector<std::vector<std::string>> mistakes = {
      {"a.s", "--bogus"},
      {"a.s", "-o", "b.s", "--in-place"},
      {"a.s", "--json"},
      {"a.s", "--lods", "100"},
      {"a.s", "--lods", "2", "--distances", "100"},
      {"a.s", "--distances", "100,2500"},
      {"a.s", "--do", "explode"},
      {"a.s", "--check", "--do", "generate"},
      {"a.s", "--info", "-o", "-"},
      {"a.s", "--format", "zip", "-o", "b.s"},
      {"a.s", "--format", "binary"},
      {"a.s", "b.s", "-o", "c.s"},
      {"a.s", "b.s", "--print-pdf", "c.pdf"},
      {"a.s", "-o", "c.s", "--out-dir", "d"},
      {"a.s", "--jobs", "0"}};
  for (const auto& arguments : mistakes) EXPECT_EQ(Run(arguments), cli::kUsage) << arguments[1];
  EXPECT_EQ(Run({"--help"}), cli::kSuccess);
  EXPECT_NE(out.str().find("Exit status"), std::string::npos);
}

TEST_F(Cli, AVerbOfTheSessionsTableIsACommandOfTheCommandLine) {
  // The verb sees the session the shape was opened into.
  int runs = 0;
  bool available = true;
  const ScopedVerb row({.name = "dummy",
                        .run =
                            [&](Session& session) {
                              runs += session.Elements() > 0;
                              return Outcome::Done();
                            },
                        .available = [&](const Session&) { return available; },
                        .unavailable = Text::VerbMaterialsFixed});
  EXPECT_EQ(Run({"--help"}), cli::kSuccess);
  EXPECT_NE(out.str().find("generate, delete-animations"), std::string::npos);
  EXPECT_NE(out.str().find("dummy"), std::string::npos);
  EXPECT_EQ(Run({loco, "--do", "dummy,dummy"}), cli::kSuccess) << err.str();
  EXPECT_EQ(runs, 2);
  available = false;
  EXPECT_EQ(Run({loco, "--do", "dummy"}), cli::kCommandFailed);
  EXPECT_TRUE(ErrorSays("the material errors were corrected already"));
  EXPECT_EQ(runs, 2);
}

TEST_F(Cli, UnreadableShapesExitWithThreeAndCopiesAreWrittenAsShapes) {
  EXPECT_EQ(Run({dir.File("missing.s")}), cli::kCannotRead);
  WriteBytes(dir.File("plain.s"), "SIMISA@@@@@@@@@@JINX0s1t______\r\nshape (\r\n)\r\n");
  EXPECT_EQ(Run({dir.File("plain.s")}), cli::kCannotRead);
  EXPECT_TRUE(ErrorSays("--force"));
  // With --force the file is read; without elements its analysis fails.
  EXPECT_EQ(Run({dir.File("plain.s"), "--force"}), cli::kCannotRead);
  EXPECT_TRUE(ErrorSays("warning: The file could not be read"));

  ASSERT_EQ(Run({loco, "-o", dir.File("copy.s")}), cli::kSuccess) << err.str();
  EXPECT_EQ(ReadBytes(dir.File("copy.s")), ReadBytes(loco));
  EXPECT_FALSE(fs::exists(dir.File("copy.BAK")));
  EXPECT_EQ(Run({loco, "-o", dir.File("no/such/folder/copy.s")}), cli::kCannotWrite);
}

TEST_F(Cli, InfoDescribesTheTablesAsJson) {
  ASSERT_EQ(Run({loco, "--lods", "2", "--distances", "300,2000", "--info", "--json"}),
            cli::kSuccess)
      << err.str();
  const auto info = nlohmann::json::parse(out.str());
  ASSERT_EQ(info["elements"].size(), 4u);
  EXPECT_EQ(info["elements"][1]["name"], "Element1");
  EXPECT_EQ(info["elements"][1]["image"], "tex.ace");
  EXPECT_EQ(info["elements"][1]["faces"], 2);
  EXPECT_EQ(info["elements"][1]["lods"], nlohmann::json::array({"1", "1"}));
  EXPECT_EQ(info["subobjects"][0]["vertices"], 24);
  EXPECT_EQ(info["lods"][0]["distance"], 300);
  EXPECT_EQ(info["lods"][1]["faces"], 1 + 2 + 3 + 4);
  EXPECT_EQ(info["matrices"][1]["name"], "PART1");
  EXPECT_EQ(info["matrices"][1]["anim"], true);
  EXPECT_EQ(info["matrices"][0]["anim"], false);
  EXPECT_EQ(info["warnings"], nlohmann::json::array());

  ASSERT_EQ(Run({loco, "--info"}), cli::kSuccess);
  EXPECT_NE(out.str().find("Element3"), std::string::npos);
  EXPECT_NE(out.str().find("Matrices:"), std::string::npos);
}

TEST_F(Cli, GenerateAppliesThePlanOfTheSettingsFileOrRefusesAndWritesNothing) {
  const std::string plan =
      "[LODs]\r\nAnzahl=2\r\n1=150\r\n2=2000\r\n[SONR_L1]\r\n1=1\r\n2=2\r\n3=1\r\n4=2\r\n"
      "[SONR_L2]\r\n1=1\r\n2=999\r\n3=1\r\n4=999\r\n";
  WriteBytes(dir.File("loco.Quarvel"), plan);
  ASSERT_EQ(Run({loco, "--do", "generate", "-o", dir.File("split.s")}), cli::kSuccess) << err.str();
  const auto lines = ReadShapeLines(dir.File("split.s"));
  int levels = 0, subobjects = 0;
  for (const auto& line : lines) {
    levels += line.find("dlevel_selection") != std::string::npos;
    subobjects += line.find("sub_object_header") != std::string::npos;
  }
  EXPECT_EQ(levels, 2);
  EXPECT_EQ(subobjects, 3);

  // The same plan from another file given on the command line.
  fs::rename(dir.File("loco.Quarvel"), dir.File("plan.ini"));
  ASSERT_EQ(Run({loco, "--settings", dir.File("plan.ini"), "--do", "generate", "-o",
                 dir.File("again.s")}),
            cli::kSuccess);
  EXPECT_EQ(ReadShapeLines(dir.File("again.s")), lines);
  EXPECT_EQ(Run({loco, "--settings", dir.File("nothing.ini")}), cli::kCannotRead);

  WriteBytes(dir.File("empty.ini"), "[SONR_L1]\r\n1=999\r\n2=999\r\n3=999\r\n4=999\r\n");
  EXPECT_EQ(Run({loco, "--settings", dir.File("empty.ini"), "--do", "generate", "-o",
                 dir.File("refused.s")}),
            cli::kCommandFailed);
  EXPECT_TRUE(ErrorSays("warning: LOD 1 is empty"));
  EXPECT_FALSE(fs::exists(dir.File("refused.s")));
}

TEST_F(Cli, InPlaceSavesLikeTheSaveButton) {
  const std::string before = ReadBytes(loco);
  // The stored plan has no animation marks: every animation goes.
  WriteBytes(dir.File("loco.Quarvel"), "[ANIM]\r\n1=\r\n2=\r\n");
  ASSERT_EQ(Run({loco, "--do", "delete-animations", "--in-place"}), cli::kSuccess) << err.str();
  EXPECT_TRUE(ReadBytes(dir.File("loco.BAK")) == before);
  EXPECT_EQ(ReadShapeLines(loco).size() + 5, ReadShapeLines(dir.File("loco.BAK")).size());
  EXPECT_TRUE(fs::exists(dir.File("loco.Quarvel")));
  // The program's own INI is never written by the command line.
  EXPECT_FALSE(fs::exists(dir.File("quarvel-cli.INI")));
}

// Case by case, what a save must never destroy. Each test compares the whole
// folder before and after: byte for byte, or in the state the save documents.

TEST_F(Cli, TheOpenedBackupIsNeverReplaced) {
  locale["LANG"] = "de_DE.UTF-8";
  fs::rename(loco, dir.File("x.BAK"));  // the only unsplit original
  WriteShapeLines(dir.File("x.s"), BuildExportedShape(ElementsWithOwnSets(2)));  // older split
  const FolderPicture before = PictureOf(dir.path());
  EXPECT_EQ(Run({dir.File("x.BAK"), "--lods", "2", "--do", "generate", "-o", dir.File("x.s")}),
            cli::kCannotWrite);
  EXPECT_TRUE(ErrorSays("Die Sicherung " + dir.File("x.BAK") +
                        " ist die Datei, aus der der Text gelesen wurde"));
  EXPECT_EQ(Run({dir.File("x.BAK"), "--do", "generate", "--in-place"}), cli::kCannotWrite);
  EXPECT_TRUE(ErrorSays(dir.File("x.BAK") + " ist die Datei, aus der der Text gelesen wurde, und "
                                            "zugleich ihre eigene Sicherung"));
  EXPECT_EQ(PictureOf(dir.path()), before);
}

TEST_F(Cli, FoldersDevicesPipesAndSocketsAreNeverReplaced) {
  fs::create_directory(dir.File("loco.BAK"));
  WriteBytes(dir.File("loco.BAK/notes.txt"), "the modeller's notes");
#ifdef _WIN32
  // The devices there are names, not nodes in a folder.
  const std::vector<std::string> specials = {"NUL"};
#else
  MakeFifo(dir.File("pipe.s"));
  MakeSocket(dir.File("socket.s"));
  std::vector<std::string> specials = {dir.File("pipe.s"), dir.File("socket.s")};
  // Only root makes device nodes; the real /dev/null is never put at risk.
  if (::geteuid() == 0 && ::mknod(dir.File("null.s").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
    specials.push_back(dir.File("null.s"));
#endif
  const FolderPicture before = PictureOf(dir.path());

  EXPECT_EQ(Run({loco, "--in-place"}), cli::kCannotWrite);
  EXPECT_TRUE(ErrorSays(dir.File("loco.BAK") + " is a folder and is not replaced."));
  for (const std::string& special : specials) {
    SCOPED_TRACE(special);
    EXPECT_EQ(Run({loco, "-o", special}), cli::kCannotWrite);
    EXPECT_TRUE(ErrorSays(special + " is not a regular file"));
  }
  EXPECT_EQ(PictureOf(dir.path()), before);

  // Standard output is where a pipe gets the shape.
  ASSERT_EQ(Run({loco, "-o", "-"}), cli::kSuccess) << err.str();
  EXPECT_TRUE(out.str() == ReadBytes(loco));
  EXPECT_EQ(PictureOf(dir.path()), before);
}

TEST_F(Cli, WriteProtectedShapesAndSettingsFilesStay) {
  const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  const auto everyone = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                        fs::perms::group_write | fs::perms::others_read | fs::perms::others_write;
  fs::permissions(loco, readOnly);
  const auto run = [this](const std::string& shape) {
    return RunUnprivileged(dir.path(), [&] {
      std::ostringstream output, errors;
      const int status =
          cli::RunCli({shape, "--in-place"}, output, errors, dir.File("quarvel-cli"));
      return std::to_string(status) + " " + errors.str();
    });
  };
  FolderPicture before = PictureOf(dir.path());
  auto result = run(loco);
  if (!result) GTEST_SKIP() << "running as root and no unprivileged user to drop to";
  EXPECT_EQ(result->substr(0, 2), "4 ") << *result;
  EXPECT_NE(result->find(loco + " is write-protected and is not replaced."), std::string::npos)
      << *result;
  EXPECT_EQ(PictureOf(dir.path()), before);

  // A write-protected settings file: the shape is saved, the settings file
  // stays, and the exit status says which of the two failed.
  fs::permissions(loco, everyone);
  WriteBytes(dir.File("loco.Quarvel"), "[LODs]\r\nAnzahl=1\r\n");
  fs::permissions(dir.File("loco.Quarvel"), readOnly);
  before = PictureOf(dir.path());
  result = run(loco);
  EXPECT_EQ(result->substr(0, 2), "5 ") << *result;
  EXPECT_NE(result->find(dir.File("loco.Quarvel") + " cannot be written to"), std::string::npos)
      << *result;
  FolderPicture expected = before;
  expected["loco.BAK"] = before["loco.s"];
  EXPECT_EQ(PictureOf(dir.path()), expected);
}

TEST_F(Cli, ThroughASymbolicLinkTheFileItPointsToIsSavedAndBackedUpBesideIt) {
  fs::create_directory(dir.File("models"));
  fs::rename(loco, dir.File("models/loco.s"));
  SKIP_ON_WINDOWS("symbolic links need a privilege there");
  fs::create_symlink("models/loco.s", loco);
  WriteBytes(dir.File("loco.Quarvel"), "[ANIM]\r\n1=\r\n2=\r\n");  // every animation goes
  FolderPicture expected = PictureOf(dir.path());
  ASSERT_EQ(Run({loco, "--do", "delete-animations", "--in-place"}), cli::kSuccess) << err.str();

  expected["models/loco.BAK"] = expected["models/loco.s"];
  expected["models/loco.s"] = EntryOf(dir.path(), "models/loco.s");
  expected["loco.Quarvel"] = EntryOf(dir.path(), "loco.Quarvel");  // beside the name opened
  EXPECT_EQ(PictureOf(dir.path()), expected);
  EXPECT_EQ(ReadShapeLines(loco).size() + 5, ReadShapeLines(dir.File("models/loco.BAK")).size());
  EXPECT_TRUE(fs::is_symlink(loco));
}

TEST_F(Cli, AShapeThatCannotBeWrittenLeavesItsSettingsFileAlone) {
  WriteBytes(dir.File("loco.Quarvel"), "; kept as it is\r\n[LODs]\r\nAnzahl=1\r\n");
  const FolderPicture before = PictureOf(dir.path());
  // The disk fills up before the shape is complete; the settings file would
  // still fit.
  int status = 0;
  SKIP_ON_WINDOWS("no limit on the size of the files a process writes");
  WithFullDisk(ReadBytes(loco).size() - 1, [&] { status = Run({loco, "--in-place"}); });
  EXPECT_EQ(status, cli::kCannotWrite);
  EXPECT_TRUE(ErrorSays("the file would be too large"));
  EXPECT_EQ(PictureOf(dir.path()), before);
}

TEST_F(Cli, ASettingsFileThatCannotBeWrittenHasItsOwnExitStatus) {
  // A folder in its place is refused before anything is read or written.
  fs::create_directory(dir.File("loco.Quarvel"));
  WriteBytes(dir.File("loco.Quarvel/notes.txt"), "mine");
  const FolderPicture untouched = PictureOf(dir.path());
  EXPECT_EQ(Run({loco, "--in-place"}), cli::kCannotRead);
  EXPECT_EQ(PictureOf(dir.path()), untouched);
  fs::remove_all(dir.File("loco.Quarvel"));
  // A link that leads nowhere is no file to read, and is not replaced.
  SKIP_ON_WINDOWS("symbolic links need a privilege there");
  fs::create_symlink("nowhere/loco.Quarvel", dir.File("loco.Quarvel"));
  FolderPicture expected = PictureOf(dir.path());
  EXPECT_EQ(Run({loco, "--in-place"}), cli::kCannotWriteSettings);
  EXPECT_TRUE(ErrorSays("error: the settings file " + dir.File("loco.Quarvel") +
                        " cannot be written; " + loco + " itself was saved"));
  EXPECT_FALSE(ErrorSays(loco + " cannot be written"));
  // The shape was saved with its backup; the folder is whole.
  expected["loco.BAK"] = expected["loco.s"];
  EXPECT_EQ(PictureOf(dir.path()), expected);
}

TEST_F(Cli, CheckListsEveryProblemWithItsLine) {
  locale["LANG"] = "de_DE.UTF-8";
  EXPECT_EQ(Run({loco, "--check"}), cli::kSuccess) << err.str();
  EXPECT_EQ(out.str(), "");

  std::vector<std::string> lines = BuildExportedShape(ElementsWithOwnSets(2, 6));
  const std::size_t vertex = LineWith(lines, "vertex ( 00000000 5 1");
  lines[vertex] = "\t\t\t\t\t\t\t\tvertex ( 00000000 999 1 ffffffff ff808080";
  lines.push_back("\tanimations ( 0 )");
  std::swap(lines[lines.size() - 1], lines[lines.size() - 2]);  // inside the shape
  WriteShapeLines(dir.File("damaged.s"), lines);
  const std::string pointMissing =
      "\"vertex\" verweist auf Punkt 999, den es nicht gibt (\"points\" hat 12 Einträge).";
  const std::string emptyAnimations =
      "Leerer Block \"animations ( 0 )\": manche Programme laden eine Datei damit nicht; der "
      "Block kann entfallen.";
  EXPECT_EQ(Run({dir.File("damaged.s"), "--check"}), cli::kCommandFailed);
  const std::string damaged = dir.File("damaged.s");
  EXPECT_EQ(out.str(), damaged + ":" + std::to_string(vertex + 1) + ": error: " + pointMissing +
                           "\n" + damaged + ":" + std::to_string(lines.size() - 1) +
                           ": warning: " + emptyAnimations + "\n");
  EXPECT_EQ(Run({damaged, "--check", "--json"}), cli::kCommandFailed);
  EXPECT_EQ(nlohmann::json::parse(out.str()),
            nlohmann::json::parse(
                R"({"file": )" + nlohmann::json(damaged).dump() + R"(, "problems": [{"line": )" +
                std::to_string(vertex + 1) + R"(, "severity": "error", "message": )" +
                nlohmann::json(pointMissing).dump() + R"(}, {"line": )" +
                std::to_string(lines.size() - 1) + R"(, "severity": "warning", "message": )" +
                nlohmann::json(emptyAnimations).dump() + "}]}"));

  // Warnings alone are no failure.
  lines[vertex] = "\t\t\t\t\t\t\t\tvertex ( 00000000 5 1 ffffffff ff808080";
  WriteShapeLines(dir.File("warned.s"), lines);
  EXPECT_EQ(Run({dir.File("warned.s"), "--check"}), cli::kSuccess);
  EXPECT_NE(out.str().find(": warning: "), std::string::npos);
}

TEST_F(Cli, ADamagedShapeIsNeverSplit) {
  locale["LC_MESSAGES"] = "de_AT.UTF-8";
  std::vector<std::string> lines = BuildExportedShape(ElementsWithOwnSets(2, 6));
  lines.pop_back();  // the shape's last ")"
  WriteShapeLines(dir.File("open.s"), lines);
  EXPECT_EQ(Run({dir.File("open.s"), "--lods", "2", "--do", "generate", "-o", dir.File("split.s")}),
            cli::kCommandFailed);
  EXPECT_TRUE(ErrorSays("warning: Die Datei ist fehlerhaft (Zeile " +
                        std::to_string(LineWith(lines, "shape (") + 1) +
                        "): Die Klammer hinter \"shape\" wird nicht geschlossen (es fehlt 1 "
                        "schließende Klammer). Abbruch der Aktion."));
  EXPECT_FALSE(fs::exists(dir.File("split.s")));
}

// Lines are the file's: behind a line the reader cuts into pieces of 210
// characters, the text's own numbers would run ahead of what an editor shows.
TEST_F(Cli, MessagesNameTheLinesOfTheFile) {
  locale["LANG"] = "de_DE.UTF-8";
  ExportedShape shape = ElementsWithOwnSets(2, 300);
  shape.primitives = {{0, 100}, {1, 100}};  // index lists of 1000 characters and more
  shape.animNodes = {{"MAIN", {2}}};
  std::vector<std::string> lines = BuildExportedShape(shape);
  const std::size_t damaged = LineWith(lines, "tcb_key (");  // behind the long lines
  lines[damaged].replace(lines[damaged].find("tcb_key ( 0"), 11, "tcb_key ( 0.5");
  WriteShapeLines(dir.File("long.s"), lines);
  ASSERT_GT(ReadShapeLines(dir.File("long.s")).size(), lines.size() + 10);  // cut by the reader

  const std::string line = std::to_string(damaged + 1);
  EXPECT_EQ(Run({dir.File("long.s"), "--check"}), cli::kCommandFailed);
  EXPECT_EQ(out.str(), dir.File("long.s") + ":" + line +
                           ": error: '0.5' in \"tcb_key\" ist kein gültiger Integerwert.\n");
  EXPECT_EQ(Run({dir.File("long.s"), "--do", "generate", "-o", dir.File("split.s")}),
            cli::kCommandFailed);
  EXPECT_TRUE(ErrorSays("(Zeile " + line + "): ")) << err.str();
}

// A shape in any form opens without --force, is checked, and is written in
// the form it came in or the one asked for.
TEST_F(Cli, TheThreeFormsOpenAndAreWrittenAsAsked) {
  const std::string packed = dir.File("packed.s");
  ASSERT_EQ(Run({loco, "--format", "compressed", "-o", packed}), cli::kSuccess) << err.str();
  EXPECT_EQ(ReadBytes(packed).substr(0, 8), "SIMISA@F");
  EXPECT_EQ(Run({packed, "--check"}), cli::kSuccess) << err.str();
  EXPECT_EQ(out.str(), "");

  // Kept compressed through a split, in place, with the backup beside it.
  const std::string before = ReadBytes(packed);
  ASSERT_EQ(Run({packed, "--lods", "2", "--do", "generate", "--in-place"}), cli::kSuccess)
      << err.str();
  EXPECT_EQ(ReadBytes(packed).substr(0, 8), "SIMISA@F");
  EXPECT_EQ(ReadBytes(dir.File("packed.BAK")), before);
  ASSERT_EQ(Run({packed, "--format", "binary", "-o", dir.File("binary.s")}), cli::kSuccess);
  EXPECT_EQ(ReadBytes(dir.File("binary.s")).substr(0, 24), "SIMISA@@@@@@@@@@JINX0s1b");
  ASSERT_EQ(Run({dir.File("binary.s"), "--format", "text", "-o", "-"}), cli::kSuccess);
  const std::string text = out.str();
  ASSERT_EQ(Run({packed, "--format", "text", "-o", dir.File("text.s")}), cli::kSuccess);
  EXPECT_EQ(ReadBytes(dir.File("text.s")), text);
  EXPECT_EQ(text.substr(0, 2), "\xFF\xFE");

  // A text the grammar refuses is not written in a binary form.
  std::vector<std::string> lines = ReadShapeLines(loco);
  lines[LineWith(lines, "point (")] = "\t\tpoint ( 0x10 0 0 )";
  WriteShapeLines(dir.File("bad.s"), lines);
  EXPECT_EQ(Run({dir.File("bad.s"), "--format", "compressed", "-o", dir.File("bad_out.s")}),
            cli::kCannotWrite);
  EXPECT_TRUE(ErrorSays("line " + std::to_string(LineWith(lines, "point (") + 1) + ": '0x10'"));
  EXPECT_FALSE(fs::exists(dir.File("bad_out.s")));
}

TEST_F(Cli, AnEmptyFileHasNoElementToWorkOn) {
  WriteBytes(dir.File("empty.s"), "");
  EXPECT_EQ(Run({dir.File("empty.s"), "--force", "--do", "generate", "-o", dir.File("split.s")}),
            cli::kCommandFailed);
  EXPECT_TRUE(ErrorSays(dir.File("empty.s") + " is empty: the analysis finds no element"));
  EXPECT_FALSE(fs::exists(dir.File("split.s")));
  EXPECT_EQ(ReadBytes(dir.File("empty.s")), "");
}

TEST_F(Cli, PrintPdfPrintsTheTablesBeforeOrAfterTheCommandsAsGiven) {
  EXPECT_EQ(Run({loco, "--print-pdf", dir.File("plan.pdf")}), cli::kUsage);
  EXPECT_TRUE(ErrorSays("built without Qt"));
  EXPECT_EQ(Run({loco, "--print-pdf", "a.pdf", "--print-pdf", "b.pdf"}, Printing()), cli::kUsage);

  ASSERT_EQ(Run({loco, "--lods", "3", "--print-pdf", dir.File("plan.pdf")}, Printing()),
            cli::kSuccess)
      << err.str();
  EXPECT_EQ(pdfPath, dir.File("plan.pdf"));
  ASSERT_NE(printed, nullptr);
  EXPECT_TRUE(printed->ended);
  EXPECT_TRUE(printed->landscape);  // every question is answered Yes
  EXPECT_EQ(printed->At(1, 0).substr(0, 7), "loco.s ");
  EXPECT_EQ(printed->At(1, 3).substr(53), "   Faces  L 1  L 2  L 3");

  // A refused command after the printout leaves the printout; one before it
  // ends the run before anything is printed.
  WriteBytes(dir.File("empty.ini"), "[SONR_L1]\r\n1=999\r\n2=999\r\n3=999\r\n4=999\r\n");
  EXPECT_EQ(Run({loco, "--settings", dir.File("empty.ini"), "--print-pdf", "first.pdf", "--do",
                 "generate"},
                Printing()),
            cli::kCommandFailed);
  EXPECT_TRUE(printed->ended);
  EXPECT_EQ(Run({loco, "--settings", dir.File("empty.ini"), "--do", "generate", "--print-pdf",
                 "last.pdf"},
                Printing()),
            cli::kCommandFailed);
  EXPECT_FALSE(printed->ended);
}

}  // namespace
}  // namespace quarvel::testing

namespace quarvel::testing {
namespace {

TEST_F(Cli, ASubobjectAboveTheVertexLimitIsRefusedUnlessTheLimitIsLifted) {
  // Three elements of 600 vertices: 1800 in one sub-object.
  const std::string big = dir.File("big.s");
  WriteShapeLines(big, BuildExportedShape(ElementsWithOwnSets(3, 600)));
  const std::string split = dir.File("split.s");
  ASSERT_EQ(Run({big, "--do", "generate", "-o", split}), cli::kSuccess) << err.str();
  fs::remove(split);

  // The program INI's limit counts, the command line's overrides it.
  WriteBytes(dir.File("quarvel-cli.INI"), "[Limits]\r\nVertices=1000\r\n");
  EXPECT_EQ(Run({big, "--do", "generate", "-o", split}), cli::kCommandFailed);
  EXPECT_TRUE(
      ErrorSays("warning: Sub-object 1 of LOD 1 has 1800 vertices, more than the limit "
                "of 1000 vertices. Action cancelled.\n"))
      << err.str();
  EXPECT_TRUE(ErrorSays("--auto-split splits every LOD within the limit"));
  EXPECT_FALSE(fs::exists(split));
  // --force opens a file without the Unicode mark; it does not lift the limit.
  EXPECT_EQ(Run({big, "--force", "--do", "generate", "-o", split}), cli::kCommandFailed);
  EXPECT_FALSE(fs::exists(split));
  ASSERT_EQ(Run({big, "--vertex-limit", "2000", "--do", "generate", "-o", split}), cli::kSuccess);
  fs::remove(split);

  ASSERT_EQ(Run({big, "--force-limit", "--do", "generate", "-o", split}), cli::kSuccess);
  EXPECT_TRUE(
      ErrorSays("warning: Sub-object 1 of LOD 1 has 1800 vertices, more than the limit "
                "of 1000 vertices. It is generated anyway.\n"))
      << err.str();
  EXPECT_TRUE(fs::exists(split));
  // The INI is only read: the command line leaves no trace in it.
  EXPECT_EQ(ReadBytes(dir.File("quarvel-cli.INI")), "[Limits]\r\nVertices=1000\r\n");
}

// Installed, the command line finds its language file in the shared data
// folder and its INI in the user's configuration folder, never in a folder
// that other users can write.
TEST_F(Cli, AnInstalledCommandLineReadsItsIniFromTheConfigurationFolder) {
  fs::create_directories(dir.File("usr/bin"));
  fs::create_directories(dir.File("usr/share/quarvel"));
  fs::rename(dir.File("Quarvel_L.INI"), dir.File("usr/share/quarvel/Quarvel_L.INI"));
  const std::string big = dir.File("big.s");
  WriteShapeLines(big, BuildExportedShape(ElementsWithOwnSets(3, 600)));
  fs::create_directories(dir.File("config/quarvel"));
  WriteBytes(dir.File("config/quarvel/quarvel-cli.INI"), "[Limits]\r\nVertices=1000\r\n");
  locale["LANG"] = "de_DE.UTF-8";
  const auto refusedByTheIniLimit = [&] {
    err.str("");
    const int status = cli::RunCli({big, "--do", "generate", "-o", dir.File("split.s")}, out, err,
                                   dir.File("usr/bin/quarvel-cli"), {}, Locale());
    return status == cli::kCommandFailed &&
           ErrorSays("Subobjekt 1 von LOD 1 hat 1800 Vertices, mehr als die Grenze von 1000");
  };
  locale[kConfigHomeVariable] = dir.File("config");
  EXPECT_TRUE(refusedByTheIniLimit()) << err.str();
  locale.erase(kConfigHomeVariable);
  locale[kHomeVariable] = dir.File("home");
  fs::create_directories(dir.File("home/.config"));
  fs::rename(dir.File("config/quarvel"), dir.File("home/.config/quarvel"));
  EXPECT_TRUE(refusedByTheIniLimit()) << err.str();
  EXPECT_FALSE(fs::exists(dir.File("split.s")));
}

TEST_F(Cli, AutoSplitKeepsEveryLodWithinTheLimitBeforeTheCommands) {
  const std::string big = dir.File("big.s");
  WriteShapeLines(big, BuildExportedShape(ElementsWithOwnSets(3, 600)));
  const std::string split = dir.File("split.s");
  ASSERT_EQ(Run({big, "--lods", "2", "--vertex-limit", "1300", "--auto-split", "--info", "--do",
                 "generate", "-o", split}),
            cli::kSuccess)
      << err.str();
  const std::vector<std::string> lines = ReadShapeLines(split);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) {
                            return line.find("sub_objects ( 2") != std::string::npos;
                          }),
            2);
  EXPECT_NE(out.str().find("    1         1200         1200\n    2          600          600\n"),
            std::string::npos)
      << out.str();

  // A LOD that cannot be split stops the run before anything is written.
  fs::remove(split);
  WriteBytes(dir.File("plan.ini"), "[SONR_L1]\r\n1=0\r\n2=0\r\n3=1\r\n");
  EXPECT_EQ(Run({big, "--settings", dir.File("plan.ini"), "--vertex-limit", "1000", "--auto-split",
                 "--do", "generate", "-o", split}),
            cli::kCommandFailed);
  EXPECT_TRUE(ErrorSays("error: --auto-split: LOD 1 cannot be split; nothing is written"));
  EXPECT_FALSE(fs::exists(split));

  for (const std::vector<std::string>& mistake :
       std::vector<std::vector<std::string>>{{big, "--vertex-limit", "999"},
                                             {big, "--vertex-limit", "65536"},
                                             {big, "--vertex-limit", "viel"},
                                             {big, "--vertex-limit"},
                                             {big, "--check", "--auto-split"},
                                             {big, "--check", "--force-limit"}})
    EXPECT_EQ(Run(mistake), cli::kUsage) << mistake[1] << " " << mistake.back();
  EXPECT_EQ(Run({"--help"}), cli::kSuccess);
  for (const char* option : {"--vertex-limit N", "--auto-split", "--force-limit"})
    EXPECT_NE(out.str().find(option), std::string::npos) << option;
}

TEST_F(Cli, NoOutputReplacesTheShapeItsSettingsFileOrItsBackup) {
  WriteBytes(dir.File("loco.Quarvel"), "[Delta]\r\nPoints=0\r\n");
  WriteBytes(dir.File("loco.BAK"), "old");
  SKIP_ON_WINDOWS("symbolic links need a privilege there");
  fs::create_symlink(loco, dir.File("link.s"));
  fs::create_directory(dir.File("sub"));
  const FolderPicture before = PictureOf(dir.path());
  // -o through another spelling or a link is still the input.
  for (const std::string& output : {dir.File("sub/../loco.s"), dir.File("link.s")}) {
    EXPECT_EQ(Run({loco, "--do", "generate", "-o", output}), cli::kUsage) << output;
    EXPECT_TRUE(ErrorSays("--in-place")) << err.str();
  }
  for (const std::string& pdf :
       {loco, dir.File("link.s"), dir.File("loco.Quarvel"), dir.File("loco.BAK")})
    EXPECT_EQ(Run({loco, "--print-pdf", pdf}, Printing()), cli::kUsage) << pdf;
  EXPECT_FALSE(printed);
  EXPECT_EQ(Run({loco, "--info", "--print-pdf", "-"}, Printing()), cli::kUsage);
  EXPECT_EQ(PictureOf(dir.path()), before);
}

TEST_F(Cli, VersionAndTheEndOfTheOptions) {
  EXPECT_EQ(Run({"--version"}), cli::kSuccess);
  EXPECT_EQ(out.str().rfind("quarvel-cli ", 0), 0u) << out.str();
  fs::copy_file(loco, dir.File("-dash.s"));
  EXPECT_EQ(Run({"-dash.s"}), cli::kUsage);  // an unknown option
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  EXPECT_EQ(Run({"--info", "--", "-dash.s"}), cli::kSuccess) << err.str();
  EXPECT_EQ(Run({"--", "-dash.s", "--info"}), cli::kCannotRead);  // a second shape
  fs::current_path(before);
}

TEST_F(Cli, SpeaksEnglishUnlessTheLocaleOrLangAsksForGerman) {
  struct Case {
    std::map<std::string, std::string> locale;
    std::vector<std::string> lang;
    const char* code;
  };
  const Case cases[] = {
      {{}, {}, "en"},
      {{{"LANG", "de_DE.UTF-8"}}, {}, "de"},
      {{{"LANG", "de"}}, {}, "de"},
      {{{"LANG", "dek_XX"}}, {}, "en"},
      {{{"LC_ALL", "C"}, {"LANG", "de_DE.UTF-8"}}, {}, "en"},
      {{{"LC_ALL", ""}, {"LC_MESSAGES", "de_AT@euro"}, {"LANG", "en_GB"}}, {}, "de"},
      {{{"LANG", "de_DE.UTF-8"}}, {"--lang", "en"}, "en"},
      {{{"LANG", "fr_FR.UTF-8"}}, {"--lang", "de"}, "de"},
      {{{"LANG", "de_DE.UTF-8"}}, {"--lang", "fr"}, "de"},  // refused, in German
  };
  for (const Case& c : cases) {
    locale = c.locale;
    std::vector<std::string> arguments = c.lang;
    EXPECT_EQ(cli::LanguageCode(arguments, Locale()), c.code)
        << ::testing::PrintToString(arguments);
    // The usage errors follow it, and so do the core's messages.
    EXPECT_EQ(Run(arguments), cli::kUsage);
    const bool german = std::string(c.code) == "de";
    EXPECT_EQ(ErrorSays(german ? "Mehr dazu mit" : "Try 'quarvel-cli --help'"), true) << err.str();
    arguments.insert(arguments.begin(), {loco, "--do", "merge-points"});
    Run(arguments);
    if (c.lang.size() == 2 && c.lang[1] == "fr") continue;
    EXPECT_TRUE(ErrorSays(german ? "Es gibt keine Punkte" : "There are no points")) << err.str();
  }
}

}  // namespace
}  // namespace quarvel::testing
