// Where PrintChart gets its printer: the system's default printer, or a test's PDF file.
#pragma once

#include <QPrinter>

#include <memory>

class PrinterFactory {
 public:
  virtual ~PrinterFactory() = default;
  // The default printer, kept by the factory between prints; null when there is none.
  virtual QPrinter* DefaultPrinter() = 0;
};

// The operating system's default printer.
class SystemPrinterFactory : public PrinterFactory {
 public:
  QPrinter* DefaultPrinter() override;

 private:
  std::unique_ptr<QPrinter> printer_;
};
