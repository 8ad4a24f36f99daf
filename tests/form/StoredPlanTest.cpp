// The window loads a stored plan made for other elements (a model exported
// again) as it stands, but says so before anything is generated with it.
#include <gtest/gtest.h>

#include "settings/SettingsFile.h"
#include "support/ExportedShape.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

TEST(StoredPlan, APlanForOtherElementsIsLoadedWithAWarning) {
  FormFixture f;
  const std::string settings = SettingsPathFor(f.dir.File("shape.s"));
  WriteBytes(settings,
             "[SONR_L1]\r\n1=2\r\n2=1\r\n[Elemente]\r\nAnzahl=2\r\n1=Element0\r\n2=Old\r\n");
  f.LoadShape(BuildExportedShape(ElementsWithOwnSets(3)));
  ASSERT_FALSE(f.dialogs.shown.empty());
  EXPECT_EQ(f.dialogs.shown.back().kind, BoxKind::Warning);
  EXPECT_EQ(f.dialogs.shown.back().text,
            "Der gespeicherte Plan in " + settings +
                " gehört zu anderen Elementen (er nennt 2 Elemente, die Shape hat 3). Bitte die "
                "Zuordnung der Elemente prüfen, bevor die Shape erzeugt wird.");

  // Settings that name the shape's own elements give no warning.
  f.dialogs.shown.clear();
  WriteBytes(settings, "[Elemente]\r\nAnzahl=3\r\n1=Element0\r\n2=Element1\r\n3=Element2\r\n");
  f.LoadShape(BuildExportedShape(ElementsWithOwnSets(3)));
  EXPECT_TRUE(f.dialogs.shown.empty());
}

}  // namespace
}  // namespace quarvel::testing
