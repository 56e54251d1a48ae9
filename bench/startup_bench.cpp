// Start-up to the first painted main window: starts the probe (quenrik's start-up with a paint probe) ten times
// with settings of its own and reports each phase from the process start.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "bench_window.h"

extern char** environ;

namespace {

constexpr int kRuns = 10;

long long Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Runs the probe; returns its three time stamps, or nothing when it failed.
std::vector<long long> RunProbe() {
  int out[2];
  if (pipe(out) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  char program[] = QUENRIK_STARTUP_PROBE;
  char* argv[] = {program, nullptr};
  pid_t pid = -1;
  const long long started = Now();
  const int failed = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[256];
  for (ssize_t n; !failed && (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  close(out[0]);
  int status = 0;
  if (!failed) waitpid(pid, &status, 0);
  std::istringstream fields(text);
  long long application = 0, window = 0, painted = 0;
  if (failed || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || !(fields >> application >> window >> painted))
    return {};
  return {application - started, window - started, painted - started};
}

}  // namespace

int main() {
  bench::TempFolder folder;
  bench::PrepareDisplay(folder.Path());
  bench::SparePty port;
  bench::WriteSettings(folder.Path(), port.Device(), {"1", "150", "0.01"});
  setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);

  std::vector<double> application, window, painted;
  for (int run = 0; run < kRuns; ++run) {
    const std::vector<long long> stamps = RunProbe();
    if (stamps.empty()) {
      std::fprintf(stderr, "the start-up probe failed\n");
      return 1;
    }
    application.push_back(stamps[0] / 1e6);
    window.push_back(stamps[1] / 1e6);
    painted.push_back(stamps[2] / 1e6);
  }
  std::printf("start-up, %d runs, ms from the process start (platform %s)\n", kRuns,
              std::getenv("DISPLAY") ? "xcb" : "offscreen");
  std::printf("%-32s %8s %8s\n", "", "median", "max");
  const auto row = [](const char* what, const std::vector<double>& samples) {
    const bench::Summary summary = bench::Summarise(samples);
    std::printf("%-32s %8.1f %8.1f\n", what, summary.median, summary.max);
  };
  row("application object ready", application);
  row("main window built", window);
  row("first paint of the main window", painted);
  return 0;
}
