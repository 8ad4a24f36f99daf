// The vertex limit lives in the program INI from run to run, as the LOD
// set-up does; the settings page shows it and takes a new one.
#include <gtest/gtest.h>

#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

TEST(VertexLimitSetting, StartsFromTheProgramIniAndIsKeptAtShutdown) {
  {
    FormFixture f;
    EXPECT_EQ(f.form.session.vertexLimit, 14000);
    EXPECT_EQ(f.form.VertLimitSpinEdit.value, 14000);
    EXPECT_EQ(f.form.VertLimitSpinEdit.minValue, 1000);
    EXPECT_EQ(f.form.VertLimitSpinEdit.maxValue, 65535);
    EXPECT_EQ(f.form.Label34.caption, f.Lang(71));
    EXPECT_EQ(f.form.Label34.caption, "Vertices je Subobjekt höchstens:");
    EXPECT_EQ(f.form.Label9.caption,
              "Darauf achten, dass kein Subobjekt mehr als ca. 14000 Vertices enthält.");
    f.form.VertLimitSpinEditChange(12000);
    EXPECT_EQ(f.form.Label9.caption,
              "Darauf achten, dass kein Subobjekt mehr als ca. 12000 Vertices enthält.")
        << "the hint names the limit in force";
    f.form.FormDestroy();
    EXPECT_EQ(IniFile(f.ProgramIniPath()).ReadString("Limits", "Vertices", ""), "12000");
  }
  FormFixture again("[LODs]\r\nAnzahl=1\r\n[Limits]\r\nVertices=60000\r\n");
  EXPECT_EQ(again.form.session.vertexLimit, 60000);
  EXPECT_EQ(again.form.VertLimitSpinEdit.value, 60000);
}

TEST(VertexLimitSetting, ValuesOutsideTheRangeAreBroughtIntoIt) {
  for (const auto& [stored, expected] :
       std::vector<std::pair<std::string, int>>{{"70000", 65535}, {"12", 1000}, {"viel", 14000}}) {
    FormFixture f("[Limits]\r\nVertices=" + stored + "\r\n");
    EXPECT_EQ(f.form.session.vertexLimit, expected) << stored;
  }
}

}  // namespace
}  // namespace quarvel::testing
