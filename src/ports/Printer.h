#pragma once
#include <string>

#include "common/Error.h"

namespace quarvel {

// The default printer as the settings printout uses it. The window prints
// through Qt on the system's default printer, the command line and the tests
// into PDF files; the session sees only this.

struct PrintFont {
  std::string family;
  int height = 0;  // of a character cell, in tenths of a millimetre
  bool bold = false;
};

class Printer {
 public:
  virtual ~Printer() = default;
  // Takes the system's default printer; throws NoDefaultPrinterError when
  // none is set.
  virtual void SelectDefaultPrinter() = 0;
  virtual void SetLandscape() = 0;
  // The document starts on page 1.
  virtual void BeginDoc() = 0;
  virtual void NewPage() = 0;
  virtual void SetFont(const PrintFont& font) = 0;
  // UTF-8 text in the current font, the top-left corner of its first
  // character cell at (x, y): tenths of a millimetre from the top-left corner
  // of the printable area, y growing downward.
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  // Of the printable area in the current orientation, rounded down.
  virtual int PrintableHeightMm() const = 0;
  virtual int PageNumber() const = 0;
  virtual void EndDoc() = 0;
  // Drops a begun document: nothing of it is printed or kept.
  virtual void Abort() = 0;
};

class NoDefaultPrinterError : public Error {
 public:
  NoDefaultPrinterError() : Error(Text::NoDefaultPrinter, {}) {}
};

// The printer of a system that has none: selecting it fails.
Printer& NoDefaultPrinter();

}  // namespace quarvel
