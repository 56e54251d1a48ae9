// quenrik-sweep as a running child process: its output lines with their arrival times, interrupts, and its exit.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class ConsoleSession {
 public:
  using Clock = std::chrono::steady_clock;

  struct Line {
    std::string text;
    Clock::time_point at;
  };

  // Starts the program with the arguments and extra environment variables; `inChild` runs in the child just
  // before exec (to take a limit or give up rights) and returns false to make the child fail with exit code 126.
  ConsoleSession(const std::string& program, const std::vector<std::string>& arguments,
                 const std::map<std::string, std::string>& environment,
                 const std::function<bool()>& inChild = {});
  ~ConsoleSession();
  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;

  // Reads output until standard output holds `count` lines; false when the time passes or the program ends first.
  bool WaitForLines(std::size_t count, std::chrono::milliseconds limit);
  // Sends SIGINT, as Ctrl-C in the terminal does.
  void Interrupt();
  // Waits for the exit, reading all output; the exit code, or nothing when it did not end within `limit` (it is
  // then killed) or ended by a signal.
  std::optional<int> WaitForExit(std::chrono::milliseconds limit);

  const std::vector<Line>& Out() const { return out_; }
  const std::vector<Line>& Err() const { return err_; }
  std::vector<std::string> OutTexts() const;
  std::vector<std::string> ErrTexts() const;
  Clock::time_point Started() const { return started_; }
  Clock::time_point Ended() const { return ended_; }
  // The longest time the program went without a line on either stream, from its first line to its exit.
  Clock::duration LongestSilence() const;

 private:
  struct Stream {
    int fd = -1;
    std::string partial;
    std::vector<Line>* lines = nullptr;
  };

  // Reads what is there, waiting at most `wait`; false once both streams have closed.
  bool Pump(std::chrono::milliseconds wait);

  pid_t pid_ = -1;
  bool exited_ = false;
  std::optional<int> exitCode_;
  Stream streams_[2];
  std::vector<Line> out_;
  std::vector<Line> err_;
  Clock::time_point started_;
  Clock::time_point ended_;
};
