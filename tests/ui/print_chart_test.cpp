// Printing: one landscape page named Chart1, the printer's orientation put back also after a failure, and the
// message when there is no printer.
#include "ui/print_chart.h"

#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "chart_test_support.h"
#include "sweep/app_error.h"
#include "ui/print_factory.h"

namespace {

class PdfPrinters : public PrinterFactory {
 public:
  PdfPrinters(const QString& path, QPageLayout::Orientation orientation) {
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setOutputFileName(path);
    printer_.setPageOrientation(orientation);
  }
  QPrinter* DefaultPrinter() override { return &printer_; }
  QPageLayout::Orientation Orientation() const { return printer_.pageLayout().orientation(); }

 private:
  QPrinter printer_{QPrinter::HighResolution};
};

class NoPrinters : public PrinterFactory {
 public:
  QPrinter* DefaultPrinter() override { return nullptr; }
};

// The parts of a PDF file a print check needs, read from its uncompressed object dictionaries.
struct PdfSummary {
  int pages = 0;
  double mediaWidth = 0, mediaHeight = 0;
  bool titledChart1 = false;
};

PdfSummary Summarise(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  const QByteArray pdf = file.readAll();
  PdfSummary summary;
  const QString text = QString::fromLatin1(pdf);
  for (auto page = QRegularExpression("/Type\\s*/Page(?!s)").globalMatch(text); page.hasNext(); page.next())
    ++summary.pages;
  const auto box = QRegularExpression("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)\\s*\\]")
                       .match(text);
  if (box.hasMatch()) {
    summary.mediaWidth = box.captured(1).toDouble();
    summary.mediaHeight = box.captured(2).toDouble();
  }
  // The job name is the document title, written in UTF-16.
  const QByteArray utf16Title("\xFE\xFF\0C\0h\0a\0r\0t\0" "1", 14);
  summary.titledChart1 = pdf.contains("/Title (" + utf16Title + ")") || pdf.contains("/Title (Chart1)");
  return summary;
}

class PrintChartTest : public ::testing::Test {
 protected:
  PrintChartTest() : model_(ModelWithAxes(10, 20, -90, 5)), view_(model_) {
    model_.SetTitleFromName("Test");
    for (int i = 0; i <= 100; ++i) model_.AddPoint(10 + i * 0.1, -40 + (i % 20));
    view_.resize(706, 500);
  }

  QTemporaryDir folder_;
  ChartModel model_;
  ChartView view_;
};

TEST_F(PrintChartTest, OneLandscapePageAndTheOrientationPutBack) {
  for (const QPageLayout::Orientation before : {QPageLayout::Portrait, QPageLayout::Landscape}) {
    const QString path = folder_.filePath(before == QPageLayout::Portrait ? "portrait.pdf" : "landscape.pdf");
    PdfPrinters printers(path, before);
    view_.Print(&printers);
    EXPECT_EQ(printers.Orientation(), before);
    const PdfSummary pdf = Summarise(path);
    EXPECT_EQ(pdf.pages, 1);
    EXPECT_GT(pdf.mediaWidth, pdf.mediaHeight);
    EXPECT_GT(pdf.mediaHeight, 0);
    EXPECT_TRUE(pdf.titledChart1);
  }
}

TEST_F(PrintChartTest, AFailingPrintRaisesAndStillPutsTheOrientationBack) {
  PdfPrinters printers(folder_.filePath("no such folder/chart.pdf"), QPageLayout::Portrait);
  try {
    PrintChart(view_, printers);
    FAIL() << "a printer that cannot start the job must raise";
  } catch (const AppError& error) {
    EXPECT_STREQ(error.what(), "The printer did not accept the print job");
  }
  EXPECT_EQ(printers.Orientation(), QPageLayout::Portrait);
}

TEST_F(PrintChartTest, WithoutADefaultPrinterTheMessageSaysSo) {
  NoPrinters printers;
  try {
    view_.Print(&printers);
    FAIL() << "printing without a printer must raise";
  } catch (const AppError& error) {
    EXPECT_STREQ(error.what(), "There is no default printer currently selected");
  }
}

}  // namespace
