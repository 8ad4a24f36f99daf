// The command line's printer: whatever prints the PDF file, watched so that
// the program can tell a written printout from a command that did nothing.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "form/Printer.h"

namespace quarvel::cli {

// Makes the printer that writes a printout to the PDF file `path`.
using PdfPrinterFactory = std::function<std::unique_ptr<Printer>(const std::string& path)>;

class WatchedPrinter : public Printer {
 public:
  explicit WatchedPrinter(Printer& printer) : printer_(printer) {}
  void SelectDefaultPrinter() override { printer_.SelectDefaultPrinter(); }
  void SetLandscape() override { printer_.SetLandscape(); }
  void BeginDoc() override { printer_.BeginDoc(); }
  void NewPage() override { printer_.NewPage(); }
  void SetFont(const PrintFont& font) override { printer_.SetFont(font); }
  void TextOut(int x, int y, const std::string& text) override { printer_.TextOut(x, y, text); }
  int PrintableHeightMm() const override { return printer_.PrintableHeightMm(); }
  int PageNumber() const override { return printer_.PageNumber(); }
  void EndDoc() override {
    printer_.EndDoc();
    ++documents;
  }
  void Abort() override { printer_.Abort(); }

  int documents = 0;  // ended without error

 private:
  Printer& printer_;
};

}  // namespace quarvel::cli
