// What the benchmarks share: timing statistics, the wire limit, a spare pseudo-terminal, settings files, memory.
#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

// 7E1 at 38,400 baud: ten bit times a byte; a point moves 14 bytes out and 6 back.
inline constexpr double kBaud = 38400;
inline constexpr double kWireBytesPerPoint = 20;
inline constexpr double kWireSecondsPerPoint = kWireBytesPerPoint * 10 / kBaud;
inline constexpr double kWirePointsPerSecond = 1 / kWireSecondsPerPoint;

inline double Microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

struct Summary {
  double median = 0;
  double p99 = 0;
  double max = 0;
  double mean = 0;
};

// Median, 99th percentile (nearest rank), largest and mean of the samples; all zero when there is none.
Summary Summarise(std::vector<double> samples);

// The time one settle count takes on this machine, in microseconds: the median of `runs` counts.
Summary SettleDelayMicroseconds(int runs);

// A pseudo-terminal nobody answers on: a port the window opens without a message box.
class SparePty {
 public:
  SparePty();
  ~SparePty();
  SparePty(const SparePty&) = delete;
  SparePty& operator=(const SparePty&) = delete;
  const std::string& Device() const { return device_; }

 private:
  int master_ = -1;
  std::string device_;
};

// A fresh temporary folder, removed with everything in it when this goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

struct BenchRange {
  std::string fmin;
  std::string fmax;
  std::string fstep;
};

// Writes quenrik.ini into `folder` for the given port and range (level axis -90 to 5); returns its path.
std::string WriteSettings(const std::string& folder, const std::string& port, const BenchRange& range);

// User plus system time of a resource-usage record.
double CpuSeconds(const rusage& usage);
// CPU time of the calling thread so far.
double ThreadCpuSeconds();

// How busy the machine was in a stretch of time, to tell a quiet measurement from one that shared the processors.
class MachineLoad {
 public:
  MachineLoad();
  // Processor time used by the whole machine since construction, in processors kept busy (2.0: two processors).
  double BusyProcessors() const;

 private:
  static long long BusyTicks();
  long long startTicks_;
  Clock::time_point start_;
};

// The process's resident memory now and at its peak, in kilobytes (VmRSS and VmHWM).
struct ResidentMemory {
  long nowKb = 0;
  long peakKb = 0;
};
ResidentMemory ReadResidentMemory();

}  // namespace bench
