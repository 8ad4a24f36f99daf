// "Einstellung drucken": the tables and tolerances as they stand, on the
// default printer.
#include "document/DocumentPaths.h"
#include "form/Form.h"
#include "ui/SettingsPrintout.h"

namespace quarvel {

namespace {

constexpr const char* kAskPrint = "Einstellungen auf Standarddrucker ausgeben?";
constexpr const char* kAskLandscape = "Querformat (empfohlen ab 4 LOD's)?";

}  // namespace

Outcome Form::E_DruckenButtonClick() {
  // Without an analysed shape there is nothing to print, and nothing is said.
  if (shapeText.Empty() || tables.elements[1].name.empty())
    return Outcome::Unavailable("the shape has no elements to print");
  if (!Confirmed(kAskPrint)) return Outcome::Declined();
  printer().SelectDefaultPrinter();
  if (Confirmed(kAskLandscape)) printer().SetLandscape();
  const PrintListing listing = SettingsListing({tables, plan, summary});
  // One time for every page of the document.
  const std::string titleStart = FileNameOf(CurrentFileName) + " " + system().DateTimeText();
  PrintListingPages(printer(), titleStart, listing);
  return Outcome::Done();
}

}  // namespace quarvel
