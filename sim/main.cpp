// quenrik-sim: the sweep instrument on a pseudo-terminal, answering every set-frequency frame with a level reply.
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "protocol_engine.h"
#include "pty_line.h"
#include "reply_schedule.h"
#include "sim_options.h"

namespace {

volatile sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }

// Blocks the stop signals outside the wait, so a signal cannot slip in between the check and ppoll; returns the
// mask ppoll waits with.
sigset_t InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(signal, &action, nullptr);
    sigaddset(&stopSignals, signal);
  }
  signal(SIGPIPE, SIG_IGN);
  sigset_t waitMask;
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigdelset(&waitMask, signal);
  return waitMask;
}

class Simulator {
 public:
  explicit Simulator(const sim::SimOptions& options)
      : options_(options), engine_(options.model, options.fault), schedule_(options.baud) {}

  int Run() {
    if (!options_.linkPath.empty() && !sim::LinkReplaceable(options_.linkPath)) {
      std::cerr << "quenrik-sim: " << options_.linkPath << " exists and is not a symlink\n";
      return 1;
    }
    if (!options_.logPath.empty()) {
      log_.open(options_.logPath, std::ios::out | std::ios::trunc);
      if (!log_) {
        std::cerr << "quenrik-sim: cannot write " << options_.logPath << '\n';
        return 1;
      }
    }
    // The kernel's default timer slack (50 us) would make every paced byte late by up to that much.
    if (options_.baud > 0) prctl(PR_SET_TIMERSLACK, 1UL);
    const sigset_t waitMask = InstallStopSignals();
    OpenLine();
    bool healthy = true;
    while (healthy && !stopRequested) healthy = WaitAndServe(waitMask);
    CloseLine();
    return healthy ? 0 : 1;
  }

 private:
  void OpenLine() {
    line_ = std::make_unique<sim::PtyLine>();
    if (!options_.linkPath.empty()) sim::PointLink(options_.linkPath, line_->DevicePath());
    // The first line tells the caller where to connect; after a hang-up a new line names the new device.
    std::cout << line_->DevicePath() << std::endl;
  }

  void CloseLine() {
    if (!options_.linkPath.empty()) sim::RemoveLinkIfPointingAt(options_.linkPath, line_->DevicePath());
    line_.reset();
    schedule_.Clear();
    writeBlocked_ = false;
  }

  // One round: waits for frames or the next due reply byte, answers and sends. False on an unexpected error.
  bool WaitAndServe(const sigset_t& waitMask) {
    pollfd poll{line_->MasterFd(), static_cast<short>(POLLIN | (writeBlocked_ ? POLLOUT : 0)), 0};
    timespec timeout{};
    const timespec* timeoutPointer = nullptr;
    if (const auto due = schedule_.NextDue(); due && !writeBlocked_) {
      const auto wait = std::max(*due - sim::ReplySchedule::Clock::now(), sim::ReplySchedule::Clock::duration::zero());
      const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
      timeout.tv_sec = static_cast<time_t>(nanoseconds / 1'000'000'000);
      timeout.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
      timeoutPointer = &timeout;
    }
    if (ppoll(&poll, 1, timeoutPointer, &waitMask) < 0) {
      if (errno == EINTR) return true;
      std::perror("quenrik-sim: ppoll");
      return false;
    }
    if (poll.revents & POLLIN) Receive();
    if (poll.revents & POLLOUT) writeBlocked_ = false;
    Send();
    return true;
  }

  void Receive() {
    std::uint8_t buffer[256];
    const ssize_t count = read(line_->MasterFd(), buffer, sizeof buffer);
    if (count <= 0) return;
    // On a paced line a frame is answered once its last byte has crossed the line, not when the client wrote it.
    const auto received = schedule_.Received(static_cast<std::size_t>(count), sim::ReplySchedule::Clock::now());
    for (const sim::Answer& answer : engine_.Feed({buffer, static_cast<std::size_t>(count)})) {
      if (log_.is_open()) log_ << answer.frame.text << std::endl;
      if (answer.reply.hangUp) {
        // Frames after the hang-up in the same read went to the old line.
        CloseLine();
        OpenLine();
        return;
      }
      schedule_.Add(answer.reply.bytes, answer.reply.delayMs, received);
    }
  }

  void Send() {
    const std::vector<std::uint8_t> due = schedule_.Due(sim::ReplySchedule::Clock::now());
    if (due.empty()) return;
    const ssize_t written = write(line_->MasterFd(), due.data(), due.size());
    if (written > 0) schedule_.Drop(static_cast<std::size_t>(written));
    // The client has not read its input for a while: wait until the line takes bytes again.
    writeBlocked_ = written < static_cast<ssize_t>(due.size());
  }

  sim::SimOptions options_;
  sim::ProtocolEngine engine_;
  sim::ReplySchedule schedule_;
  std::unique_ptr<sim::PtyLine> line_;
  std::ofstream log_;
  bool writeBlocked_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const sim::ParsedOptions parsed = sim::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.options) {
    std::cerr << "quenrik-sim: " << parsed.error << '\n' << sim::SimUsage();
    return 2;
  }
  if (parsed.options->help) {
    std::cout << sim::SimUsage();
    return 0;
  }
  try {
    Simulator simulator(*parsed.options);
    return simulator.Run();
  } catch (const std::system_error& error) {
    std::cerr << "quenrik-sim: " << error.what() << '\n';
    return 1;
  }
}
