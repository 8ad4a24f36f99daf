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

void Form::E_DruckenButtonClick() {
  if (shapeText.Empty() || StringGrid1.Cell(0, 1).empty()) return;
  if (Message(BoxKind::Confirmation, kAskPrint, Buttons::YesNo) != Answer::Yes) return;
  printer().SelectDefaultPrinter();
  if (Message(BoxKind::Confirmation, kAskLandscape, Buttons::YesNo) == Answer::Yes)
    printer().SetLandscape();
  const PrintListing listing = SettingsListing(
      {StringGrid1, StringGrid2, StringGrid5, StringGrid3, PointTolerance, NormalTolerance});
  // One time for every page of the document.
  const std::string titleStart = FileNameOf(CurrentFileName) + " " + system().DateTimeText();
  PrintListingPages(printer(), titleStart, listing);
}

}  // namespace quarvel
