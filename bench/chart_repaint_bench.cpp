// Cost of one sweep point on the chart (AddPoint and the window's immediate repaint) with up to 20,000 points
// already drawn, in a 1920 x 1080 window (offscreen); with the whole chart area repainted at every point; and of a
// full redraw of the chart for comparison.
#include <QApplication>
#include <QHBoxLayout>
#include <QWidget>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "ui/chart_model.h"
#include "ui/chart_view.h"

namespace {

constexpr int kWindowWidth = 1920;
constexpr int kWindowHeight = 1080;
constexpr int kPanelWidth = 184;
constexpr int kMaxPoints = 20000;
constexpr int kMeasuredPoints = 400;

double Level(int i) { return -45 + 40 * std::sin(i * 0.01) + 5 * std::sin(i * 0.37); }

using Clock = std::chrono::steady_clock;

double MicrosecondsSince(Clock::time_point start, int count) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / count;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);

  ChartModel model;
  model.SetAxisMaximum(ChartAxisId::BottomAxis, kMaxPoints + 2 * kMeasuredPoints);
  model.SetAxisMinimum(ChartAxisId::BottomAxis, 0);
  model.SetAxisMaximum(ChartAxisId::LeftAxis, 5);
  model.SetAxisMinimum(ChartAxisId::LeftAxis, -90);

  // The main window's shape: the chart left of the 184-pixel panel.
  QWidget window;
  auto* layout = new QHBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* chart = new ChartView(model, &window);
  auto* panel = new QWidget(&window);
  panel->setFixedWidth(kPanelWidth);
  layout->addWidget(chart, 1);
  layout->addWidget(panel);
  window.resize(kWindowWidth, kWindowHeight);
  window.show();
  QApplication::processEvents();
  window.repaint();

  std::printf("chart %d x %d in a %d x %d window\n", chart->width(), chart->height(), kWindowWidth, kWindowHeight);
  std::printf("%12s %18s %22s %14s\n", "points drawn", "per point (run)", "per point (whole)", "full redraw");
  for (const int shown : {0, 1000, 2000, 5000, 10000, 15000, 20000}) {
    model.ClearPlot();
    for (int i = 0; i < shown; ++i) model.AddPoint(i, Level(i));
    chart->Refresh();
    window.repaint();

    // One sweep point as the run delivers it: AddPoint, then ProcessPendingEvents (events, then repaint at once).
    auto start = Clock::now();
    for (int i = shown; i < shown + kMeasuredPoints; ++i) {
      model.AddPoint(i, Level(i));
      chart->Refresh();
      QApplication::processEvents();
      window.repaint();
    }
    const double perPoint = MicrosecondsSince(start, kMeasuredPoints);

    // The same with the whole chart area painted from the kept picture at every point (the widget's worst case).
    start = Clock::now();
    for (int i = shown + kMeasuredPoints; i < shown + 2 * kMeasuredPoints; ++i) {
      model.AddPoint(i, Level(i));
      chart->Refresh();
      chart->repaint();
    }
    const double perPointWhole = MicrosecondsSince(start, kMeasuredPoints);

    // A title change redraws everything: what a clear, an insertion or an axis change costs.
    constexpr int kRedraws = 20;
    start = Clock::now();
    for (int i = 0; i < kRedraws; ++i) {
      model.SetTitleFromName(i % 2 ? "a" : "b");
      chart->Refresh();
      window.repaint();
    }
    const double fullRedraw = MicrosecondsSince(start, kRedraws);
    std::printf("%12d %15.1f us %19.1f us %11.1f us\n", shown, perPoint, perPointWhole,
                fullRedraw);
  }
  return 0;
}
