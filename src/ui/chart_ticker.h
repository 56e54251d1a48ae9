// Where the chart's axis labels stand and how they read: "#,##0.###" with the locale's separators.
#pragma once

#include <QLocale>
#include <QString>
#include <qcustomplot.h>

// A label number with grouped thousands and at most three decimals, trailing zeros dropped.
QString AxisLabelText(double value, const QLocale& locale);

// Chooses the label step from the axis's pixel length and the widest label, so labels never overlap;
// the frequency axis counts its labels down from the maximum, the level axis puts them on whole multiples.
class ChartTicker : public QCPAxisTicker {
 public:
  enum class Placement { FromMaximum, RoundMultiples };

  ChartTicker(const QCPAxis& axis, Placement placement) : axis_(axis), placement_(placement) {}

 protected:
  double getTickStep(const QCPRange& range) override;
  int getSubTickCount(double tickStep) override;
  QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;
  QVector<double> createTickVector(double tickStep, const QCPRange& range) override;

 private:
  bool LabelsFit(double step, const QCPRange& range, double pixels) const;

  const QCPAxis& axis_;
  Placement placement_;
};
