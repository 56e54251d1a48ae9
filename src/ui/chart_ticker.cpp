// Label steps that keep labels apart at any plot size, and the label number format.
#include "ui/chart_ticker.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace {

// Labels carry at most three decimals, so a finer step would repeat label texts.
constexpr double kSmallestStep = 0.001;
// Steps are 1, 2 or 5 times a power of ten; this many tries covers every range a double can span.
constexpr int kMaxStepTries = 2000;
// No window holds this many labels on one axis; steps that would give more are not tried.
constexpr double kMaxLabels = 1000;

double NextNiceStep(double step) {
  const double magnitude = std::pow(10.0, std::floor(std::log10(step)));
  const double mantissa = step / magnitude;
  if (mantissa < 1.5) return 2 * magnitude;
  if (mantissa < 3.5) return 5 * magnitude;
  return 10 * magnitude;
}

// The smallest 1-2-5 step not below the given one.
double NiceStepAtLeast(double step) {
  double nice = std::pow(10.0, std::floor(std::log10(step)));
  while (nice < step * (1 - 1e-12)) nice = NextNiceStep(nice);
  return nice;
}

// The frequency axis: labels at the maximum and whole steps below it, one step below the minimum included so the
// minor ticks reach the axis start.
QVector<double> StepsDownFromMaximum(double step, const QCPRange& range) {
  // Rounding noise in the bounds must neither cost the label at the minimum nor print -0.
  const double noise = step * 1e-6;
  const double steps = std::floor(range.size() / step + 1e-6);
  QVector<double> ticks;
  if (!(steps < kMaxLabels)) return ticks;
  for (int k = static_cast<int>(steps) + 1; k >= 0; --k) {
    double tick = range.upper - k * step;
    if (std::abs(tick - range.lower) < noise) tick = range.lower;
    if (std::abs(tick) < noise) tick = 0;
    ticks.append(tick);
  }
  return ticks;
}

// The level axis: labels at whole multiples of the step.
QVector<double> MultiplesOf(double step, const QCPRange& range) {
  const double first = std::ceil(range.lower / step);
  const double last = std::floor(range.upper / step);
  QVector<double> ticks;
  if (!(last - first < kMaxLabels)) return ticks;
  for (double k = first; k <= last; ++k) ticks.append(k * step);
  return ticks;
}

}  // namespace

QString AxisLabelText(double value, const QLocale& locale) {
  QLocale grouped = locale;
  grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
  if (std::abs(value) < 0.0005) value = 0;  // no "-0" for a value that rounds to zero
  QString text = grouped.toString(value, 'f', 3);
  const QString point = grouped.decimalPoint();
  const QString zero = grouped.zeroDigit();
  if (text.contains(point)) {
    while (text.endsWith(zero)) text.chop(zero.size());
    if (text.endsWith(point)) text.chop(point.size());
  }
  return text;
}

double ChartTicker::getTickStep(const QCPRange& range) {
  const QRect plot = axis_.axisRect()->rect();
  const double pixels = std::max(1, axis_.orientation() == Qt::Horizontal ? plot.width() : plot.height());
  const QFontMetricsF metrics(axis_.tickLabelFont());
  // No step can do with less room per label than one digit and the gap.
  const double narrowest = axis_.orientation() == Qt::Horizontal ? 3 * metrics.horizontalAdvance(QLatin1Char('0'))
                                                                 : 2 * metrics.height();
  double step = NiceStepAtLeast(std::max(kSmallestStep, range.size() * narrowest / pixels));
  for (int tries = 0; tries < kMaxStepTries && std::isfinite(step) && !LabelsFit(step, range, pixels); ++tries)
    step = NextNiceStep(step);
  return step;
}

bool ChartTicker::LabelsFit(double step, const QCPRange& range, double pixels) const {
  const double spacing = step / range.size() * pixels;
  const QFontMetricsF metrics(axis_.tickLabelFont());
  if (axis_.orientation() == Qt::Vertical) return spacing >= 2 * metrics.height();
  // The widest label of this step and a gap of two digits must fit between neighbouring labels.
  const QLocale locale = axis_.parentPlot()->locale();
  const double gap = 2 * metrics.horizontalAdvance(QLatin1Char('0'));
  const QVector<double> ticks =
      placement_ == Placement::FromMaximum ? StepsDownFromMaximum(step, range) : MultiplesOf(step, range);
  if (ticks.isEmpty()) return false;
  double widest = 0;
  for (double tick : ticks) widest = std::max(widest, metrics.horizontalAdvance(AxisLabelText(tick, locale)));
  return spacing >= widest + gap;
}

int ChartTicker::getSubTickCount(double tickStep) {
  return placement_ == Placement::FromMaximum ? QCPAxisTicker::getSubTickCount(tickStep) : 0;
}

QString ChartTicker::getTickLabel(double tick, const QLocale& locale, QChar, int) {
  return AxisLabelText(tick, locale);
}

QVector<double> ChartTicker::createTickVector(double tickStep, const QCPRange& range) {
  if (placement_ == Placement::FromMaximum) return StepsDownFromMaximum(tickStep, range);
  return QCPAxisTicker::createTickVector(tickStep, range);
}
