#include "app/PagePrinter.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <cmath>

namespace quarvel {

namespace {

// Fonts with the metrics of the ones a printout asks for, as Linux
// distributions ship them.
QStringList FamiliesFor(const std::string& family) {
  QStringList families{QString::fromStdString(family)};
  if (family == "Courier New")
    families << QStringLiteral("Liberation Mono") << QStringLiteral("Cousine");
  return families;
}

}  // namespace

void PagePrinter::BeginDoc() {
  if (painter_.isActive()) Abort();
  QPagedPaintDevice& device = OpenDevice();
  if (!painter_.begin(&device)) {
    DropDevice();
    throw Error("Der Drucker nimmt keinen Druckauftrag an");
  }
  device_ = &device;
  page_ = 1;
  dotsPerTenthX_ = device.logicalDpiX() / 254.0;
  dotsPerTenthY_ = device.logicalDpiY() / 254.0;
  painter_.setPen(Qt::black);
  painter_.setBackgroundMode(Qt::TransparentMode);
}

void PagePrinter::NewPage() {
  if (device_ == nullptr || !device_->newPage()) throw Error(Text::PrinterNoNewPage, {});
  ++page_;
}

void PagePrinter::SetFont(const PrintFont& font) {
  QFont chosen;
  chosen.setFamilies(FamiliesFor(font.family));
  chosen.setStyleHint(QFont::TypeWriter);
  chosen.setFixedPitch(true);
  chosen.setBold(font.bold);
  chosen.setKerning(false);
  chosen.setHintingPreference(QFont::PreferNoHinting);
  // The height is that of the character cell (ascent and descent), as the
  // printer's own fonts count it; Qt sizes a font by its em.
  if (device_ != nullptr) {
    chosen.setPixelSize(1000);
    const QFontMetricsF reference(chosen, device_);
    const qreal cellPerEm = (reference.ascent() + reference.descent()) / 1000;
    const qreal cellDots = font.height * dotsPerTenthY_;
    chosen.setPointSizeF(cellDots / cellPerEm * 72 / device_->logicalDpiY());
    painter_.setFont(chosen);
    ascent_ = QFontMetricsF(chosen, device_).ascent();
  }
  font_ = chosen;
}

QPointF PagePrinter::DevicePoint(int x, int y) const {
  return {x * dotsPerTenthX_, y * dotsPerTenthY_};
}

void PagePrinter::TextOut(int x, int y, const std::string& text) {
  if (!painter_.isActive()) return;
  painter_.drawText(DevicePoint(x, y) + QPointF(0, ascent_), QString::fromStdString(text));
}

int PagePrinter::PrintableHeightMm() const {
  // A4 less 5 mm margins is 287 mm, not 286.9999...
  return static_cast<int>(std::floor(Layout().paintRect(QPageLayout::Millimeter).height() + 1e-6));
}

void PagePrinter::EndDoc() {
  if (!painter_.isActive()) return;
  painter_.end();
  device_ = nullptr;
  CommitDevice();
}

void PagePrinter::Abort() {
  if (!painter_.isActive()) return;
  DropDevice();
  painter_.end();
  device_ = nullptr;
}

QString PagePrinter::FamilyInUse() const {
  return QFontInfo(font_).family();
}

}  // namespace quarvel
