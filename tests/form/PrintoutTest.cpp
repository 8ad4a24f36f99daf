// "Einstellung drucken" through the form: its two questions, the default
// printer that may be missing, and the tables printed as they stand.
#include <gtest/gtest.h>

#include "support/ExportedShape.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

constexpr const char* kAskPrint = "Einstellungen auf Standarddrucker ausgeben?";
constexpr const char* kAskLandscape = "Querformat (empfohlen ab 4 LOD's)?";

struct Printout : ::testing::Test {
  Printout() { f.LoadShape(BuildExportedShape(GradedElements(4)), "loco.s"); }
  bool Print() {
    return static_cast<bool>(f.form.Run([&] { return f.form.E_DruckenButtonClick(); }));
  }
  FormFixture f{"[LODs]\r\nAnzahl=3\r\n"};
};

TEST_F(Printout, AsksTwiceAndPrintsInLandscapeOnYes) {
  f.dialogs.Answer(Answer::Yes);
  f.dialogs.Answer(Answer::Yes);
  ASSERT_TRUE(Print());
  ASSERT_EQ(f.dialogs.Count(), 2u);
  EXPECT_EQ(f.dialogs.Shown(0).text, kAskPrint);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Confirmation);
  EXPECT_EQ(f.dialogs.Shown(0).buttons, Buttons::YesNo);
  EXPECT_EQ(f.dialogs.Shown(1).text, kAskLandscape);
  EXPECT_TRUE(f.printer.landscape);
  EXPECT_TRUE(f.printer.ended);
  EXPECT_EQ(f.printer.At(1, 0), "loco.s 24.12.2024 18:30:05 Seite 1");
  EXPECT_EQ(f.printer.At(1, 3).substr(35),
            " Image            "
            "   Faces  L 1  L 2  L 3");
  EXPECT_EQ(f.printer.At(1, 4).substr(0, 8), "Element0");
}

TEST_F(Printout, NoToTheOrientationKeepsThePrintersAndTheTablesPrintAsTheyStand) {
  f.form.LODSpinEditChange(2);  // the sub-object table now shows LOD 2
  f.form.StringGrid1.SetCell(0, 1, "many");
  const std::string before = f.form.StringGrid2.Cell(1, 1);
  f.dialogs.Answer(Answer::Yes);
  f.dialogs.Answer(Answer::No);
  ASSERT_TRUE(Print());
  EXPECT_FALSE(f.printer.landscape);
  EXPECT_EQ(f.printer.At(1, 4).substr(0, 5), "many ");
  EXPECT_EQ(f.form.StringGrid1.Cell(0, 1), "many");
  EXPECT_EQ(f.printer.At(1, 10), "  Nr.   Vert. L 1  L 1  L 2  L 3");
  EXPECT_EQ(f.form.StringGrid2.Cell(1, 1), before);
}

TEST_F(Printout, NothingIsPrintedWithoutYesOrWithoutADefaultPrinter) {
  f.dialogs.Answer(Answer::No);
  ASSERT_TRUE(Print());
  EXPECT_EQ(f.dialogs.Count(), 1u);
  EXPECT_TRUE(f.printer.texts.empty());

  f.printer.hasDefaultPrinter = false;
  f.dialogs.Answer(Answer::Yes);
  EXPECT_FALSE(Print());
  ASSERT_EQ(f.dialogs.Count(), 3u);
  EXPECT_EQ(f.dialogs.Shown(2).kind, BoxKind::Error);
  EXPECT_EQ(f.dialogs.Shown(2).text, "Zur Zeit ist kein Standarddrucker gewählt");
  EXPECT_TRUE(f.printer.texts.empty());
  EXPECT_FALSE(f.printer.ended);
}

TEST(PrintoutWithoutShape, DoesNothingAndSaysNothing) {
  FormFixture f;
  f.form.Run([&] { f.form.E_DruckenButtonClick(); });
  f.form.session.text.Assign({"shape ("});  // text, but no element analysed
  f.form.Run([&] { f.form.E_DruckenButtonClick(); });
  EXPECT_EQ(f.dialogs.Count(), 0u);
  EXPECT_TRUE(f.printer.texts.empty());
}

}  // namespace
}  // namespace quarvel::testing
