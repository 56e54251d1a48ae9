// Statistics, the settle count's time, the spare pseudo-terminal, settings files and the resident-memory reader.
#include "bench_support.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <stdexcept>

#include "sweep/settle_delay.h"

namespace bench {

Summary Summarise(std::vector<double> samples) {
  Summary summary;
  if (samples.empty()) return summary;
  std::sort(samples.begin(), samples.end());
  const std::size_t n = samples.size();
  summary.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
  const std::size_t rank = (99 * n + 99) / 100;  // nearest rank: ceil(0.99 n)
  summary.p99 = samples[std::clamp<std::size_t>(rank, 1, n) - 1];
  summary.max = samples.back();
  summary.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(n);
  return summary;
}

Summary SettleDelayMicroseconds(int runs) {
  std::vector<double> samples;
  volatile double sink = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    sink = sink + SettleDelay();
    samples.push_back(Microseconds(Clock::now() - start));
  }
  return Summarise(samples);
}

SparePty::SparePty() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[128];
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0)
    throw std::runtime_error("no pseudo-terminal");
  device_ = name;
}

SparePty::~SparePty() { close(master_); }

TempFolder::TempFolder() {
  char pattern[] = "/tmp/quenrik-bench-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string WriteSettings(const std::string& folder, const std::string& port, const BenchRange& range) {
  const std::string path = folder + "/quenrik.ini";
  std::ofstream(path) << "[Settings]\ndirectory=" << folder << "\ntitle=bench\nport=" << port
                      << "\n[Range]\nfmin=" << range.fmin << "\nfmax=" << range.fmax << "\nfreqstep=" << range.fstep
                      << "\nmindb=-90\nmaxdb=5\n";
  return path;
}

double CpuSeconds(const rusage& usage) {
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double ThreadCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return CpuSeconds(usage);
}

MachineLoad::MachineLoad() : startTicks_(BusyTicks()), start_(Clock::now()) {}

double MachineLoad::BusyProcessors() const {
  const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
  const double busy = static_cast<double>(BusyTicks() - startTicks_) / static_cast<double>(sysconf(_SC_CLK_TCK));
  return seconds > 0 ? busy / seconds : 0;
}

// The first line of /proc/stat: user, nice, system, idle, iowait, irq, softirq, steal, ... in clock ticks.
long long MachineLoad::BusyTicks() {
  std::ifstream stat("/proc/stat");
  std::string cpu;
  long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
  stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal;
  return user + nice + system + irq + softirq + steal;
}

ResidentMemory ReadResidentMemory() {
  ResidentMemory memory;
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) memory.nowKb = std::stol(line.substr(6));
    if (line.rfind("VmHWM:", 0) == 0) memory.peakKb = std::stol(line.substr(6));
  }
  return memory;
}

}  // namespace bench
