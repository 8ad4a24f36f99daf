// "Compress/Decompress .s": finding the simulator's converter, choosing the
// shape, and the batch file that is started, through the scripted ports.
#include <gtest/gtest.h>

#include <filesystem>

#include "format/BinaryForm.h"
#include "format/ShapeFileForms.h"
#include "simtools/SimulatorPath.h"
#include "support/ExportedShape.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

const char* const kSearchPlease =
    "Bitte ffeditc_unicode.exe suchen, normalerweise im Verzeichnis "
    "(trainsimulator)\\utils\\ffedit.";
const char* const kNotFound = "ffeditc_unicode.exe nicht gefunden, Abbruch!";
const char* const kNotStarted =
    "ffeditc_unicode.exe konnte nicht gestartet werden. Dieser Programmteil wurde nur unter "
    "Windows 2000 getestet.";

// The batch file as the fake launcher names paths (Z: and backslashes).
std::string ExpectedScript(const std::string& utility, const std::string& shape) {
  auto windows = [](std::string path) {
    for (char& c : path)
      if (c == '/') c = '\\';
    return "Z:" + path;
  };
  const std::string folder = windows(fs::path(utility).parent_path().string()) + "\\";
  return "Z:\r\ncd \"" + folder + "\"\r\nffeditc_unicode.exe \"" + windows(shape) +
         "\" /O:temp.s\r\nmove temp.s \"" + windows(shape) + "\"\r\npause\r\n";
}

// A simulator installed in the fixture's folder, its converter where the
// set-up puts it (in the set-up's own spelling), and a shape to convert.
struct CompressFixture : FormFixture {
  CompressFixture() : FormFixture("[Dir]\nInitialDir=/modelle/\nFilename=lok.s\n") {
    simulator = dir.path() / "Train Simulator";
#ifdef _WIN32
    // Windows finds it in any case, and the batch file names it as the
    // program joins the simulator's folder and the converter's.
    const fs::path folder = simulator / "utils" / "ffedit";
#else
    const fs::path folder = simulator / "UTILS" / "FFEDIT";
#endif
    fs::create_directories(folder);
    utility = (folder / "ffeditc_unicode.exe").string();
    WriteBytes(utility, "MZ");
    shape = dir.File("Meine Modelle/Lok 1.s");
    fs::create_directories(dir.path() / "Meine Modelle");
    WriteBytes(shape, "\xFF\xFE");
  }
  void Compress() {
    EXPECT_TRUE(form.Run([&] { form.CompressButtonClick(); }));
  }
  std::string FFEdit() const {
    return IniFile(ProgramIniPath()).ReadString("Dir", "FFEdit", "?");
  }

  fs::path simulator;
  std::string utility;
  std::string shape;
};

TEST(CompressCommand, TheRegisteredUtilityConvertsTheChosenShapeWithoutTouchingTheText) {
  CompressFixture f;
  f.LoadShape(BuildExportedShape(ExportedShape{}));
  f.form.session.text.Replace(3, "\tge\xE4ndert");
  const std::vector<std::string> text = f.form.session.text.All();
  f.registry.path = f.simulator.string();
  f.dialogs.ChooseFile(f.shape);
  f.Compress();

  EXPECT_EQ(f.dialogs.Count(), 0u) << "no box on the way";
  ASSERT_EQ(f.dialogs.openRequests.size(), 1u) << "no search for the utility";
  const OpenFileRequest& request = f.dialogs.openRequests[0];
  EXPECT_EQ(request.initialDir, "/modelle/");
  EXPECT_EQ(request.fileName, "lok.s");
  EXPECT_EQ(request.filter, f.Lang(57));
  EXPECT_TRUE(request.mustExist);

  ASSERT_EQ(f.launcher.starts.size(), 1u);
  EXPECT_EQ(f.launcher.starts[0].script, f.dir.File("temp.bat"));
  EXPECT_EQ(f.launcher.starts[0].bytes, ExpectedScript(f.utility, f.shape));
  EXPECT_EQ(ReadBytes(f.dir.File("temp.bat")), f.launcher.starts[0].bytes) << "kept afterwards";

  EXPECT_EQ(f.FFEdit(), "?") << "only a search writes the utility's path";
  EXPECT_EQ(f.form.session.text.All(), text);
  EXPECT_TRUE(f.form.session.text.Modified());
  EXPECT_EQ(ReadBytes(f.shape), "\xFF\xFE");
}

TEST(CompressCommand, AUtilityFoundOnceIsRememberedInAnyCaseOfItsName) {
  CompressFixture f;  // no simulator registered
  const std::string found = f.dir.File("FFEDITC_UNICODE.EXE");
  WriteBytes(found, "MZ");
  f.dialogs.ChooseFile(found);
  f.dialogs.ChooseFile(std::nullopt);  // the shape dialog cancelled
  f.Compress();

  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.Shown(0).text, kSearchPlease);
  ASSERT_EQ(f.dialogs.openRequests.size(), 2u);
  const OpenFileRequest& search = f.dialogs.openRequests[0];
  EXPECT_EQ(search.initialDir, "/modelle/");
  EXPECT_EQ(search.fileName, "ffeditc_unicode.exe");
  EXPECT_EQ(search.filter, f.Lang(58));
  EXPECT_EQ(f.FFEdit(), found);
  EXPECT_TRUE(f.launcher.starts.empty()) << "cancelled: nothing written, nothing started";
  EXPECT_FALSE(fs::exists(f.dir.File("temp.bat")));

  // The next run asks no more, whatever the simulator's set-up says.
  f.registry.path = f.simulator.string();
  f.dialogs.ChooseFile(f.shape);
  f.Compress();
  EXPECT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.openRequests.size(), 3u);
  ASSERT_EQ(f.launcher.starts.size(), 1u);
  EXPECT_EQ(f.launcher.starts[0].bytes, ExpectedScript(found, f.shape));
}

TEST(CompressCommand, ASearchThatFindsNoUtilityEndsTheCommand) {
  CompressFixture f;
  // A remembered utility that has gone, the simulator's one ignored.
  IniFile ini(f.ProgramIniPath());
  ini.WriteString("Dir", "FFEdit", f.dir.File("weg/ffeditc_unicode.exe"));
  ini.Flush();
  f.form.ProgramIni->Reload();
  f.registry.path = f.simulator.string();

  const std::string other = f.dir.File("ffedit.exe");  // exists, wrong name
  WriteBytes(other, "MZ");
  f.dialogs.ChooseFile(other);
  f.dialogs.Answer(Answer::No);  // not the built-in converter either
  f.Compress();
  f.dialogs.ChooseFile(std::nullopt);  // cancelled: the old path stays, and is no good
  f.dialogs.Answer(Answer::No);
  f.Compress();

  ASSERT_EQ(f.dialogs.Count(), 6u);
  for (std::size_t run = 0; run < 2; ++run) {
    EXPECT_EQ(f.dialogs.Shown(3 * run).text, kSearchPlease);
    EXPECT_EQ(f.dialogs.Shown(3 * run + 1).text, f.Lang(Text::BuiltInConverter));
    EXPECT_EQ(f.dialogs.Shown(3 * run + 2).kind, BoxKind::Error);
    EXPECT_EQ(f.dialogs.Shown(3 * run + 2).text, kNotFound);
  }
  EXPECT_EQ(f.dialogs.openRequests.size(), 2u) << "no shape dialog";
  EXPECT_EQ(f.FFEdit(), f.dir.File("weg/ffeditc_unicode.exe"));
  EXPECT_TRUE(f.launcher.starts.empty());
}

TEST(CompressCommand, FailuresOfTheBatchFileAndOfTheStartAreShown) {
  CompressFixture f;
  f.registry.path = f.simulator.string();

  // A start that fails: the batch file is there, the message says why.
  f.launcher.startWorks = false;
  WriteBytes((f.simulator / "UTILS" / "FFEDIT" / "temp.s").string(), "stale");
  f.dialogs.ChooseFile(f.shape);
  f.Compress();
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Error);
  EXPECT_EQ(f.dialogs.Shown(0).text, kNotStarted);
  EXPECT_EQ(ReadBytes(f.dir.File("temp.bat")), ExpectedScript(f.utility, f.shape));
  EXPECT_FALSE(fs::exists(f.simulator / "UTILS" / "FFEDIT" / "temp.s"))
      << "an old output would be moved over the shape when the converter fails";

  // A batch file that cannot be written goes to the general error handler,
  // and nothing is started.
  f.launcher.startWorks = true;
  fs::remove(f.dir.File("temp.bat"));
  fs::create_directory(f.dir.File("temp.bat"));
  f.dialogs.ChooseFile(f.shape);
  EXPECT_FALSE(f.form.Run([&] { f.form.CompressButtonClick(); }));
  ASSERT_EQ(f.dialogs.Count(), 2u);
  EXPECT_EQ(f.dialogs.Shown(1).text,
            "In " + f.dir.File("temp.bat") + " kann nicht geschrieben werden");
  EXPECT_EQ(f.launcher.starts.size(), 1u);
}

// Without the simulator's utility the built-in converter turns the chosen
// file into the other form, in place, with the backup beside it.
TEST(CompressCommand, WithoutTheUtilityTheBuiltInConverterConvertsBothWays) {
  CompressFixture f;
  fs::remove(f.utility);
  const std::vector<std::string> lines = BuildExportedShape(ElementsWithOwnSets(2));
  const std::string payload = format::TextToBinary(lines, {}).payload;
  const std::string packed = format::BinaryFileBytes(format::ShapeForm::Compressed, payload);
  WriteBytes(f.shape, packed);
  f.registry.path = f.simulator.string();
  const auto convert = [&](quarvel::Answer answer) {
    f.dialogs.ChooseFile(std::nullopt);  // no utility chosen
    f.dialogs.Answer(answer);
    if (answer == Answer::Yes) f.dialogs.ChooseFile(f.shape);
    f.Compress();
  };

  convert(Answer::Yes);
  format::ShapeFileInfo info;
  EXPECT_TRUE(ReadBytes(f.shape) == format::ConverterTextOfFile(packed, info));
  EXPECT_TRUE(ReadBytes(f.dir.File("Meine Modelle/Lok 1.BAK")) == packed);
  EXPECT_EQ(f.dialogs.shown.back().text, f.Lang(Text::ConvertedToText));

  convert(Answer::Yes);
  const std::string again = ReadBytes(f.shape);
  EXPECT_EQ(again.substr(0, 8), "SIMISA@F");
  info = {};
  EXPECT_TRUE(format::ConverterTextOfFile(again, info) ==
              format::ConverterTextOfFile(packed, info));
  EXPECT_EQ(f.dialogs.shown.back().text, f.Lang(Text::ConvertedToCompressed));

  convert(Answer::No);  // as before there was a converter: nothing found, nothing done
  EXPECT_EQ(f.dialogs.shown.back().text, kNotFound);
  EXPECT_TRUE(ReadBytes(f.shape) == again);
  EXPECT_TRUE(f.launcher.starts.empty());
}

}  // namespace
}  // namespace quarvel::testing
