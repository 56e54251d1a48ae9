// The chart's one line series, drawn straight from the chart model: each segment in the colour of its end point.
#pragma once

#include <QRect>
#include <qcustomplot.h>

#include <cstddef>

#include "ui/chart_model.h"

class ChartSeries : public QCPAbstractPlottable {
  Q_OBJECT

 public:
  ChartSeries(const ChartModel& model, QCPAxis* keyAxis, QCPAxis* valueAxis);

  // Draws the segments that end at points first to end - 1 (segment i joins point i - 1 and point i), clipped to
  // the plot area; the whole curve and a few new segments come out pixel for pixel the same.
  void DrawSegments(QCPPainter* painter, std::size_t first, std::size_t end) const;
  // The pixels those segments may touch, inside the plot area.
  QRect SegmentsBounds(std::size_t first, std::size_t end) const;
  // The plot area the curve is clipped to: the axis rectangle, one pixel up, where the axes map their ranges.
  QRect PlotArea() const { return clipRect().translated(0, -1); }

  double selectTest(const QPointF& pos, bool onlySelectable, QVariant* details = nullptr) const override;
  QCPRange getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
  QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                         const QCPRange& inKeyRange = QCPRange()) const override;

 protected:
  void draw(QCPPainter* painter) override;
  void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

 private:
  // The part of segment i inside the plot area (with a pixel to spare), or nothing.
  bool VisibleSegment(std::size_t i, QLineF& line) const;

  const ChartModel& model_;
};
