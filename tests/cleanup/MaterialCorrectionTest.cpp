// "TSM Mat.-Fehler korrigieren": light materials swapped by the names of the
// elements drawn with them, and the sub-object flags lowered after them.
#include <gtest/gtest.h>

#include "support/ExportedShape.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

using Lines = std::vector<std::string>;

// The vertex states, one per entry of `materials`, each with a set of three
// vertices, and the elements as (name, vertex state).
Lines Shape(const std::vector<std::string>& materials,
            const std::vector<std::pair<std::string, int>>& elements) {
  ExportedShape shape;
  shape.vtxStateMatrices.assign(materials.size(), 0);
  shape.setVertices.assign(materials.size(), 3);
  shape.elements.clear();
  for (const auto& [name, state] : elements) shape.elements.push_back({name, state});
  Lines lines = BuildExportedShape(shape);
  std::size_t line = LineWith(lines, "vtx_states");
  for (const std::string& material : materials) {
    std::string& state = lines[++line];
    state.replace(state.find(" -5 "), 4, " " + material + " ");
  }
  return lines;
}

// The light material of every vertex state line.
std::vector<std::string> Materials(const Lines& lines) {
  std::vector<std::string> materials;
  for (const std::string& line : lines) {
    if (line.find("vtx_state (") == std::string::npos) continue;
    char flags[16], material[16];
    int matrix = 0;
    std::sscanf(line.c_str(), " vtx_state ( %15s %d %15s", flags, &matrix, material);
    materials.emplace_back(material);
  }
  return materials;
}

std::string Flags(const std::string& line) {
  const std::size_t open = line.find('(');
  const std::size_t start = line.find_first_not_of(" \t", open + 1);
  return line.substr(start, line.find_first_of(" \t", start) - start);
}

class MaterialCorrection : public ::testing::Test {
 protected:
  void Load(const Lines& lines) {
    f.LoadShape(lines);
    ASSERT_EQ(f.dialogs.Count(), 0u) << f.dialogs.Shown(0).text;
  }
  // Adds lines before the text's last one, after the analysis.
  void AddBeforeLastLine(const Lines& lines) {
    for (const std::string& line : lines)
      f.form.session.text.Insert(f.form.session.text.Count() - 1, line);
  }
  const Lines& Text() const { return f.form.session.text.All(); }
  const std::string& Line(const std::string& holding) const {
    return Text()[LineWith(Text(), holding)];
  }
  std::vector<std::string> HeaderFlags() const {
    std::vector<std::string> flags;
    for (const std::string& line : Text())
      if (line.find("sub_object_header") != std::string::npos) flags.push_back(Flags(line));
    return flags;
  }

  FormFixture f;
};

TEST_F(MaterialCorrection, TheShineInAnElementsNameDecidesEachStateOnce) {
  Load(Shape({"-6", "-6", "-7", "-7", "-5", "-6", "-8"},
             {{"Rail", 0},
              {"Lamp_LoShine", 0},  // one of two elements is enough
              {"Plain", 1},
              {"GLASS_HISHINE", 2},
              {"only_loshine", 3},  // -7 only turns for hishine
              {"x_hishine", 4},     // -5 is never changed
              {"a_loshine", 5},
              {"b_hishine", 5}}));  // turned to -7 and not back again
  f.form.MatButtonClick();
  EXPECT_EQ(Materials(Text()),
            (std::vector<std::string>{"-7", "-6", "-6", "-7", "-5", "-7", "-8"}));
  EXPECT_EQ(HeaderFlags(), (std::vector<std::string>{"00000000"}));
  EXPECT_EQ(Line("vtx_state ( 00000000 0 -7"), "\t\tvtx_state ( 00000000 0 -7 0 00000002 )");
  EXPECT_FALSE(f.form.MatButton.enabled);
  EXPECT_TRUE(f.form.session.text.Modified());
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
}

TEST_F(MaterialCorrection, WhenEveryStateIsFiveNothingChangesButTheButtonGoes) {
  const Lines lines = Shape({"-5", "-5"}, {{"a_LOSHINE", 0}, {"b_hishine", 1}});
  Load(lines);
  f.form.MatButtonClick();
  EXPECT_EQ(Text(), lines);
  EXPECT_FALSE(f.form.session.text.Modified());
  EXPECT_FALSE(f.form.MatButton.enabled);

  f.form.MatButton.enabled = true;
  f.form.session.text.Clear();
  f.form.MatButtonClick();
  EXPECT_TRUE(f.form.MatButton.enabled);
}

TEST_F(MaterialCorrection, AnotherMaterialLowersTheHundredsOfLaterFlagsOfFourHundredOrMore) {
  Load(Shape({"-6"}, {{"Plain", 0}}));
  // Before the states, a header is not touched.
  f.form.session.text.Insert(4, "sub_object_header ( 00000400 -1 -1");
  AddBeforeLastLine({"\tsub_object_header ( 00000399 -1", "\tsub_object_header ( 00000900 -1 -1",
                     "  sub_object_header\t(\t+0500 x",
                     // 1000 has no hundreds to lower: left as it is rather
                     // than given a character that is no digit.
                     "\tsub_object_header ( 00001000 -1"});
  f.form.session.text.Append("sub_object_header ( 00000400");  // the last line is never examined
  f.form.MatButtonClick();
  EXPECT_EQ(Materials(Text()), std::vector<std::string>{"-6"});
  EXPECT_EQ(HeaderFlags(), (std::vector<std::string>{"00000400", "00000000", "00000399", "00000500",
                                                     "+0100", "00001000", "00000400"}));
  EXPECT_EQ(Text()[Text().size() - 4], "  sub_object_header\t(\t+0100 x");
}

TEST_F(MaterialCorrection, FlagsThatAreNoIntegerStopTheCommandWithWhatItChangedSoFar) {
  Load(Shape({"-6"}, {{"LoShine", 0}}));
  AddBeforeLastLine({"\tsub_object_header ( 0000040A -1 -1", "\tsub_object_header ( 00000500"});
  EXPECT_FALSE(f.form.Run([this] { f.form.MatButtonClick(); }));
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).text, "'0000040A' ist kein gültiger Integerwert");
  EXPECT_EQ(Materials(Text()), std::vector<std::string>{"-7"});
  EXPECT_EQ(HeaderFlags(), (std::vector<std::string>{"00000000", "0000040A", "00000500"}));
  EXPECT_FALSE(f.form.MatButton.enabled);  // a second run would lower the first flags again
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
}

}  // namespace
}  // namespace quarvel::testing
