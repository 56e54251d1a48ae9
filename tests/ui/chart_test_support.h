// Helpers of the widget tests: a chart model with given axes, rendering a chart, classifying pixels.
#pragma once

#include <QApplication>
#include <QImage>

#include <algorithm>

#include "ui/chart_model.h"
#include "ui/chart_view.h"

// Sets an axis whatever it showed before: the maximum is raised first, so neither change is refused.
inline void SetAxis(ChartModel& model, ChartAxisId axis, double minimum, double maximum) {
  model.SetAxisMaximum(axis, std::max(model.Axis(axis).Maximum(), maximum));
  model.SetAxisMinimum(axis, minimum);
  model.SetAxisMaximum(axis, maximum);
}

inline ChartModel ModelWithAxes(double fmin, double fmax, double mindb, double maxdb) {
  ChartModel model;
  SetAxis(model, ChartAxisId::BottomAxis, fmin, fmax);
  SetAxis(model, ChartAxisId::LeftAxis, mindb, maxdb);
  return model;
}

// Shows the widget and lets the platform expose it, so that repaint() paints at once.
inline void ShowExposed(QWidget& widget) {
  widget.show();
  QApplication::processEvents();
}

// What the widget shows, as the screen would get it.
inline QImage Rendered(ChartView& view) { return view.grab().toImage().convertToFormat(QImage::Format_RGB32); }

inline bool IsBluish(QRgb pixel) { return qBlue(pixel) > qRed(pixel) + 60 && qBlue(pixel) > qGreen(pixel) + 60; }
inline bool IsGreenish(QRgb pixel) { return qGreen(pixel) > qRed(pixel) + 40 && qGreen(pixel) > qBlue(pixel) + 40; }
