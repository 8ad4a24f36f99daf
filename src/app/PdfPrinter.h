// The printout as a PDF file instead of paper, for a system without a
// printer (the command line) and for the tests: A4 with margins of 5 mm, so
// that the printable area is 287 mm high upright and 200 mm across.
#pragma once
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>
#include <memory>
#include <string>

#include "app/PagePrinter.h"

namespace quarvel {

class PdfPrinter : public PagePrinter {
 public:
  explicit PdfPrinter(std::string path);
  ~PdfPrinter() override;

  // The file stands in for the default printer.
  void SelectDefaultPrinter() override {}
  void SetLandscape() override;

 protected:
  QPageLayout Layout() const override { return layout_; }
  QPagedPaintDevice& OpenDevice() override;
  void CommitDevice() override;
  void DropDevice() override;

 private:
  std::string path_;
  QPageLayout layout_;
  // The file appears under its name only when the document is complete.
  std::unique_ptr<QSaveFile> file_;
  std::unique_ptr<QPdfWriter> writer_;
};

}  // namespace quarvel
