// One landscape page in a job named "Chart1", laid out as a 96-dpi screen of the page's size.
#include "ui/print_chart.h"

#include <QPrinter>

#include "sweep/app_error.h"
#include "ui/chart_view.h"
#include "ui/print_factory.h"

namespace {

// The chart keeps this share of the printable area free on each side.
constexpr double kPageMarginShare = 0.05;
// The page is laid out like a screen of this resolution, so labels and lines keep their on-screen proportions.
constexpr double kLayoutDpi = 96;

// Puts the printer's orientation back when the print ends, however it ends.
class OrientationKeeper {
 public:
  explicit OrientationKeeper(QPrinter& printer) : printer_(printer), saved_(printer.pageLayout().orientation()) {}
  ~OrientationKeeper() { printer_.setPageOrientation(saved_); }
  OrientationKeeper(const OrientationKeeper&) = delete;
  OrientationKeeper& operator=(const OrientationKeeper&) = delete;

 private:
  QPrinter& printer_;
  QPageLayout::Orientation saved_;
};

}  // namespace

void PrintChart(ChartView& chart, PrinterFactory& printers) {
  QPrinter* const printer = printers.DefaultPrinter();
  if (printer == nullptr) throw AppError("There is no default printer currently selected");
  const OrientationKeeper keeper(*printer);
  printer->setPageOrientation(QPageLayout::Landscape);
  printer->setDocName("Chart1");

  QCPPainter painter;
  if (!painter.begin(printer)) throw AppError("The printer did not accept the print job");
  // Painting starts at the printable area's corner unless the printer is set to the full page.
  const QRectF page = printer->pageRect(QPrinter::DevicePixel);
  const QRectF printable = printer->fullPage() ? page : QRectF(QPointF(0, 0), page.size());
  const QRect area = printable
                         .adjusted(printable.width() * kPageMarginShare, printable.height() * kPageMarginShare,
                                   -printable.width() * kPageMarginShare, -printable.height() * kPageMarginShare)
                         .toRect();
  const double scale = kLayoutDpi / printer->resolution();
  chart.DrawScaled(painter, area, QSize(qRound(area.width() * scale), qRound(area.height() * scale)));
  if (!painter.end() || printer->printerState() == QPrinter::Error)
    throw AppError("The printer did not accept the print job");
}
