#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "SyntheticShape.h"
#include "cli/CliRun.h"
#include "shape/ShapeFile.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

// The program run in-process in a folder of its own, with its language file.
class Cli : public ::testing::Test {
 protected:
  Cli() { fs::copy_file(QUARVEL_SOURCE_DIR "/lang/Quarvel_L.INI", dir.File("Quarvel_L.INI")); }

  int Run(std::vector<std::string> arguments) {
    out.str("");
    err.str("");
    return cli::RunCli(arguments, out, err, dir.File("quarvel-cli"));
  }

  std::string Shape(const std::string& name,
                    const bench::SyntheticShapeOptions& options = Options()) {
    WriteShapeLines(dir.File(name), bench::MakeSyntheticShape(options));
    return dir.File(name);
  }

  static bench::SyntheticShapeOptions Options() {
    bench::SyntheticShapeOptions options;
    options.elements = 4;
    options.matrices = 2;
    options.animations = true;
    options.animatedMatrices = 1;
    return options;
  }

  static std::vector<std::string> Lines(const std::string& path) {
    ShapeText text;
    std::string bom;
    ReadShapeText(path, text, bom);
    return text.All();
  }

  TempDir dir;
  std::ostringstream out, err;
};

TEST_F(Cli, UsageMistakesExitWithTwo) {
  EXPECT_EQ(Run({}), cli::kUsage);
  EXPECT_NE(err.str().find("no shape file given"), std::string::npos);
  EXPECT_EQ(Run({"a.s", "--bogus"}), cli::kUsage);
  EXPECT_EQ(Run({"a.s", "-o", "b.s", "--in-place"}), cli::kUsage);
  EXPECT_EQ(Run({"a.s", "--json"}), cli::kUsage);
  EXPECT_EQ(Run({"a.s", "--lods", "100"}), cli::kUsage);
  EXPECT_EQ(Run({"a.s", "--lods", "2", "--distances", "100"}), cli::kUsage);
  EXPECT_EQ(Run({"a.s", "--distances", "100,2500"}), cli::kUsage);
  EXPECT_EQ(Run({"a.s", "--do", "explode"}), cli::kUsage);
  EXPECT_EQ(Run({"a.s", "b.s"}), cli::kUsage);
  EXPECT_EQ(Run({"--help"}), cli::kSuccess);
  EXPECT_NE(out.str().find("Exit status"), std::string::npos);
}

TEST_F(Cli, UnreadableShapesExitWithThree) {
  EXPECT_EQ(Run({dir.File("missing.s")}), cli::kCannotRead);
  WriteBytes(dir.File("plain.s"), "SIMISA@@@@@@@@@@JINX0s1t______\r\nshape (\r\n)\r\n");
  EXPECT_EQ(Run({dir.File("plain.s")}), cli::kCannotRead);
  EXPECT_NE(err.str().find("--force"), std::string::npos);
  // With --force the file is read; without elements its analysis fails.
  EXPECT_EQ(Run({dir.File("plain.s"), "--force"}), cli::kCannotRead);
  EXPECT_NE(err.str().find("warning: " + std::string("Die Datei konnte nicht")), std::string::npos);
}

TEST_F(Cli, CopyWritesTheLinesBackInTheShapeFormat) {
  const std::string shape = Shape("loco.s");
  ASSERT_EQ(Run({shape, "-o", dir.File("copy.s")}), cli::kSuccess) << err.str();
  EXPECT_EQ(Lines(dir.File("copy.s")), Lines(shape));
  EXPECT_EQ(ReadBytes(dir.File("copy.s")), ReadBytes(shape));
  EXPECT_FALSE(fs::exists(dir.File("copy.BAK")));
  EXPECT_EQ(Run({shape, "-o", dir.File("no/such/folder/copy.s")}), cli::kCannotWrite);
}

TEST_F(Cli, InfoDescribesTheTablesAsJson) {
  const std::string shape = Shape("loco.s");
  ASSERT_EQ(Run({shape, "--lods", "2", "--distances", "300,2000", "--info", "--json"}),
            cli::kSuccess)
      << err.str();
  const auto info = nlohmann::json::parse(out.str());
  ASSERT_EQ(info["elements"].size(), 4u);
  EXPECT_EQ(info["elements"][0]["name"], "Element_0");
  EXPECT_EQ(info["elements"][0]["image"], "texture0.ace");
  EXPECT_EQ(info["elements"][0]["faces"], Options().facesPerElement);
  EXPECT_EQ(info["elements"][0]["lods"], nlohmann::json::array({"1", "1"}));
  EXPECT_EQ(info["subobjects"][0]["vertices"], 4 * Options().verticesPerElement);
  EXPECT_EQ(info["lods"][0]["distance"], 300);
  EXPECT_EQ(info["lods"][1]["faces"], 4 * Options().facesPerElement);
  EXPECT_EQ(info["matrices"][1]["name"], "PART1");
  EXPECT_EQ(info["matrices"][1]["anim"], true);
  EXPECT_EQ(info["warnings"], nlohmann::json::array());

  ASSERT_EQ(Run({shape, "--info"}), cli::kSuccess);
  EXPECT_NE(out.str().find("Element_3"), std::string::npos);
  EXPECT_NE(out.str().find("Matrices:"), std::string::npos);
}

TEST_F(Cli, GenerateAppliesThePlanOfTheSettingsFile) {
  const std::string shape = Shape("loco.s");
  WriteBytes(dir.File("loco.Quarvel"),
             "[LODs]\r\nAnzahl=2\r\n1=150\r\n2=2000\r\n[SONR_L1]\r\n1=1\r\n2=2\r\n3=1\r\n4=2\r\n"
             "[SONR_L2]\r\n1=1\r\n2=999\r\n3=1\r\n4=999\r\n");
  ASSERT_EQ(Run({shape, "--do", "generate", "-o", dir.File("split.s")}), cli::kSuccess)
      << err.str();
  const auto lines = Lines(dir.File("split.s"));
  int levels = 0, subobjects = 0;
  for (const auto& line : lines) {
    levels += line.find("dlevel_selection") != std::string::npos;
    subobjects += line.find("sub_object_header") != std::string::npos;
  }
  EXPECT_EQ(levels, 2);
  EXPECT_EQ(subobjects, 3);

  // The same plan from another file given on the command line.
  fs::rename(dir.File("loco.Quarvel"), dir.File("plan.ini"));
  ASSERT_EQ(Run({shape, "--settings", dir.File("plan.ini"), "--do", "generate", "-o",
                 dir.File("again.s")}),
            cli::kSuccess);
  EXPECT_EQ(Lines(dir.File("again.s")), lines);
  EXPECT_EQ(Run({shape, "--settings", dir.File("nothing.ini")}), cli::kCannotRead);
}

TEST_F(Cli, RefusedCommandsWriteNothing) {
  const std::string shape = Shape("loco.s");
  WriteBytes(dir.File("loco.Quarvel"), "[SONR_L1]\r\n1=999\r\n2=999\r\n3=999\r\n4=999\r\n");
  EXPECT_EQ(Run({shape, "--do", "generate", "-o", dir.File("split.s")}), cli::kCommandFailed);
  EXPECT_NE(err.str().find("warning: LOD 1 ist leer"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.File("split.s")));
}

TEST_F(Cli, InPlaceSavesLikeTheSaveButton) {
  const std::string shape = Shape("loco.s");
  const std::string before = ReadBytes(shape);
  // The stored plan has no animation marks: every animation goes.
  WriteBytes(dir.File("loco.Quarvel"), "[ANIM]\r\n1=\r\n2=\r\n");
  ASSERT_EQ(Run({shape, "--do", "delete-animations", "--in-place"}), cli::kSuccess) << err.str();
  EXPECT_TRUE(ReadBytes(dir.File("loco.BAK")) == before);
  EXPECT_LT(Lines(shape).size(), Lines(dir.File("loco.BAK")).size());
  EXPECT_TRUE(fs::exists(dir.File("loco.Quarvel")));
  // The program's own INI is never written by the command line.
  EXPECT_FALSE(fs::exists(dir.File("quarvel-cli.INI")));
}

}  // namespace
}  // namespace quarvel::testing
