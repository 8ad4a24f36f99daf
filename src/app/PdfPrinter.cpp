#include "app/PdfPrinter.h"

#include <QFileInfo>

#include "common/Error.h"
#include "common/FileReplace.h"

namespace quarvel {

PdfPrinter::PdfPrinter(std::string path, Delivery deliver)
    : path_(std::move(path)),
      layout_(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
              QPageLayout::Millimeter),
      deliver_(deliver ? std::move(deliver) : Delivery([this](std::string_view bytes) {
        WriteFileAtomically(path_, bytes);
      })) {}

PdfPrinter::~PdfPrinter() {
  // The painter must let go of the writer before the writer goes.
  Abort();
}

void PdfPrinter::SetLandscape() {
  layout_.setOrientation(QPageLayout::Landscape);
}

QPagedPaintDevice& PdfPrinter::OpenDevice() {
  buffer_ = std::make_unique<QBuffer>();
  buffer_->open(QIODevice::WriteOnly);
  writer_ = std::make_unique<QPdfWriter>(buffer_.get());
  writer_->setPageLayout(layout_);
  writer_->setCreator(QStringLiteral("Quarvel"));
  writer_->setTitle(QFileInfo(QString::fromStdString(path_)).completeBaseName());
  return *writer_;
}

void PdfPrinter::CommitDevice() {
  writer_.reset();
  if (!buffer_) throw WriteError(path_);
  const QByteArray bytes = buffer_->data();
  buffer_.reset();
  deliver_(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void PdfPrinter::DropDevice() {
  writer_.reset();
  buffer_.reset();
}

}  // namespace quarvel
