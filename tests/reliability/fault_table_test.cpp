// The fault-injection table: quenrik-sweep against quenrik-sim on a pseudo-terminal, one fault of the line or the
// port a row. Each row says what the user sees, and checks it, that Ctrl-C stops the run (a second one ends it at
// once) and that the program never goes longer without a line than the read time-out allows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "console_session.h"

namespace {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

// Room for process start-up, scheduling and sanitizer builds on top of what the read time-out allows.
constexpr Ms kSlack = 750ms;
// A run goes on until Ctrl-C: Stop is otherwise pressed only in this sweep.
const std::string kUntilInterrupted = "1000000";

// 10 to 20 MHz in steps of 1: twelve points, 20 MHz twice.
const std::vector<std::string> kTwelvePoints{"--fmin", "10", "--fmax", "20", "--fstep", "1"};
const std::vector<double> kTwelveFrequencies{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 20};
// 1 to 150 MHz in steps of 0.01: a sweep of 14,901 points, far longer than any row waits.
const std::vector<std::string> kLongSweep{"--fmin", "1", "--fmax", "150", "--fstep", "0.01"};

// A point line as the console prints it: "%11.3f", a tab, "%4.1f".
std::string PointLine(double frequency, double level) {
  char text[64];
  std::snprintf(text, sizeof text, "%11.3f\t%4.1f", frequency, level);
  return text;
}

// The level the simulator's echo model answers for a frequency: the reply value is the kHz value.
double EchoLevel(double megahertz) {
  const long khz = std::lround(megahertz * 1000);
  return static_cast<double>((khz & 0xFFFF) - 1769) * 0.061;
}

// What a point shows when its reply held no hexadecimal digits: the value 0.
constexpr double kNoReplyLevel = -107.909;

Ms Elapsed(ConsoleSession::Clock::time_point from, ConsoleSession::Clock::time_point to) {
  return std::chrono::duration_cast<Ms>(to - from);
}

// Where the console under test is pointed.
enum class Port {
  SimDevice,   // the simulator's pseudo-terminal
  SimLink,     // a symbolic link the simulator moves to its new line after a hang-up
  Held,        // the simulator's device, already opened by another quenrik-sweep that is measuring on it
  Missing,     // a device that does not exist
};

// How the run ends.
enum class Ending {
  SweepEnd,      // Ctrl-C is Stop: the sweep in progress goes on to its last point, then the program exits
  PointEnd,      // Ctrl-C is Stop, and a point of this sweep timed out: the sweep ends after the current point
  FastPointEnd,  // as PointEnd, but no point waits, so the first Ctrl-C already ends the run within a point
  ByItself,      // the run ends without Ctrl-C, or never starts
};

struct FaultRow {
  const char* name;
  const char* userSees;  // as the console shows it: standard output, standard error, exit code
  std::vector<std::string> simOptions;
  Port port;
  int timeoutMs;
  Ending ending;
  std::size_t linesBeforeInterrupt;  // point lines seen before Ctrl-C (for ByItself: before the run ends)
};

void PrintTo(const FaultRow& row, std::ostream* out) { *out << row.name; }

// One row's processes: the simulator, the console's settings folder, and another program holding the port.
class FaultBench {
 public:
  explicit FaultBench(const FaultRow& row) : row_(row) {
    if (row.port == Port::Missing) return;
    std::vector<std::string> options = row.simOptions;
    if (row.port == Port::SimLink) options.insert(options.end(), {"--link", LinkPath()});
    sim_ = std::make_unique<SimulatorProcess>(options);
    if (row.port == Port::Held) {
      holder_ = Start(sim_->Device(), kTwelvePoints, kUntilInterrupted);
      if (!holder_->WaitForLines(1, 5s)) throw std::runtime_error("the holding console measured nothing");
    }
  }

  std::string PortPath() const {
    switch (row_.port) {
      case Port::SimDevice:
      case Port::Held: return sim_->Device();
      case Port::SimLink: return LinkPath();
      case Port::Missing: break;
    }
    return config_.Path() + "/no-such-port";
  }

  std::unique_ptr<ConsoleSession> Start(const std::string& port, const std::vector<std::string>& range,
                                        const std::string& sweeps, int timeoutMs = 0) const {
    std::vector<std::string> arguments{"--port", port, "--sweeps", sweeps, "--timeout",
                                       std::to_string(timeoutMs > 0 ? timeoutMs : row_.timeoutMs)};
    arguments.insert(arguments.end(), range.begin(), range.end());
    // An empty settings folder: the defaults apply and nothing of the user's is read.
    return std::make_unique<ConsoleSession>(QUENRIK_SWEEP, arguments,
                                            std::map<std::string, std::string>{{"XDG_CONFIG_HOME", config_.Path()},
                                                                               {"HOME", config_.Path()}});
  }

  SimulatorProcess& Sim() { return *sim_; }
  ConsoleSession* Holder() { return holder_.get(); }
  std::string LinkPath() const { return config_.Path() + "/port"; }

 private:
  const FaultRow& row_;
  TempFolder config_;
  std::unique_ptr<SimulatorProcess> sim_;
  std::unique_ptr<ConsoleSession> holder_;
};

// Every line is the point of the twelve-point range it stands for, with the level the echo model gives there.
void ExpectEchoSweeps(const std::vector<std::string>& lines) {
  EXPECT_EQ(lines.size() % kTwelveFrequencies.size(), 0u) << "whole sweeps only";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const double frequency = kTwelveFrequencies[i % kTwelveFrequencies.size()];
    ASSERT_EQ(lines[i], PointLine(frequency, EchoLevel(frequency))) << "line " << i;
  }
}

// Every point timed out: one "Time out" each, and the level of a reply without digits.
void ExpectEveryPointTimedOut(const ConsoleSession& console) {
  const std::vector<std::string> out = console.OutTexts();
  EXPECT_EQ(console.ErrTexts(), std::vector<std::string>(out.size(), "Time out"));
  for (std::size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(out[i], PointLine(kTwelveFrequencies[i % kTwelveFrequencies.size()], kNoReplyLevel)) << i;
  }
}

// What each row shows, beyond the common checks.
void ExpectWhatTheUserSees(const FaultRow& row, FaultBench& bench, ConsoleSession& console, std::optional<int> exit) {
  const std::string name = row.name;
  const std::vector<std::string> out = console.OutTexts();
  if (name == "silent" || name == "nul storm") {
    EXPECT_EQ(exit, 0);
    ExpectEveryPointTimedOut(console);
  } else if (name == "stray bytes" || name == "bit 7 set") {
    EXPECT_EQ(exit, 0);
    EXPECT_TRUE(console.ErrTexts().empty());
    ExpectEchoSweeps(out);
  } else if (name == "late by one point") {
    EXPECT_EQ(exit, 0);
    ASSERT_GE(out.size(), 2u);
    ASSERT_FALSE(console.ErrTexts().empty());
    EXPECT_EQ(console.ErrTexts()[0], "Time out");
    EXPECT_EQ(out[0], PointLine(10, kNoReplyLevel));
    // The first reply arrives after its point gave up and is taken as the second point's.
    EXPECT_EQ(out[1], PointLine(11, EchoLevel(10)));
  } else if (name == "hung up mid-sweep") {
    EXPECT_EQ(exit, 0);
    EXPECT_EQ(console.ErrTexts(), std::vector<std::string>{"Time out"});
    EXPECT_EQ(out, (std::vector<std::string>{PointLine(10, EchoLevel(10)), PointLine(11, EchoLevel(11)),
                                             PointLine(12, EchoLevel(12)), PointLine(13, kNoReplyLevel)}));
    // The simulator comes back on a new line and moves the link to it: the same port name works again.
    const std::string oldDevice = bench.Sim().Device();
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::filesystem::read_symlink(bench.LinkPath()) == oldDevice && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(20ms);
    ASSERT_NE(std::filesystem::read_symlink(bench.LinkPath()), oldDevice);
    const auto again = bench.Start(bench.LinkPath(), kTwelvePoints, "1");
    EXPECT_EQ(again->WaitForExit(10s), 0);
    EXPECT_TRUE(again->ErrTexts().empty());
    EXPECT_EQ(again->OutTexts().size(), kTwelveFrequencies.size());
    ExpectEchoSweeps(again->OutTexts());
  } else if (name == "port held by another program" || name == "port missing") {
    EXPECT_EQ(exit, 1);
    EXPECT_EQ(console.ErrTexts(), std::vector<std::string>{"Can't open serial port"});
    EXPECT_TRUE(out.empty());
    // Refused at once: no read time-out was waited.
    EXPECT_LT(Elapsed(console.Started(), console.Ended()), Ms(row.timeoutMs));
  } else {
    ADD_FAILURE() << "no expectations for " << name;
  }
  if (ConsoleSession* holder = bench.Holder()) {
    // The program holding the port measured on undisturbed, stops on Ctrl-C, and frees the port for the next.
    const std::size_t seen = holder->Out().size();
    EXPECT_TRUE(holder->WaitForLines(seen + kTwelveFrequencies.size(), 5s));
    holder->Interrupt();
    EXPECT_EQ(holder->WaitForExit(5s), 0);
    EXPECT_TRUE(holder->ErrTexts().empty());
    ExpectEchoSweeps(holder->OutTexts());
    const auto next = bench.Start(bench.PortPath(), kTwelvePoints, "1");
    EXPECT_EQ(next->WaitForExit(10s), 0);
    EXPECT_EQ(next->OutTexts().size(), kTwelveFrequencies.size());
  }
}

// The lines with their times since the start, for a failure message.
std::string Timeline(const ConsoleSession& console) {
  std::vector<std::pair<ConsoleSession::Clock::time_point, std::string>> events;
  for (const auto& line : console.Out()) events.emplace_back(line.at, "out: " + line.text);
  for (const auto& line : console.Err()) events.emplace_back(line.at, "err: " + line.text);
  events.emplace_back(console.Ended(), "exit");
  std::sort(events.begin(), events.end());
  std::string text;
  for (const auto& [at, what] : events)
    text += std::to_string(Elapsed(console.Started(), at).count()) + " ms " + what + "\n";
  return text;
}

class FaultTable : public ::testing::TestWithParam<FaultRow> {};

TEST_P(FaultTable, UserSeesTheFaultAndCtrlCStopsTheRun) {
  const FaultRow& row = GetParam();
  SCOPED_TRACE(row.userSees);
  FaultBench bench(row);
  const auto console = bench.Start(bench.PortPath(), kTwelvePoints, kUntilInterrupted);
  const Ms readLimit(2 * row.timeoutMs);  // a point waits at most twice: the search and the five-byte read

  std::optional<int> exit;
  if (row.ending == Ending::ByItself) {
    if (row.linesBeforeInterrupt > 0) {
      ASSERT_TRUE(console->WaitForLines(row.linesBeforeInterrupt, 10s));
    }
    const auto from = row.linesBeforeInterrupt > 0 ? console->Out().back().at : console->Started();
    exit = console->WaitForExit(10s);
    EXPECT_LE(Elapsed(from, console->Ended()), readLimit + kSlack);
  } else {
    ASSERT_TRUE(console->WaitForLines(row.linesBeforeInterrupt, 10s)) << testing::PrintToString(console->ErrTexts());
    const auto interrupted = ConsoleSession::Clock::now();
    console->Interrupt();
    exit = console->WaitForExit(10s);
    const Ms stopLimit = row.ending == Ending::SweepEnd
                             ? Ms(static_cast<long>(kTwelveFrequencies.size()) * 20) + kSlack
                             : (row.ending == Ending::PointEnd ? readLimit : Ms(0)) + kSlack;
    EXPECT_LE(Elapsed(interrupted, console->Ended()), stopLimit);
  }
  EXPECT_LE(console->LongestSilence(), readLimit + kSlack);
  ExpectWhatTheUserSees(row, bench, *console, exit);
}

class SecondCtrlC : public ::testing::TestWithParam<FaultRow> {};

TEST_P(SecondCtrlC, EndsTheRunAtOnce) {
  const FaultRow& row = GetParam();
  FaultBench bench(row);
  const auto console = bench.Start(bench.PortPath(), kLongSweep, kUntilInterrupted);
  ASSERT_TRUE(console->WaitForLines(1, 10s));
  // Both interrupts land inside the next point: one that came before the point just printed had been handled would
  // end a timed-out sweep there, and the program with it, before the second could arrive.
  std::this_thread::sleep_for(20ms);
  console->Interrupt();
  std::this_thread::sleep_for(20ms);
  const auto second = ConsoleSession::Clock::now();
  console->Interrupt();
  // 130: ended by the second interrupt, not by the end of the sweep or the point.
  EXPECT_EQ(console->WaitForExit(10s), 130) << Timeline(*console);
  EXPECT_LE(Elapsed(second, console->Ended()), kSlack);
  EXPECT_LT(console->Out().size(), 14901u);
}

const std::vector<std::string> kEcho{"--model", "echo"};

std::vector<std::string> Echo(std::vector<std::string> fault) {
  fault.insert(fault.begin(), kEcho.begin(), kEcho.end());
  return fault;
}

const std::vector<FaultRow> kRows{
    {"silent", "every point: \"Time out\" on stderr after one read time-out, the point at -107.9 after two",
     Echo({"--fault", "silent"}), Port::SimDevice, 150, Ending::PointEnd, 2},
    {"nul storm", "a NUL before every reply counts as a time-out: \"Time out\" and -107.9 for every point, "
                  "without waiting",
     Echo({"--fault", "nul"}), Port::SimDevice, 150, Ending::FastPointEnd, 30},
    {"stray bytes", "nothing but the right levels: stray bytes before each reply are skipped",
     Echo({"--fault", "stray"}), Port::SimDevice, 150, Ending::SweepEnd, 3},
    {"late by one point", "\"Time out\" for the first point; each late reply is taken by the next point, so levels "
                          "lag their frequencies",
     Echo({"--fault", "late", "--delay-ms", "750"}), Port::SimDevice, 300, Ending::PointEnd, 2},
    {"bit 7 set", "nothing but the right levels: 0x82 start markers and digits with bit 7 are read",
     Echo({"--fault", "bit7"}), Port::SimDevice, 150, Ending::SweepEnd, 3},
    {"hung up mid-sweep", "three points, then \"Time out\" once, -107.9 for the fourth point, and the run ends by "
                          "itself (exit 0); the port named again works",
     Echo({"--fault", "hangup", "--fault-after", "3"}), Port::SimLink, 300, Ending::ByItself, 3},
    {"port held by another program", "\"Can't open serial port\" at once, exit 1; the holder measures on", kEcho,
     Port::Held, 5000, Ending::ByItself, 0},
    {"port missing", "\"Can't open serial port\" at once, exit 1", {}, Port::Missing, 5000, Ending::ByItself, 0},
};

// The rows whose run is still going some time after the first Ctrl-C.
std::vector<FaultRow> RowsASecondCtrlCCutsShort() {
  std::vector<FaultRow> rows;
  for (const FaultRow& row : kRows)
    if (row.ending == Ending::SweepEnd || row.ending == Ending::PointEnd) rows.push_back(row);
  return rows;
}

std::string RowName(const ::testing::TestParamInfo<FaultRow>& info) {
  std::string name;
  for (const char c : std::string(info.param.name)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultTable, ::testing::ValuesIn(kRows), RowName);
INSTANTIATE_TEST_SUITE_P(Rows, SecondCtrlC, ::testing::ValuesIn(RowsASecondCtrlCCutsShort()), RowName);

}  // namespace
