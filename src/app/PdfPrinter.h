// The printout as a PDF file instead of paper, for a system without a
// printer (the command line) and for the tests: A4 with margins of 5 mm, so
// that the printable area is 287 mm high upright and 200 mm across.
#pragma once
#include <QBuffer>
#include <QPageLayout>
#include <QPdfWriter>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/PagePrinter.h"

namespace quarvel {

class PdfPrinter : public PagePrinter {
 public:
  // Where the finished document goes; by default into the file `path` under
  // the rule of every save (never a folder, a device, a pipe or a
  // write-protected file; through a link into the file it points to).
  using Delivery = std::function<void(std::string_view bytes)>;
  explicit PdfPrinter(std::string path, Delivery deliver = {});
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
  Delivery deliver_;
  // The document is delivered only when it is complete.
  std::unique_ptr<QBuffer> buffer_;
  std::unique_ptr<QPdfWriter> writer_;
};

}  // namespace quarvel
