#include "app/QtPrinter.h"

#include <QPrinterInfo>

namespace quarvel {

QtPrinter::~QtPrinter() {
  // The painter must let go of the printer before the printer goes.
  Abort();
}

void QtPrinter::SelectDefaultPrinter() {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) throw NoDefaultPrinterError();
  Abort();
  printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  printer_->setDocName(QStringLiteral("Quarvel"));
}

void QtPrinter::SetLandscape() {
  if (printer_) printer_->setPageOrientation(QPageLayout::Landscape);
}

QPageLayout QtPrinter::Layout() const {
  return printer_ ? printer_->pageLayout() : QPageLayout();
}

QPagedPaintDevice& QtPrinter::OpenDevice() {
  if (!printer_) throw NoDefaultPrinterError();
  return *printer_;
}

void QtPrinter::DropDevice() {
  if (printer_) printer_->abort();
}

}  // namespace quarvel
