// The clean-up commands from the command line: the tolerances given there
// stand over the settings file's, "nothing to merge" is no failure, and a
// command that runs once per text says so when asked twice.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cleanup/MergeShape.h"
#include "cli/CliRun.h"

namespace quarvel::testing {
namespace {

struct CliCleanup : ::testing::Test {
  CliCleanup() {
    std::filesystem::copy_file(QUARVEL_SOURCE_DIR "/lang/Quarvel_L.INI", dir.File("Quarvel_L.INI"));
  }
  int Run(const std::vector<std::string>& arguments) {
    out.str("");
    err.str("");
    // No locale: English.
    return cli::RunCli(arguments, out, err, dir.File("quarvel-cli"), {},
                       [](const char*) -> const char* { return nullptr; });
  }
  TempDir dir;
  std::ostringstream out, err;
};

TEST_F(CliCleanup, TolerancesOfTheCommandLineStandOverTheSettingsFile) {
  std::vector<std::string> lines = BuildExportedShape(ElementsWithOwnSets(2, 6));
  lines[LineWith(lines, "point ( 1 0.5 -1 )")] = "\t\tpoint ( 0.0004 0.5 0 )";  // near point 0
  const std::string loco = dir.File("loco.s");
  WriteShapeLines(loco, lines);
  WriteBytes(dir.File("loco.Quarvel"), "[Delta]\r\nPoints=0\r\nNormals=0\r\n");

  // The settings file's 0 finds nothing to merge: news, not a failure.
  ASSERT_EQ(Run({loco, "--do", "merge-points,merge-normals", "-o", dir.File("a.s")}), cli::kSuccess)
      << err.str();
  EXPECT_NE(err.str().find("There are no points"), std::string::npos);
  EXPECT_NE(err.str().find("There are no normals"), std::string::npos);
  EXPECT_EQ(ReadShapeLines(dir.File("a.s")), ReadShapeLines(loco));

  ASSERT_EQ(
      Run({loco, "--points-tolerance", "0.001", "--do", "merge-points", "-o", dir.File("b.s")}),
      cli::kSuccess)
      << err.str();
  const std::vector<std::string> b = ReadShapeLines(dir.File("b.s"));
  EXPECT_EQ(b[LineWith(b, "points (")], "\tpoints ( 11");
  // Vertex 1 now uses point 0, and every later point moved down by one.
  std::string vertex1 = lines[LineWith(lines, "vertex ( 00000000 1 1 ")];
  vertex1.replace(vertex1.find(" 1 1 "), 5, " 0 1 ");
  EXPECT_EQ(b[LineWith(b, "vertex ( 00000000 0 1 ")], vertex1);
  EXPECT_EQ(LineWith(b, "vertex ( 00000000 10 1 "), LineWith(lines, "vertex ( 00000000 11 1 ") - 1);

  EXPECT_EQ(Run({loco, "--points-tolerance", "1", "--do", "merge-points,merge-points"}),
            cli::kCommandFailed);
  EXPECT_NE(err.str().find("points are merged once per opened text"), std::string::npos);
  for (const char* bad : {"0,001", "-1", "x"})
    EXPECT_EQ(Run({loco, "--points-tolerance", bad}), cli::kUsage) << bad;
}

}  // namespace
}  // namespace quarvel::testing
