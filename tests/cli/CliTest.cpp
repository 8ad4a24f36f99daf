// The command-line program run in-process: usage, reading, copying, the
// tables, batch commands, refusals and saving in place, with its exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CliRun.h"
#include "support/ExportedShape.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

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
    return cli::RunCli(arguments, out, err, dir.File("quarvel-cli"), pdfPrinter);
  }

  // A printer for --print-pdf that keeps what it is given in `printed`.
  cli::PdfPrinterFactory Printing() {
    return [this](const std::string& path) -> std::unique_ptr<Printer> {
      pdfPath = path;
      printed = std::make_unique<FakePrinter>();
      return std::make_unique<cli::WatchedPrinter>(*printed);
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
      {"a.s", "b.s"}};
  for (const auto& arguments : mistakes) EXPECT_EQ(Run(arguments), cli::kUsage) << arguments[1];
  EXPECT_EQ(Run({"--help"}), cli::kSuccess);
  EXPECT_NE(out.str().find("Exit status"), std::string::npos);
}

TEST_F(Cli, UnreadableShapesExitWithThreeAndCopiesAreWrittenAsShapes) {
  EXPECT_EQ(Run({dir.File("missing.s")}), cli::kCannotRead);
  WriteBytes(dir.File("plain.s"), "SIMISA@@@@@@@@@@JINX0s1t______\r\nshape (\r\n)\r\n");
  EXPECT_EQ(Run({dir.File("plain.s")}), cli::kCannotRead);
  EXPECT_TRUE(ErrorSays("--force"));
  // With --force the file is read; without elements its analysis fails.
  EXPECT_EQ(Run({dir.File("plain.s"), "--force"}), cli::kCannotRead);
  EXPECT_TRUE(ErrorSays("warning: Die Datei konnte nicht"));

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
  EXPECT_TRUE(ErrorSays("warning: LOD 1 ist leer"));
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
