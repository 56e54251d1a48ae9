// The window's own work for one sweep point, no wire: ShowPointValues, AddPoint and ProcessPendingEvents on the
// real main window at 1920 x 1080, with 0 to 20,000 points already on the chart; the start of a new sweep over a
// full chart; points arriving in descending order; a load of 20,000 points; and the memory it then holds.
#include <QApplication>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "bench_window.h"
#include "sweep/point_text.h"
#include "ui/main_window.h"

namespace {

constexpr int kMeasured = 400;
constexpr int kMostShown = 20000;
constexpr double kFmin = 1;
constexpr double kFmax = 150;

double Frequency(int i) { return kFmin + (kFmax - kFmin) * i / (kMostShown + kMeasured); }
double Level(int i) { return -45 + 40 * std::sin(i * 0.01) + 5 * std::sin(i * 0.37); }

// Point i of a sweep in the given direction: ascending ones land at the end of the chart, descending at the front.
double SweepFrequency(int i, bool descending) { return Frequency(descending ? kMostShown + kMeasured - i : i); }

void Fill(TForm1& form, int shown, bool descending) {
  form.ClearPlot();
  for (int i = 0; i < shown; ++i) form.AddPoint(SweepFrequency(i, descending), Level(i));
  form.ProcessPendingEvents();
}

struct PointCosts {
  bench::Summary chart;  // AddPoint + ProcessPendingEvents
  bench::Summary whole;  // with ShowPointValues first
};

PointCosts MeasurePoints(TForm1& form, int shown, bool descending) {
  Fill(form, shown, descending);
  std::vector<double> chart, whole;
  for (int i = shown; i < shown + kMeasured; ++i) {
    const double frequency = SweepFrequency(i, descending);
    const auto start = bench::Clock::now();
    form.ShowPointValues(FrequencyText(frequency), LevelText(Level(i)));
    const auto shownValues = bench::Clock::now();
    form.AddPoint(frequency, Level(i));
    form.ProcessPendingEvents();
    const auto end = bench::Clock::now();
    chart.push_back(bench::Microseconds(end - shownValues));
    whole.push_back(bench::Microseconds(end - start));
  }
  return {bench::Summarise(chart), bench::Summarise(whole)};
}

// The first point of the next sweep: ClearPlot over a chart showing `shown` points, AddPoint, ProcessPendingEvents.
bench::Summary MeasureSweepStarts(TForm1& form, int shown) {
  std::vector<double> samples;
  for (int sweep = 0; sweep < 20; ++sweep) {
    Fill(form, shown, false);
    const auto start = bench::Clock::now();
    form.ClearPlot();
    form.AddPoint(Frequency(0), Level(0));
    form.ProcessPendingEvents();
    samples.push_back(bench::Microseconds(bench::Clock::now() - start));
  }
  return bench::Summarise(samples);
}

}  // namespace

int main(int argc, char** argv) {
  bench::TempFolder folder;
  bench::PrepareDisplay(folder.Path());
  QApplication application(argc, argv);

  bench::SparePty port;
  FormConfig config;
  config.settingsPath = bench::WriteSettings(folder.Path(), port.Device(), {"1", "150", "0.00745"});
  TForm1 form(config);
  bench::ShowMaximised(form);

  std::printf("window per point, no wire: platform %s, window %d x %d, %d points measured per row\n",
              qPrintable(QGuiApplication::platformName()), form.width(), form.height(), kMeasured);
  std::printf("chart = AddPoint + ProcessPendingEvents; point = ShowPointValues + chart; new sweep = ClearPlot +\n"
              "first AddPoint + ProcessPendingEvents over a chart that showed that many points (20 starts)\n\n");
  std::printf("%7s | %22s | %22s | %22s | %22s\n", "", "ascending: chart (us)", "ascending: point (us)",
              "descending: point (us)", "new sweep (us)");
  std::printf("%7s | %7s %7s %6s | %7s %7s %6s | %7s %7s %6s | %7s %7s %6s\n", "shown", "median", "p99", "max",
              "median", "p99", "max", "median", "p99", "max", "median", "p99", "max");
  for (const int shown : {0, 1000, 2000, 5000, 10000, 15000, 20000}) {
    const PointCosts ascending = MeasurePoints(form, shown, false);
    const PointCosts descending = MeasurePoints(form, shown, true);
    const bench::Summary starts = MeasureSweepStarts(form, shown);
    std::printf("%7d | %7.1f %7.1f %6.0f | %7.1f %7.1f %6.0f | %7.1f %7.1f %6.0f | %7.1f %7.1f %6.0f\n", shown,
                ascending.chart.median, ascending.chart.p99, ascending.chart.max, ascending.whole.median,
                ascending.whole.p99, ascending.whole.max, descending.whole.median, descending.whole.p99,
                descending.whole.max, starts.median, starts.p99, starts.max);
    std::fflush(stdout);
  }

  // A load draws every record with AddPoint and paints once, when the window next handles its events.
  form.ClearPlot();
  form.ProcessPendingEvents();
  const auto loadStart = bench::Clock::now();
  for (int i = 0; i < kMostShown; ++i) form.AddPoint(Frequency(i), Level(i));
  const auto added = bench::Clock::now();
  form.ProcessPendingEvents();
  const auto painted = bench::Clock::now();
  std::printf("\nload of %d points: AddPoint calls %.1f ms, then the paint %.1f ms\n", kMostShown,
              bench::Microseconds(added - loadStart) / 1000, bench::Microseconds(painted - added) / 1000);

  const bench::ResidentMemory memory = bench::ReadResidentMemory();
  std::printf("resident memory with %d points on the chart: %.1f MB (peak %.1f MB)\n",
              static_cast<int>(form.Chart().Points().size()), memory.nowKb / 1024.0, memory.peakKb / 1024.0);
  return 0;
}
