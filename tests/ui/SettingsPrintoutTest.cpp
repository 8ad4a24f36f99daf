// The settings printout: exact line formats, the page breaks of a long
// element table, sections that do not fit what is left of a page, and the
// tolerance line.
#include "ui/SettingsPrintout.h"

#include <gtest/gtest.h>

#include "common/Convert.h"
#include "support/FakePorts.h"

namespace quarvel {
namespace {

using testing::FakePrinter;

std::string Blanks(std::size_t count) {
  return std::string(count, ' ');
}

// Element, sub-object, LOD and matrix tables with their plan.
struct Tables {
  explicit Tables(int elementRows, int lods = 3) {
    plan.lodCount = lods;
    shape.elements.SetCount(elementRows);
    for (int row = 1; row <= elementRows; ++row) {
      shape.elements.At(row) = {"Element" + IntToStr(row), "tex.ace", row * 2};
      for (int lod = 1; lod <= lods; ++lod) plan.SetChoice(row, lod, SubobjectChoice(1));
    }
    summary.subobjects.SetCount(1);
    summary.subobjects.At(1) = {1, 420};
    plan.SetSortMark(2, 1, Mark::Set());
    summary.lods.SetCount(lods);
    for (int lod = 1; lod <= lods; ++lod) summary.lods.At(lod) = {lod, IntToStr(lod * 100), 70};
    shape.matrices.SetCount(1);
    shape.matrices.At(1) = {"MAIN", 70};
    plan.pointTolerance = 0.001L;
  }
  PrintListing Listing() const { return SettingsListing({shape, plan, summary}); }
  ShapeTables shape;
  Plan plan;
  PlanSummary summary;
};

TEST(SettingsPrintout, LinesHaveTheirFixedWidths) {
  EXPECT_EQ(PadField("Name", -8), "Name    ");
  EXPECT_EQ(PadField("12", 5), "   12");
  EXPECT_EQ(PadField("K\xC3\xBChler", -8), "K\xC3\xBChler  ");  // characters, not bytes
  EXPECT_EQ(PadField("too long", 3), "too long");

  Tables tables(2);
  tables.shape.elements.At(2).name = "A_very_long_element_name_of_40_chars_xx";
  SetDecimalSeparator(',');
  const PrintListing listing = tables.Listing();
  SetDecimalSeparator('.');
  ASSERT_EQ(listing.sections.size(), 4u);
  const PrintSection& elements = listing.sections[0];
  EXPECT_EQ(elements.title, "Elemente");
  EXPECT_EQ(elements.header,
            "Name" + Blanks(31) + " Image" + Blanks(11) + "    Faces" + "  L 1  L 2  L 3");
  EXPECT_EQ(elements.lines[0],
            "Element1" + Blanks(27) + " tex.ace" + Blanks(9) + "        2    1    1    1");
  // A longer name is cut to its column, marked: the rest of its row stays.
  EXPECT_EQ(elements.lines[1], "A_very_long_element_name_of_40_cha\xE2\x80\xA6 tex.ace" +
                                   Blanks(9) + "        4    1    1    1");

  const PrintSection& subobjects = listing.sections[1];
  EXPECT_EQ(subobjects.title, "Subobjekte");
  EXPECT_EQ(subobjects.header, "  Nr.   Vert. L 1  L 1  L 2  L 3");
  EXPECT_EQ(subobjects.lines, std::vector<std::string>{"    1         420         x     "});
  EXPECT_EQ(listing.sections[2].title, "LOD's");
  EXPECT_EQ(listing.sections[2].header, "  Nr.   Entfernung    Faces");
  EXPECT_EQ(listing.sections[2].lines[2], "    3          300       70");
  EXPECT_EQ(listing.sections[3].title, "Matrizen");
  EXPECT_EQ(listing.sections[3].header, "Name" + Blanks(31) + "    Faces   Anim.");
  EXPECT_EQ(listing.sections[3].lines[0], "MAIN" + Blanks(31) + "       70        ");
  EXPECT_EQ(listing.closingLine, "Toleranz Punkte: 0,001; Toleranz Normalen: 0");
}

TEST(SettingsPrintout, TheVertexHeadingNamesTheFirstLodWhateverTheTableShows) {
  Tables tables(1, 2);
  EXPECT_EQ(tables.Listing().sections[1].header, "  Nr.   Vert. L 1  L 1  L 2");
}

TEST(SettingsPrintout, LongElementTablesContinueUnderTheSameHeader) {
  EXPECT_EQ(LinesPerPage(287), 62);
  EXPECT_EQ(LinesPerPage(200), 41);
  Tables tables(70);
  FakePrinter printer;
  PrintListingPages(printer, "loco.s 24.12.2024 18:30:05", tables.Listing());
  EXPECT_TRUE(printer.ended);

  EXPECT_EQ(printer.At(1, 0), "loco.s 24.12.2024 18:30:05 Seite 1");
  EXPECT_EQ(printer.At(1, 2), "Elemente");
  EXPECT_EQ(printer.At(1, 3).substr(0, 4), "Name");
  EXPECT_EQ(printer.At(1, 4).substr(0, 9), "Element1 ");
  EXPECT_EQ(printer.At(1, 61).substr(0, 9), "Element58");
  EXPECT_EQ(printer.At(1, 62), "");
  EXPECT_EQ(printer.At(2, 0), "loco.s 24.12.2024 18:30:05 Seite 2");
  EXPECT_EQ(printer.At(2, 2), "Elemente");
  EXPECT_EQ(printer.At(2, 3), printer.At(1, 3));
  EXPECT_EQ(printer.At(2, 4).substr(0, 9), "Element59");
  EXPECT_EQ(printer.At(2, 15).substr(0, 9), "Element70");
  // Each following section leaves one line free above its title.
  EXPECT_EQ(printer.At(2, 16), "");
  EXPECT_EQ(printer.At(2, 17), "Subobjekte");
  EXPECT_EQ(printer.At(2, 19).substr(0, 5), "    1");
  EXPECT_EQ(printer.At(2, 21), "LOD's");
  EXPECT_EQ(printer.At(2, 27), "Matrizen");
  EXPECT_EQ(printer.At(2, 29).substr(0, 4), "MAIN");
  EXPECT_EQ(printer.At(2, 31), "Toleranz Punkte: 0.001; Toleranz Normalen: 0");
  EXPECT_EQ(printer.Pages(), 2);

  for (const FakePrinter::Text& text : printer.texts) {
    EXPECT_EQ(text.x, 200);
    EXPECT_EQ(text.y % 43, 0);
    const int line = text.y / 43;
    const bool title = line == 0 || text.text == "Elemente" || text.text == "Subobjekte" ||
                       text.text == "LOD's" || text.text == "Matrizen";
    EXPECT_EQ(text.bold, title) << text.text;
  }
}

// A first section whose rows leave the line counter at `line` on page 1.
PrintListing FirstSectionEndingAt(int line, int secondSectionRows) {
  PrintListing listing;
  listing.sections.push_back({"First", "header 1", std::vector<std::string>(line - 3, "row")});
  listing.sections.push_back({"Second", "header 2", {}});
  for (int i = 1; i <= secondSectionRows; ++i)
    listing.sections[1].lines.push_back("second " + IntToStr(i));
  listing.closingLine = "closing";
  return listing;
}

// Lines `first` to `last` of a page as printed ("" where nothing is).
std::vector<std::string> PageLines(const FakePrinter& printer, int page, int first, int last) {
  std::vector<std::string> lines;
  for (int line = first; line <= last; ++line) lines.push_back(printer.At(page, line));
  return lines;
}
using Lines = std::vector<std::string>;

TEST(SettingsPrintout, ASectionWithoutRoomForItsHeaderStartsOnANewPage) {
  FakePrinter printer;
  // Four lines left below line 57: title on 59, header on 60, the first row
  // on 61, the second on a new page under the section's header.
  PrintListingPages(printer, "t", FirstSectionEndingAt(57, 2));
  EXPECT_EQ(PageLines(printer, 1, 58, 61), (Lines{"", "Second", "header 2", "second 1"}));
  EXPECT_EQ(PageLines(printer, 2, 0, 4),
            (Lines{"t Seite 2", "", "Second", "header 2", "second 2"}));

  // Three lines left below line 58: the whole section goes to page 2.
  PrintListingPages(printer, "t", FirstSectionEndingAt(58, 2));
  EXPECT_EQ(PageLines(printer, 1, 59, 61), (Lines{"", "", ""}));
  EXPECT_EQ(PageLines(printer, 2, 0, 7),
            (Lines{"t Seite 2", "", "Second", "header 2", "second 1", "second 2", "", "closing"}));
}

TEST(SettingsPrintout, ATolerancePushedOverTheEdgeGoesUnderANewTitleInBold) {
  FakePrinter printer;
  // The last row on line 60: the tolerance line would be 62.
  PrintListingPages(printer, "t", FirstSectionEndingAt(54, 3));
  ASSERT_EQ(printer.At(1, 60), "second 3");
  EXPECT_EQ(PageLines(printer, 2, 0, 4), (Lines{"t Seite 2", "", "", "", "closing"}));
  EXPECT_TRUE(printer.texts.back().bold);

  PrintListingPages(printer, "t", FirstSectionEndingAt(54, 2));
  EXPECT_EQ(printer.At(1, 61), "closing");
  EXPECT_FALSE(printer.texts.back().bold);
}

TEST(SettingsPrintout, AFailingPrinterDropsTheDocument) {
  struct Jammed : FakePrinter {
    void NewPage() override { throw Error("jammed"); }
  } printer;
  EXPECT_THROW(PrintListingPages(printer, "t", Tables(70).Listing()), Error);
  EXPECT_TRUE(printer.aborted);
  EXPECT_FALSE(printer.ended);
}

}  // namespace
}  // namespace quarvel
