#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "plan/Plan.h"
#include "ports/Printer.h"

namespace quarvel {

// The settings printout: the element, sub-object, LOD and matrix tables as
// they stand and the two merge tolerances, as a fixed-pitch listing on pages
// whose lines are 4.3 mm apart, every page headed by the file name, the date
// and time and the page number.

inline constexpr int kPrintoutLeft = 200;       // tenths of a millimetre
inline constexpr int kPrintoutLinePitch = 43;   // line k is drawn at y = 43 k
inline constexpr int kPrintoutFontHeight = 40;  // a 4 mm character cell
PrintFont PrintoutFont(bool bold);
// Lines per page for a printable area `printableHeightMm` high: line 0 holds
// the page title, the last line stays clear of the bottom edge.
int LinesPerPage(int printableHeightMm);

// `text` padded with blanks to `width` characters, on the right for a
// negative width (as "%-35s"), on the left otherwise (as "%8s"); a longer text
// stays whole.
std::string PadField(std::string_view text, int width);

struct PrintSection {
  std::string title;   // bold
  std::string header;  // the column header
  std::vector<std::string> lines;
};

struct PrintListing {
  std::vector<PrintSection> sections;  // the first one opens page 1
  std::string closingLine;
};

struct SettingsTablesToPrint {
  const ShapeTables& tables;
  const Plan& plan;
  const PlanSummary& summary;
};

// The four sections (elements, sub-objects, LODs, matrices) and the
// tolerance line, every row of every table with a column per LOD of the
// plan where the table has them. The tolerances are written with the
// current decimal separator.
PrintListing SettingsListing(const SettingsTablesToPrint& tables);

// Prints `listing` as one document. Each page's title line is `titleStart`,
// " Seite " and the page number. A section starts below the previous one
// when at least four lines are left on the page, else on a new page whose
// header carries its title and column header; a row that does not fit opens
// a new page with the header of its section.
void PrintListingPages(Printer& printer, const std::string& titleStart,
                       const PrintListing& listing);

}  // namespace quarvel
