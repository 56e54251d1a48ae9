// Drawing the series segment by segment, clipped to the plot area before the painter sees the coordinates.
#include "ui/chart_series.h"

#include <QVector>

#include <algorithm>
#include <cmath>

namespace {

// Liang-Barsky: cuts the line to the rectangle; false when nothing of it lies inside.
bool ClipLine(const QRectF& box, QLineF& line) {
  const double x0 = line.x1(), y0 = line.y1();
  const double dx = line.x2() - x0, dy = line.y2() - y0;
  double enter = 0, leave = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - box.left(), box.right() - x0, y0 - box.top(), box.bottom() - y0};
  for (int side = 0; side < 4; ++side) {
    if (p[side] == 0) {
      if (q[side] < 0) return false;
      continue;
    }
    const double t = q[side] / p[side];
    if (p[side] < 0) enter = std::max(enter, t);
    else leave = std::min(leave, t);
    if (enter > leave) return false;
  }
  line = QLineF(x0 + enter * dx, y0 + enter * dy, x0 + leave * dx, y0 + leave * dy);
  return true;
}

QColor ToQColor(const ChartColour& colour) { return QColor(colour.red, colour.green, colour.blue); }

}  // namespace

ChartSeries::ChartSeries(const ChartModel& model, QCPAxis* keyAxis, QCPAxis* valueAxis)
    : QCPAbstractPlottable(keyAxis, valueAxis), model_(model) {
  setAntialiased(false);
  setSelectable(QCP::stNone);
  setPen(QPen(Qt::red));  // the series colour; every segment takes its end point's colour instead
}

bool ChartSeries::VisibleSegment(std::size_t i, QLineF& line) const {
  const ChartPoint& from = model_.Points()[i - 1];
  const ChartPoint& to = model_.Points()[i];
  line = QLineF(coordsToPixels(from.X, from.Y), coordsToPixels(to.X, to.Y));
  if (!std::isfinite(line.x1()) || !std::isfinite(line.y1()) || !std::isfinite(line.x2()) || !std::isfinite(line.y2()))
    return false;
  return ClipLine(QRectF(PlotArea()).adjusted(-1, -1, 1, 1), line);
}

void ChartSeries::DrawSegments(QCPPainter* painter, std::size_t first, std::size_t end) const {
  const auto& points = model_.Points();
  end = std::min(end, points.size());
  first = std::max<std::size_t>(first, 1);
  painter->save();
  applyDefaultAntialiasingHint(painter);
  painter->setClipRect(PlotArea());
  // Runs of segments with one colour go to the painter together.
  QVector<QLineF> run;
  ChartColour runColour;
  const auto flush = [&] {
    if (run.isEmpty()) return;
    painter->setPen(QPen(ToQColor(runColour), 0));
    painter->drawLines(run);
    run.clear();
  };
  for (std::size_t i = first; i < end; ++i) {
    if (!run.isEmpty() && !(points[i].colour == runColour)) flush();
    runColour = points[i].colour;
    QLineF line;
    if (VisibleSegment(i, line)) run.append(line);
  }
  flush();
  painter->restore();
}

QRect ChartSeries::SegmentsBounds(std::size_t first, std::size_t end) const {
  end = std::min(end, model_.Points().size());
  QRectF bounds;
  for (std::size_t i = std::max<std::size_t>(first, 1); i < end; ++i) {
    QLineF line;
    if (VisibleSegment(i, line)) bounds |= QRectF(line.p1(), line.p2()).normalized().adjusted(-2, -2, 2, 2);
  }
  return bounds.toAlignedRect() & PlotArea();
}

void ChartSeries::draw(QCPPainter* painter) { DrawSegments(painter, 1, model_.Points().size()); }

void ChartSeries::drawLegendIcon(QCPPainter*, const QRectF&) const {}

double ChartSeries::selectTest(const QPointF&, bool, QVariant*) const { return -1; }

// The axes are set by the program only; the series never offers a range to scale them to.
QCPRange ChartSeries::getKeyRange(bool& foundRange, QCP::SignDomain) const {
  foundRange = false;
  return QCPRange();
}

QCPRange ChartSeries::getValueRange(bool& foundRange, QCP::SignDomain, const QCPRange&) const {
  foundRange = false;
  return QCPRange();
}
