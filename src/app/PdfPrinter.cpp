#include "app/PdfPrinter.h"

#include <QFileInfo>

#include "common/Error.h"

namespace quarvel {

PdfPrinter::PdfPrinter(std::string path)
    : path_(std::move(path)),
      layout_(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
              QPageLayout::Millimeter) {}

PdfPrinter::~PdfPrinter() {
  // The painter must let go of the writer before the writer goes.
  Abort();
}

void PdfPrinter::SetLandscape() {
  layout_.setOrientation(QPageLayout::Landscape);
}

QPagedPaintDevice& PdfPrinter::OpenDevice() {
  file_ = std::make_unique<QSaveFile>(QString::fromStdString(path_));
  if (!file_->open(QIODevice::WriteOnly)) {
    file_.reset();
    throw WriteError(path_);
  }
  writer_ = std::make_unique<QPdfWriter>(file_.get());
  writer_->setPageLayout(layout_);
  writer_->setCreator(QStringLiteral("Quarvel"));
  writer_->setTitle(QFileInfo(QString::fromStdString(path_)).completeBaseName());
  return *writer_;
}

void PdfPrinter::CommitDevice() {
  writer_.reset();
  const bool committed = file_ != nullptr && file_->commit();
  file_.reset();
  if (!committed) throw WriteError(path_);
}

void PdfPrinter::DropDevice() {
  if (file_) file_->cancelWriting();
}

}  // namespace quarvel
