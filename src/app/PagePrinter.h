// Printing with Qt: a document drawn on pages of a Qt paint device, in
// tenths of a millimetre from the top-left corner of the printable area. The
// default printer and the PDF files draw their pages through this one class.
#pragma once
#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QString>

#include "ports/Printer.h"

class QPagedPaintDevice;

namespace quarvel {

// A class that provides the device ends a begun document (Abort) in its own
// destructor, while the device is still there.
class PagePrinter : public Printer {
 public:
  PagePrinter() = default;
  ~PagePrinter() override = default;
  PagePrinter(const PagePrinter&) = delete;
  PagePrinter& operator=(const PagePrinter&) = delete;

  void BeginDoc() override;
  void NewPage() override;
  // A family the system lacks is replaced by one with the same metrics
  // (Liberation Mono or Cousine for Courier New).
  void SetFont(const PrintFont& font) override;
  void TextOut(int x, int y, const std::string& text) override;
  int PrintableHeightMm() const override;
  int PageNumber() const override { return page_; }
  void EndDoc() override;
  void Abort() override;

  // The family the current font is drawn in.
  QString FamilyInUse() const;

 protected:
  // The page layout a document gets now.
  virtual QPageLayout Layout() const = 0;
  // A device ready for a new document; throws quarvel::Error when there is none.
  virtual QPagedPaintDevice& OpenDevice() = 0;
  // After the last page: hand the document on (throws when that fails).
  virtual void CommitDevice() = 0;
  // While painting still runs: nothing of the document is to be kept.
  virtual void DropDevice() = 0;

 private:
  QPointF DevicePoint(int x, int y) const;

  QPainter painter_;
  QPagedPaintDevice* device_ = nullptr;
  QFont font_;
  qreal dotsPerTenthX_ = 1;
  qreal dotsPerTenthY_ = 1;
  qreal ascent_ = 0;
  int page_ = 0;
};

}  // namespace quarvel
