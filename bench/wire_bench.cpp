// Sweeps at the wire rate: quenrik-sim --baud 38400 behind a timing tap, swept through the console front end and
// through the real main window at 1920 x 1080, for each sweep size: points per second, the share of the wire limit
// and the program's own time per point, all from the same run.
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "bench_window.h"
#include "line_relay.h"
#include "sweep/numeric_rules.h"
#include "ui/main_window.h"

namespace {

struct SweepSize {
  int points;
  const char* fmin;
  const char* fmax;
  const char* fstep;
};

constexpr SweepSize kSizes[] = {
    {2, "10.695", "10.705", "0.1"}, {202, "10.6", "10.8", "0.001"},       {2001, "10", "29.995", "0.01"},
    {14901, "1", "150", "0.01"},    {20000, "50.005", "149.9975", "0.005"},
};

struct Options {
  bool quick = false;
  bool console = true;
  bool window = true;
  std::vector<int> sizes;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      options.quick = true;
    } else if (arg == "--console") {
      options.window = false;
    } else if (arg == "--window") {
      options.console = false;
    } else if (arg == "--sizes" && i + 1 < argc) {
      for (const char* part = argv[++i]; *part;) {
        int size = 0;
        part = std::from_chars(part, part + std::strlen(part), size).ptr;
        options.sizes.push_back(size);
        if (*part == ',') ++part;
        else if (*part) return std::nullopt;
      }
    } else {
      return std::nullopt;
    }
  }
  if (options.sizes.empty()) {
    options.sizes = options.quick ? std::vector<int>{2, 202, 2001} : std::vector<int>{2, 202, 2001, 14901, 20000};
  }
  return options;
}

double Number(const char* text) {
  double value = 0;
  std::from_chars(text, text + std::strlen(text), value);
  return value;
}

// Small sweeps repeat, as a run does until Stop, so every size is measured over enough points.
int SweepsFor(int points, bool quick) {
  const int enough = quick ? 400 : 2000;
  return points >= enough ? 1 : (enough + points - 1) / points;
}

// The window as the program builds it; it counts the sweeps the run starts and clicks Stop during the last one, and
// notes when each point reached the view (ShowPointValues) and when its ProcessPendingEvents returned.
class BenchForm : public TForm1 {
 public:
  BenchForm(const FormConfig& config, int sweeps) : TForm1(config), sweeps_(sweeps) {}

  void ClearPlot() override {
    TForm1::ClearPlot();
    // The run clears once before its first sweep and once at the start of every sweep.
    if (++clears_ == sweeps_ + 1)
      QMetaObject::invokeMethod(findChild<QPushButton*>("btnStop"), "click", Qt::QueuedConnection);
  }
  void ShowPointValues(const std::string& freqText, const std::string& levelText) override {
    shown_.push_back(bench::Clock::now());
    TForm1::ShowPointValues(freqText, levelText);
  }
  void ProcessPendingEvents() override {
    TForm1::ProcessPendingEvents();
    processed_.push_back(bench::Clock::now());
  }
  const std::vector<bench::Clock::time_point>& Shown() const { return shown_; }
  const std::vector<bench::Clock::time_point>& Processed() const { return processed_; }

 private:
  int sweeps_;
  int clears_ = 0;
  std::vector<bench::Clock::time_point> shown_;
  std::vector<bench::Clock::time_point> processed_;
};

struct Result {
  bench::LineTimeline timeline;
  double cpuSeconds = 0;
  // Window only, per point: reply in -> ShowPointValues, ShowPointValues -> end of ProcessPendingEvents, and that
  // end -> the next frame's first byte.
  std::vector<double> read, view, send;
  bool ok = false;
};

Result SweepConsole(const SweepSize& size, int sweeps, const std::string& device, const std::string& folder) {
  const bench::ChildRun run =
      bench::RunQuietly(QUENRIK_SWEEP,
                        {"--port", device, "--fmin", size.fmin, "--fmax", size.fmax, "--fstep", size.fstep,
                         "--sweeps", std::to_string(sweeps)},
                        {{"XDG_CONFIG_HOME", folder}});
  Result result;
  result.ok = run.exitCode == 0;
  result.cpuSeconds = run.cpuSeconds;
  return result;
}

struct WindowRun {
  std::vector<bench::Clock::time_point> shown, processed;
  double cpuSeconds = 0;
  bench::ResidentMemory memory;  // with the window still showing the last sweep
  bool ok = false;
};

WindowRun SweepWindow(const SweepSize& size, int sweeps, const std::string& device, const std::string& folder) {
  FormConfig config;
  config.settingsPath = bench::WriteSettings(folder, device, {size.fmin, size.fmax, size.fstep});
  BenchForm form(config, sweeps);
  bench::ShowMaximised(form);
  WindowRun run;
  QTimer::singleShot(0, &form, [&] {
    const double cpuBefore = bench::ThreadCpuSeconds();
    form.findChild<QPushButton*>("btnStart")->click();  // returns when the run has ended
    run.cpuSeconds = bench::ThreadCpuSeconds() - cpuBefore;
    QCoreApplication::quit();
  });
  QCoreApplication::exec();
  run.shown = form.Shown();
  run.processed = form.Processed();
  run.ok = static_cast<int>(form.Chart().Points().size()) == size.points;
  run.memory = bench::ReadResidentMemory();
  return run;
}

void SplitWindowTimes(const WindowRun& run, Result& result) {
  const auto& timeline = result.timeline;
  for (std::size_t i = 0; i < run.shown.size() && i < run.processed.size() && i < timeline.replyEnds.size(); ++i) {
    result.read.push_back(bench::Microseconds(run.shown[i] - timeline.replyEnds[i]));
    result.view.push_back(bench::Microseconds(run.processed[i] - run.shown[i]));
    if (i + 1 < timeline.frameStarts.size())
      result.send.push_back(bench::Microseconds(timeline.frameStarts[i + 1] - run.processed[i]));
  }
}

void PrintHeader() {
  std::printf("%-7s %6s %6s %8s %7s | %8s %8s | %7s | %6s %6s %6s\n", "front", "points", "sweeps", "points/s",
              "of wire", "own med", "own p99", "cpu/pt", "read", "view", "send");
  std::printf("%-7s %6s %6s %8s %7s | %8s %8s | %7s | %6s %6s %6s\n", "", "", "", "", "", "(us)", "(us)", "(us)",
              "(us)", "(us)", "(us)");
}

void PrintRow(const char* front, const SweepSize& size, int sweeps, const Result& result) {
  const std::size_t expected = static_cast<std::size_t>(size.points) * static_cast<std::size_t>(sweeps);
  const std::size_t measured = result.timeline.frameStarts.size();
  const double rate = bench::PointsPerSecond(result.timeline);
  const bench::Summary own = bench::Summarise(bench::TurnaroundMicroseconds(result.timeline));
  std::printf("%-7s %6d %6d %8.1f %6.1f%% | %8.1f %8.1f |", front, size.points, sweeps, rate,
              100 * rate / bench::kWirePointsPerSecond, own.median, own.p99);
  if (result.cpuSeconds > 0) std::printf(" %7.1f |", 1e6 * result.cpuSeconds / static_cast<double>(measured));
  else std::printf(" %7s |", "-");
  if (!result.view.empty()) {
    std::printf(" %6.1f %6.1f %6.1f", bench::Summarise(result.read).median, bench::Summarise(result.view).median,
                bench::Summarise(result.send).median);
  } else {
    std::printf(" %6s %6s %6s", "-", "-", "-");
  }
  if (!result.ok || measured != expected) std::printf("  (%zu of %zu points)", measured, expected);
  std::printf("\n");
  // Whether the cost grows with the points already shown: the own time's median in each tenth of one long sweep.
  const std::vector<double> gaps = bench::TurnaroundMicroseconds(result.timeline);
  if (sweeps == 1 && gaps.size() >= 2000) {
    std::printf("%41s own med by tenth of the sweep:", "");
    for (std::size_t tenth = 0; tenth < 10; ++tenth) {
      const auto from = gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() * tenth / 10);
      const auto to = gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() * (tenth + 1) / 10);
      std::printf(" %.0f", bench::Summarise(std::vector<double>(from, to)).median);
    }
    std::printf("\n");
  }
  std::fflush(stdout);
}

const SweepSize* FindSize(int points) {
  for (const SweepSize& size : kSizes)
    if (size.points == points) return &size;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) {
    std::fprintf(stderr, "usage: wire_bench [--quick] [--console | --window] [--sizes N,N,...]\n");
    return 2;
  }
  for (const int points : options->sizes) {
    const SweepSize* size = FindSize(points);
    if (!size || numeric_rules::PointCount(Number(size->fmin), Number(size->fmax), Number(size->fstep)) != points) {
      std::fprintf(stderr, "no range for a sweep of %d points\n", points);
      return 2;
    }
  }
  bench::TempFolder folder;
  bench::PrepareDisplay(folder.Path());
  QApplication application(argc, argv);

  const bench::Summary settle = bench::SettleDelayMicroseconds(200);
  std::printf("wire limit: %.0f bytes x 10 bits / %.0f baud = %.2f ms per point, %.1f points/s\n",
              bench::kWireBytesPerPoint, bench::kBaud, 1000 * bench::kWireSecondsPerPoint,
              bench::kWirePointsPerSecond);
  std::printf("settle count (500,000 additions): median %.1f us, p99 %.1f us (runs while the frame is on the wire)\n",
              settle.median, settle.p99);
  std::printf("window: platform %s, %d x %d\n\n", qPrintable(QGuiApplication::platformName()), bench::kScreenWidth,
              bench::kScreenHeight);
  std::printf("own    = the reply's last byte handed to the program -> the first byte of its next frame\n");
  std::printf("cpu/pt = the program's processor time per point, settle count included\n");
  std::printf("read, view, send (window, medians) = own split at ShowPointValues and at the end of\n"
              "         ProcessPendingEvents: reading the reply, the window's work, writing the next frame\n");
  std::printf("bare   = a client that sends the next frame as soon as a reply is in: the floor of this set-up\n\n");
  PrintHeader();

  const bench::MachineLoad load;
  {
    const int points = options->quick ? 400 : 2000;
    bench::SimulatorProcess sim(QUENRIK_SIM, {"--baud", "38400", "--model", "bandpass"});
    bench::LineRelay relay(sim.Device());
    Result result;
    result.ok = bench::SweepBareClient(relay.ProgramDevice(), points);
    result.timeline = relay.Finish();
    PrintRow("bare", {points, "", "", ""}, 1, result);
  }

  std::optional<bench::ResidentMemory> windowMemory;
  for (const bool window : {false, true}) {
    if (window ? !options->window : !options->console) continue;
    for (const int points : options->sizes) {
      const SweepSize& size = *FindSize(points);
      const int sweeps = SweepsFor(size.points, options->quick);
      bench::SimulatorProcess sim(QUENRIK_SIM, {"--baud", "38400", "--model", "bandpass"});
      bench::LineRelay relay(sim.Device());
      Result result;
      if (window) {
        const WindowRun run = SweepWindow(size, sweeps, relay.ProgramDevice(), folder.Path());
        result.timeline = relay.Finish();
        result.ok = run.ok;
        result.cpuSeconds = run.cpuSeconds;
        SplitWindowTimes(run, result);
        if (size.points == 20000) windowMemory = run.memory;
      } else {
        result = SweepConsole(size, sweeps, relay.ProgramDevice(), folder.Path());
        result.timeline = relay.Finish();
      }
      PrintRow(window ? "window" : "console", size, sweeps, result);
    }
  }
  std::printf("\nthe machine kept %.2f of its %ld processors busy on average during the sweeps; this benchmark\n"
              "alone (with Xvfb) keeps about 0.3 busy: more means other work shared the processors\n",
              load.BusyProcessors(), sysconf(_SC_NPROCESSORS_ONLN));
  if (windowMemory) {
    std::printf("resident memory of the window showing its 20,000-point sweep: %.1f MB (peak %.1f MB)\n",
                windowMemory->nowKb / 1024.0, windowMemory->peakKb / 1024.0);
  }
  return 0;
}
