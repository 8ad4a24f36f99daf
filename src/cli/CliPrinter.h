// The command line's printer: whatever prints the PDF file.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "ports/Printer.h"

namespace quarvel::cli {

// Makes the printer that writes a printout to the PDF file `path`.
using PdfPrinterFactory = std::function<std::unique_ptr<Printer>(const std::string& path)>;

}  // namespace quarvel::cli
