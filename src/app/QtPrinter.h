// The system's default printer (through CUPS on Linux), as the window prints
// the settings on it.
#pragma once
#include <QPrinter>
#include <memory>

#include "app/PagePrinter.h"

namespace quarvel {

class QtPrinter : public PagePrinter {
 public:
  ~QtPrinter() override;
  // Each printout starts from the printer's own settings.
  void SelectDefaultPrinter() override;
  void SetLandscape() override;

 protected:
  QPageLayout Layout() const override;
  QPagedPaintDevice& OpenDevice() override;
  void CommitDevice() override {}
  void DropDevice() override;

 private:
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace quarvel
