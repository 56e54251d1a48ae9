// The chart widget: draws the chart model with QCustomPlot and keeps the finished picture, so a new point at the
// end of the curve costs one segment, not a redraw of the whole chart; and the picture without the curve, so a
// cleared or reordered curve costs the curve alone.
#pragma once

#include <QImage>
#include <QLocale>
#include <qcustomplot.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "ui/chart_model.h"

class ChartSeries;
class PrinterFactory;

class ChartView : public QCustomPlot {
  Q_OBJECT

 public:
  // The model belongs to the caller and must outlive every paint of the widget. Labels follow locale.
  explicit ChartView(const ChartModel& model, QWidget* parent = nullptr, const QLocale& locale = QLocale::system());
  ~ChartView() override;

  // Schedules a repaint of what the model changed since the last paint: the new segments after appends at the end,
  // the old and the new curve after a clear or an insertion, the whole chart after a change of axes, title or size.
  // repaint() afterwards paints at once.
  void Refresh();

  // Prints the chart on one landscape page of the default printer of printers (the system's when null).
  void Print(PrinterFactory* printers = nullptr);

  // Draws the chart laid out for logicalSize pixels into deviceArea of painter, without the background (paper).
  void DrawScaled(QCPPainter& painter, const QRect& deviceArea, const QSize& logicalSize);

  ChartSeries* Series() const { return series_; }
  // The plot area in widget pixels as last laid out; the curve is clipped to it.
  QRect PlotArea() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Configure();
  void ApplyFonts();
  void SyncFromModel();
  void SettleLayout();
  bool NeedsFullRender() const;
  bool NeedsCurveRedraw() const;
  void RenderFrame();
  void RedrawCurve();
  void DrawNewSegments();

  const ChartModel& model_;
  ChartSeries* series_ = nullptr;
  QCPTextElement* title_ = nullptr;
  std::unique_ptr<PrinterFactory> systemPrinters_;
  // The picture as last drawn, and what of the model it shows; the same picture without the curve, and where the
  // two differ.
  QImage frame_;
  QImage background_;
  QRect curveBounds_;
  bool frameStale_ = true;
  std::uint64_t drawnViewRevision_ = 0;
  std::uint64_t drawnPointsRevision_ = 0;
  std::size_t drawnPoints_ = 0;
  // What the repaints asked for since the last paint already cover.
  std::uint64_t requestedRevision_ = 0;
  std::size_t requestedPoints_ = 0;
  QRect requestedBounds_;
};
