// The chart's configuration, its layout passes, and the full, curve-only and incremental drawing of the kept picture.
#include "ui/chart_view.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ui/chart_series.h"
#include "ui/chart_ticker.h"
#include "ui/print_chart.h"
#include "ui/print_factory.h"

namespace {

const QColor kTitleBlue(0, 0, 255);
const QColor kMinorGridSilver(192, 192, 192);
const QColor kMajorGridGray(128, 128, 128);
constexpr int kTitlePixelSize = 13;
constexpr int kLabelPixelSize = 11;
constexpr int kLabelEndPadding = 4;  // pixels between an end label and the widget's edge
// QCustomPlot takes ranges inside +-1e250 only.
constexpr double kLargestShownBound = 1e249;

// Fixedsys where installed; else the system's fixed font, unless fontconfig hands out a face that is not really
// fixed-pitch (seen with Noto Sans Mono), when the first installed fixed-pitch family takes its place.
QFont TitleFont() {
  QFont font = QFontDatabase::hasFamily("Fixedsys") ? QFont("Fixedsys")
                                                    : QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (!QFontInfo(font).fixedPitch()) {
    const QStringList families = QFontDatabase::families();
    const auto fixed = std::find_if(families.begin(), families.end(),
                                    [](const QString& family) { return QFontDatabase::isFixedPitch(family); });
    if (fixed != families.end()) font = QFont(*fixed);
  }
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPixelSize(kTitlePixelSize);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  return font;
}

// Dots on every other pixel.
QPen SmallDotsPen(const QColor& colour) {
  QPen pen(colour, 0, Qt::CustomDashLine);
  pen.setDashPattern({1, 1});
  return pen;
}

// QCustomPlot refuses an empty range: equal bounds are shown as a hair-wide range ending at the value, so the one
// label reads the value.
QCPRange ShownRange(const ChartAxis& axis) {
  const double lower = std::clamp(axis.Minimum(), -kLargestShownBound, kLargestShownBound);
  const double upper = std::clamp(axis.Maximum(), -kLargestShownBound, kLargestShownBound);
  if (QCPRange::validRange(lower, upper)) return QCPRange(lower, upper);
  const double width = std::max(std::abs(upper) * 1e-12, 1e-200);
  if (QCPRange::validRange(upper - width, upper)) return QCPRange(upper - width, upper);
  return QCPRange(upper - 1, upper);
}

}  // namespace

ChartView::ChartView(const ChartModel& model, QWidget* parent, const QLocale& locale)
    : QCustomPlot(parent), model_(model) {
  setLocale(locale);
  // Every paint covers its whole area from the kept picture.
  setAttribute(Qt::WA_OpaquePaintEvent);
  Configure();
  ApplyFonts();
  // A replot asked of QCustomPlot itself lays the plot out anew; the kept picture then follows.
  connect(this, &QCustomPlot::afterReplot, this, [this] { frameStale_ = true; });
}

ChartView::~ChartView() = default;

void ChartView::Configure() {
  legend->setVisible(false);
  axisRect()->setBackground(Qt::NoBrush);

  plotLayout()->insertRow(0);
  title_ = new QCPTextElement(this);
  title_->setTextFlags(Qt::AlignLeft | Qt::AlignVCenter);
  title_->setTextColor(kTitleBlue);
  title_->setMargins(QMargins(0, 4, 0, 0));
  plotLayout()->addElement(0, 0, title_);

  // The frequency axis: labels at the maximum and whole steps below it, a dotted silver minor grid, dashed ticks.
  xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new ChartTicker(*xAxis, ChartTicker::Placement::FromMaximum)));
  xAxis->setTickPen(QPen(Qt::black, 0, Qt::DashLine));
  xAxis->setSubTickPen(QPen(Qt::black, 0, Qt::DashLine));
  xAxis->setTickLength(0, 4);
  xAxis->setSubTickLength(0, 2);
  xAxis->grid()->setSubGridVisible(true);
  xAxis->grid()->setSubGridPen(SmallDotsPen(kMinorGridSilver));

  // The level axis: labels at whole multiples of the step, no minor ticks, inner ticks one pixel long.
  yAxis->setTicker(QSharedPointer<QCPAxisTicker>(new ChartTicker(*yAxis, ChartTicker::Placement::RoundMultiples)));
  yAxis->setSubTicks(false);
  yAxis->setTickLength(1, 4);

  for (QCPAxis* axis : {xAxis, yAxis}) {
    axis->grid()->setPen(QPen(kMajorGridGray, 0, Qt::DotLine));
    axis->grid()->setZeroLinePen(Qt::NoPen);
  }
  // The top and right axes only close the frame of the plot area.
  for (QCPAxis* axis : {xAxis2, yAxis2}) {
    axis->setVisible(true);
    axis->setTicks(false);
    axis->setTickLabels(false);
    axis->grid()->setVisible(false);
  }
  // The left and right margins leave room for half of each end label of the frequency axis (SettleLayout).
  axisRect()->setAutoMargins(QCP::msLeft | QCP::msTop | QCP::msBottom);

  // The curve goes over the axis layer so that a segment drawn later lands on the same pixels as a full redraw.
  addLayer("series", layer("axes"), QCustomPlot::limAbove);
  series_ = new ChartSeries(model_, xAxis, yAxis);
  series_->setLayer("series");
}

void ChartView::ApplyFonts() {
  title_->setFont(TitleFont());
  QFont labels = font();
  labels.setPixelSize(kLabelPixelSize);
  for (QCPAxis* axis : {xAxis, yAxis}) axis->setTickLabelFont(labels);
}

QRect ChartView::PlotArea() const { return series_->PlotArea(); }

void ChartView::SyncFromModel() {
  xAxis->setRange(ShownRange(model_.BottomAxis()));
  yAxis->setRange(ShownRange(model_.LeftAxis()));
  title_->setText(QString::fromStdString(model_.TitleLine0()));
  setBackground(palette().color(QPalette::Button));
}

// Tick steps depend on the plot's size, and the plot's size on the labels: lay out until the plot area stays put.
void ChartView::SettleLayout() {
  const QFontMetricsF metrics(xAxis->tickLabelFont());
  const double endLabel = std::max(metrics.horizontalAdvance(AxisLabelText(xAxis->range().lower, locale())),
                                   metrics.horizontalAdvance(AxisLabelText(xAxis->range().upper, locale())));
  const int half = static_cast<int>(std::ceil(endLabel / 2)) + kLabelEndPadding;
  axisRect()->setMinimumMargins(QMargins(half, 0, 0, 0));
  axisRect()->setMargins(QMargins(0, 0, half, 0));
  for (int pass = 0; pass < 4; ++pass) {
    const QRect before = axisRect()->rect();
    updateLayout();
    if (axisRect()->rect() == before) break;
  }
}

bool ChartView::NeedsFullRender() const {
  const QSize pixels = (QSizeF(size()) * devicePixelRatioF()).toSize();
  return frameStale_ || frame_.size() != pixels || model_.ViewRevision() != drawnViewRevision_;
}

// The points drawn lost their place (a clear, an insertion): the curve is drawn anew over the unchanged rest.
bool ChartView::NeedsCurveRedraw() const {
  return model_.PointsRevision() != drawnPointsRevision_ || model_.Points().size() < drawnPoints_;
}

// Everything but the curve goes into the background first: the curve is drawn last, over the axes, so the curve
// drawn on top of that picture gives the same pixels as QCustomPlot drawing all of it.
void ChartView::RenderFrame() {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = (QSizeF(size()) * ratio).toSize();
  if (background_.size() != pixels) background_ = QImage(pixels, QImage::Format_RGB32);
  background_.setDevicePixelRatio(ratio);
  SyncFromModel();
  setViewport(rect());
  SettleLayout();
  series_->setVisible(false);
  QCPPainter painter(&background_);
  toPainter(&painter, width(), height());
  painter.end();
  series_->setVisible(true);
  if (frame_.size() != pixels) frame_ = QImage(pixels, QImage::Format_RGB32);
  frame_.setDevicePixelRatio(ratio);
  std::memcpy(frame_.bits(), background_.constBits(), static_cast<std::size_t>(background_.sizeInBytes()));
  curveBounds_ = QRect();
  frameStale_ = false;
  drawnViewRevision_ = model_.ViewRevision();
  drawnPoints_ = 0;
  RedrawCurve();
}

void ChartView::RedrawCurve() {
  QCPPainter painter(&frame_);
  if (!curveBounds_.isEmpty()) {
    const qreal ratio = frame_.devicePixelRatio();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRectF(curveBounds_), background_,
                      QRectF(QPointF(curveBounds_.topLeft()) * ratio, QSizeF(curveBounds_.size()) * ratio));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
  series_->DrawSegments(&painter, 1, model_.Points().size());
  // A whole curve is taken to cover the plot area: working out its bounds would cost as much as drawing it.
  curveBounds_ = model_.Points().size() < 2 ? QRect() : PlotArea();
  drawnPointsRevision_ = model_.PointsRevision();
  drawnPoints_ = model_.Points().size();
}

void ChartView::DrawNewSegments() {
  QCPPainter painter(&frame_);
  series_->DrawSegments(&painter, drawnPoints_, model_.Points().size());
  curveBounds_ |= series_->SegmentsBounds(drawnPoints_, model_.Points().size());
  drawnPoints_ = model_.Points().size();
}

// Each call asks only for what changed since the call before, so a run of AddPoint calls between two paints (a
// load) costs as many segments as it adds.
void ChartView::Refresh() {
  const std::size_t points = model_.Points().size();
  const bool asked = requestedRevision_ == model_.PointsRevision();
  if (NeedsFullRender()) {
    update();
  } else if (NeedsCurveRedraw() && !asked) {
    // The old curve goes; a new one of more than a point may lie anywhere in the plot area.
    update(points < 2 ? curveBounds_ : curveBounds_ | PlotArea());
  } else {
    std::size_t from = NeedsCurveRedraw() ? 0 : drawnPoints_;
    if (asked) from = std::max(from, requestedPoints_);
    // One growing rectangle: thousands of small ones would make every further update dearer.
    if (points > from) update(requestedBounds_ |= series_->SegmentsBounds(from, points));
  }
  requestedRevision_ = model_.PointsRevision();
  requestedPoints_ = points;
}

void ChartView::paintEvent(QPaintEvent* event) {
  requestedBounds_ = QRect();
  if (NeedsFullRender()) RenderFrame();
  else if (NeedsCurveRedraw()) RedrawCurve();
  else if (model_.Points().size() > drawnPoints_) DrawNewSegments();
  QPainter painter(this);
  const QRect area = event->rect();
  const qreal ratio = frame_.devicePixelRatio();
  painter.drawImage(QRectF(area), frame_, QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
}

void ChartView::resizeEvent(QResizeEvent* event) {
  // QCustomPlot's own handler would replot into buffers this widget never shows.
  QWidget::resizeEvent(event);
  setViewport(rect());
  frameStale_ = true;
}

void ChartView::changeEvent(QEvent* event) {
  QCustomPlot::changeEvent(event);
  switch (event->type()) {
    case QEvent::FontChange:
      ApplyFonts();
      [[fallthrough]];
    case QEvent::PaletteChange:
    case QEvent::LocaleChange:
      frameStale_ = true;
      update();
      break;
    default:
      break;
  }
}

void ChartView::Print(PrinterFactory* printers) {
  if (printers == nullptr) {
    if (!systemPrinters_) systemPrinters_ = std::make_unique<SystemPrinterFactory>();
    printers = systemPrinters_.get();
  }
  PrintChart(*this, *printers);
}

void ChartView::DrawScaled(QCPPainter& painter, const QRect& deviceArea, const QSize& logicalSize) {
  SyncFromModel();
  const QRect screen = viewport();
  setViewport(QRect(QPoint(0, 0), logicalSize));
  SettleLayout();
  painter.save();
  painter.setMode(QCPPainter::pmVectorized);
  painter.setMode(QCPPainter::pmNoCaching);
  painter.setMode(QCPPainter::pmNonCosmetic);
  painter.setViewport(deviceArea);
  painter.setWindow(viewport());
  draw(&painter);
  painter.restore();
  // The plot is laid out for the page now; the screen picture is drawn anew.
  setViewport(screen);
  frameStale_ = true;
  update();
}
