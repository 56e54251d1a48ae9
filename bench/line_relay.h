// A timing tap on the serial line: the program talks to a pseudo-terminal of the tap's own, which passes every byte
// on to the simulator and back at once and notes when each frame began and each reply was handed over.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"

namespace bench {

inline constexpr std::size_t kFrameBytes = 14;
inline constexpr std::size_t kReplyBytes = 6;

struct LineTimeline {
  std::vector<Clock::time_point> frameStarts;  // first byte of each frame read from the program
  std::vector<Clock::time_point> replyEnds;    // last byte of each reply written to the program
};

class LineRelay {
 public:
  // Opens the instrument's device and a fresh pseudo-terminal for the program; relays on a thread of its own.
  explicit LineRelay(const std::string& instrumentDevice);
  ~LineRelay();
  LineRelay(const LineRelay&) = delete;
  LineRelay& operator=(const LineRelay&) = delete;

  // The device the program opens as its port.
  const std::string& ProgramDevice() const { return programDevice_; }
  // Stops relaying and hands over what was noted.
  LineTimeline Finish();

 private:
  void Relay();

  int programMaster_ = -1;
  int programSlave_ = -1;  // held open so the line stays raw between the program's opens
  int instrument_ = -1;
  std::string programDevice_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  LineTimeline timeline_;
};

// The program's own time per point: from a reply's last byte handed to the program to the first byte of the next
// frame, in microseconds. Frames and replies pair up in order; the settle count runs after the frame is written,
// while it is on the wire, so none of it is in these gaps.
std::vector<double> TurnaroundMicroseconds(const LineTimeline& timeline);

// Points per second from the first frame to the last: the steady rate, without the run's start and end.
double PointsPerSecond(const LineTimeline& timeline);

// The fastest client there can be: writes the next frame as soon as the reply is in, with no settle count and no
// display. Its rate is what the simulator, the tap and this machine leave of the wire. False when a reply failed.
bool SweepBareClient(const std::string& device, int points);

// quenrik-sim running on its own pseudo-terminal; stopped when this goes.
class SimulatorProcess {
 public:
  SimulatorProcess(const std::string& program, const std::vector<std::string>& options);
  ~SimulatorProcess();
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;
  const std::string& Device() const { return device_; }

 private:
  int pid_ = -1;
  std::string device_;
};

struct ChildRun {
  int exitCode = -1;  // -1 when it did not end normally
  double cpuSeconds = 0;  // user and system time of the child
};

// Runs a program with its output thrown away and `environment` added, and waits for it.
ChildRun RunQuietly(const std::string& program, const std::vector<std::string>& arguments,
                    const std::vector<std::pair<std::string, std::string>>& environment);

}  // namespace bench
