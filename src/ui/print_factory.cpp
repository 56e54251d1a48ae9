// The system's default printer, set up once and kept while it stays the default.
#include "ui/print_factory.h"

#include <QPrinterInfo>

QPrinter* SystemPrinterFactory::DefaultPrinter() {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return nullptr;
  if (!printer_ || printer_->printerName() != info.printerName())
    printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  return printer_.get();
}
