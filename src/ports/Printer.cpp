#include "ports/Printer.h"

namespace quarvel {

namespace {

class NoPrinter : public Printer {
 public:
  void SelectDefaultPrinter() override { throw NoDefaultPrinterError(); }
  // Nothing below is reached: printing starts with the selection.
  void SetLandscape() override {}
  void BeginDoc() override {}
  void NewPage() override {}
  void SetFont(const PrintFont&) override {}
  void TextOut(int, int, const std::string&) override {}
  int PrintableHeightMm() const override { return 0; }
  int PageNumber() const override { return 0; }
  void EndDoc() override {}
  void Abort() override {}
};

}  // namespace

Printer& NoDefaultPrinter() {
  static NoPrinter printer;
  return printer;
}

}  // namespace quarvel
