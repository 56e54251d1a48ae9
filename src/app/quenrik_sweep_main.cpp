// quenrik-sweep: the sweep run from a terminal, for scripts and machines without a display.
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <unistd.h>

#include "app/console_view.h"
#include "instrument/instrument_link.h"
#include "instrument/qt_serial_port.h"
#include "storage/measurement_commands.h"
#include "storage/qt_settings_location.h"
#include "storage/settings_file.h"
#include "sweep/app_error.h"
#include "sweep/number_text.h"
#include "sweep/sweep_run.h"

namespace {

constexpr const char* kUsage =
    "usage: quenrik-sweep [--port DEV] [--fmin MHZ] [--fmax MHZ] [--fstep MHZ] [--sweeps N]\n"
    "                     [--save FILE] [--timeout MS]\n"
    "       quenrik-sweep --load FILE\n"
    "Options left out are taken from the settings file (quenrik.ini), which is never written.\n";

// Written only by the Ctrl-C handler: the first press stops the run at the next point, a second one ends at once.
volatile std::sig_atomic_t gInterrupts = 0;

void OnInterrupt(int) {
  gInterrupts = gInterrupts + 1;
  if (gInterrupts > 1) _exit(130);
}

struct Options {
  std::map<std::string, std::string> values;
  bool Has(const std::string& name) const { return values.count(name) != 0; }
  const std::string& Get(const std::string& name) const { return values.at(name); }
};

bool ParseOptions(int argc, char** argv, Options& options) {
  static const char* const known[] = {"--port", "--fmin", "--fmax", "--fstep", "--sweeps",
                                      "--save", "--load", "--timeout"};
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    bool isKnown = false;
    for (const char* k : known) isKnown = isKnown || name == k;
    if (!isKnown || i + 1 >= argc || options.Has(name)) return false;
    options.values[name] = argv[++i];
  }
  return !(options.Has("--load") && (options.Has("--save") || options.Has("--sweeps")));
}

int PositiveInteger(const std::string& text, const char* what) {
  std::size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || value < 1) throw AppError(std::string(what) + " must be a whole number above 0: '" + text + "'");
  return value;
}

int Run(const Options& options) {
  RangeSettings range;
  SweepState state;
  ConsoleView view(range, stdout, stderr);
  const StoredSettings stored = ReadSettings(SettingsFilePath(), SystemDecimalSeparator());

  // Range options use a full stop whatever the locale; missing ones come from the settings file.
  auto rangeText = [&](const char* option, double storedValue) {
    if (!options.Has(option)) return number_text::FormatGeneral(storedValue, '.');
    number_text::ParseFloat(options.Get(option), '.');
    return options.Get(option);
  };
  view.SetFieldText(EditField::edJmeno, stored.Title);
  view.SetFieldText(EditField::edFmin, rangeText("--fmin", stored.Range.Fmin));
  view.SetFieldText(EditField::edFmax, rangeText("--fmax", stored.Range.Fmax));
  view.SetFieldText(EditField::edFstep, rangeText("--fstep", stored.Range.Fstep));
  view.SetFieldText(EditField::edMindb, number_text::FormatGeneral(stored.Range.MinDb, '.'));
  view.SetFieldText(EditField::edMaxdb, number_text::FormatGeneral(stored.Range.MaxDb, '.'));

  MeasurementCommands files(state, view);
  if (options.Has("--load")) {
    view.ChooseFileResult(options.Get("--load"));
    view.PrintLoadedPoints(true);
    files.btnLoadClick();
    return view.WarningsShown() == 0 ? 0 : 1;
  }

  const int sweeps = options.Has("--sweeps") ? PositiveInteger(options.Get("--sweeps"), "--sweeps") : 1;
  const int timeoutMs = options.Has("--timeout") ? PositiveInteger(options.Get("--timeout"), "--timeout")
                                                 : InstrumentLink::kReadTimeoutMs;
  QtSerialPort port;
  InstrumentLink link(port, state, view, timeoutMs);
  link.PortName = options.Has("--port") ? options.Get("--port") : stored.PortName;
  link.OpenSerialPort();
  if (!link.Connected()) return 1;

  SweepRun run(range, state, link, view);
  view.StopDuringSweep(sweeps);
  view.OnStop([&run] { run.btnStopClick(); });
  view.WatchInterrupts(&gInterrupts);
  run.btnRunClick();
  link.ClosePort();

  if (options.Has("--save")) {
    view.ChooseFileResult(options.Get("--save"));
    files.btnSaveClick();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  try {
    return Run(options);
  } catch (const AppError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
