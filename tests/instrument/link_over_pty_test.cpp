// The real QSerialPort link over pseudo-terminals: against quenrik-sim and against a test-owned line end.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fake_sweep_view.h"
#include "instrument/frames.h"
#include "instrument/instrument_link.h"
#include "instrument/qt_serial_port.h"
#include "sim_process.h"
#include "sweep/numeric_rules.h"
#include "sweep/range_settings.h"
#include "sweep/sweep_state.h"

namespace {

using testing::ElementsAre;
using Message = std::pair<std::string, std::string>;
using Clock = std::chrono::steady_clock;

constexpr int kTimeoutMs = 300;
const Message kTimeOut{"Time out", "ERROR"};
const Message kCannotOpen{"Can't open serial port", "Error"};

// The level the echo model's reply gives for a frequency: its kHz value, modulo four hex digits.
double EchoLevel(double megahertz) { return numeric_rules::LevelFromValue(numeric_rules::KhzValue(megahertz) & 0xFFFF); }

long MillisecondsSince(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class LinkOverPty : public testing::Test {
 protected:
  explicit LinkOverPty(int timeoutMs = kTimeoutMs) : link{port, state, view, timeoutMs} {}

  void ConnectTo(const std::string& path) {
    link.PortName = path;
    link.OpenSerialPort();
    ASSERT_TRUE(link.Connected()) << path;
    ASSERT_TRUE(view.messages.empty());
  }
  double Measure(double megahertz) {
    link.SendFrequency(megahertz);
    return link.ReadLevel();
  }

  RangeSettings range;
  FakeSweepView view{range};
  SweepState state;
  QtSerialPort port;
  InstrumentLink link;
};

// A pseudo-terminal whose master end the test reads itself, to see the frame bytes exactly as written.
class TestOwnedLine {
 public:
  TestOwnedLine() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    char name[128] = {};
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) ptsname_r(master_, name, sizeof name);
    devicePath_ = name;
  }
  ~TestOwnedLine() {
    if (master_ >= 0) close(master_);
  }
  const std::string& DevicePath() const { return devicePath_; }

  // Reads `count` bytes, or what came within a second.
  std::vector<std::uint8_t> Receive(std::size_t count) {
    std::vector<std::uint8_t> bytes;
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    while (bytes.size() < count && Clock::now() < deadline) {
      pollfd poll{master_, POLLIN, 0};
      if (::poll(&poll, 1, 100) <= 0) continue;
      std::uint8_t buffer[64];
      const ssize_t got = read(master_, buffer, std::min(sizeof buffer, count - bytes.size()));
      if (got <= 0) break;
      bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
  }

 private:
  int master_ = -1;
  std::string devicePath_;
};

TEST_F(LinkOverPty, FramesCrossTheLineByteForByte) {
  TestOwnedLine line;
  ASSERT_FALSE(line.DevicePath().empty());
  ConnectTo(line.DevicePath());
  link.SendFrequency(10.695);
  EXPECT_EQ(line.Receive(14), (std::vector<std::uint8_t>{0x01, 0x46, 0x02, 0x30, 0x30, 0x30, 0x30, 0x31, 0x30, 0x36,
                                                         0x39, 0x35, 0x03, 0x00}));
  link.SendFrequency(150);
  EXPECT_EQ(line.Receive(14), (std::vector<std::uint8_t>{0x01, 0x46, 0x02, 0x30, 0x30, 0x30, 0x31, 0x35, 0x30, 0x30,
                                                         0x30, 0x30, 0x03, 0x00}));
  link.SendFrequency(-1.0);
  EXPECT_EQ(line.Receive(14), frames::SetFrequencyFrame(-1.0));
}

TEST_F(LinkOverPty, SimulatorLogsTheFramesAndEchoesThem) {
  SimProcess sim({"--model", "echo"});
  ConnectTo(sim.DevicePath());
  const std::vector<double> frequencies{10.695, 150, 10.6955, 10.6965, 0.0005, -1.0};
  for (const double megahertz : frequencies) {
    EXPECT_DOUBLE_EQ(Measure(megahertz), EchoLevel(megahertz)) << megahertz;
    EXPECT_FALSE(state.TimedOut);
  }
  EXPECT_THAT(sim.LoggedFrames(),
              ElementsAre("000010695", "000150000", "000010695", "000010697", "000000001", "-00000999"));
  EXPECT_TRUE(view.messages.empty());
}

class LineQuirkTest : public LinkOverPty, public testing::WithParamInterface<const char*> {};

TEST_P(LineQuirkTest, RepliesAreStillRead) {
  SimProcess sim({"--model", "echo", "--fault", GetParam()});
  ConnectTo(sim.DevicePath());
  for (const double megahertz : {10.695, 10.7, 12.345}) {
    EXPECT_DOUBLE_EQ(Measure(megahertz), EchoLevel(megahertz)) << megahertz;
    EXPECT_FALSE(state.TimedOut);
  }
  EXPECT_TRUE(view.messages.empty());
}

// Stray bytes before each reply, 0x82 start markers with bit 7 on every digit, lower-case digits.
INSTANTIATE_TEST_SUITE_P(Quirks, LineQuirkTest, testing::Values("stray", "bit7", "lower"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

TEST_F(LinkOverPty, NulBeforeTheReplyCountsAsTimeOut) {
  SimProcess sim({"--model", "echo", "--fault", "nul"});
  ConnectTo(sim.DevicePath());
  for (const double megahertz : {10.695, 10.705}) {
    EXPECT_DOUBLE_EQ(Measure(megahertz), -107.909);
    EXPECT_TRUE(state.TimedOut);
  }
  EXPECT_THAT(view.messages, ElementsAre(kTimeOut, kTimeOut));
}

TEST_F(LinkOverPty, SilentInstrumentWaitsBothReadsAndShowsOneMessage) {
  SimProcess sim({"--model", "echo", "--fault", "silent", "--fault-after", "1"});
  ConnectTo(sim.DevicePath());
  EXPECT_DOUBLE_EQ(Measure(10.695), EchoLevel(10.695));
  EXPECT_FALSE(state.TimedOut);

  const auto start = Clock::now();
  EXPECT_DOUBLE_EQ(Measure(10.705), -107.909);
  const long elapsed = MillisecondsSince(start);
  EXPECT_TRUE(state.TimedOut);
  EXPECT_THAT(view.messages, ElementsAre(kTimeOut));
  EXPECT_GE(elapsed, 2 * kTimeoutMs - 20);
  EXPECT_LT(elapsed, 10 * kTimeoutMs);
  EXPECT_TRUE(link.Connected());
}

class LateReplyTest : public LinkOverPty {
 protected:
  // The reply comes after both reads of its point have given up, inside the next point's search.
  static constexpr int kLateTimeoutMs = 600;
  LateReplyTest() : LinkOverPty(kLateTimeoutMs) {}
};

TEST_F(LateReplyTest, IsTakenByTheNextPoint) {
  SimProcess sim({"--model", "echo", "--fault", "late", "--delay-ms", std::to_string(kLateTimeoutMs * 5 / 2).c_str()});
  ConnectTo(sim.DevicePath());
  Measure(10.695);
  EXPECT_TRUE(state.TimedOut);
  EXPECT_DOUBLE_EQ(Measure(10.705), EchoLevel(10.695));
  EXPECT_FALSE(state.TimedOut);
  EXPECT_THAT(view.messages, ElementsAre(kTimeOut));
}

TEST_F(LinkOverPty, HangUpMidSweepThenChoosingThePortAgainWorks) {
  SimProcess sim({"--model", "echo", "--fault", "hangup", "--fault-after", "2"}, true);
  ConnectTo(sim.LinkPath());
  EXPECT_DOUBLE_EQ(Measure(10.6), EchoLevel(10.6));
  EXPECT_DOUBLE_EQ(Measure(10.7), EchoLevel(10.7));

  const auto start = Clock::now();
  EXPECT_DOUBLE_EQ(Measure(10.8), -107.909);
  EXPECT_TRUE(state.TimedOut);
  EXPECT_THAT(view.messages, ElementsAre(kTimeOut));
  // The device is gone: the link is without connection and the next point does not wait.
  EXPECT_FALSE(link.Connected());
  Measure(10.9);
  EXPECT_LT(MillisecondsSince(start), 4 * kTimeoutMs);
  EXPECT_EQ(view.messages.size(), 2u);

  const std::string newDevice = sim.NextDevicePath(5000);
  ASSERT_FALSE(newDevice.empty());
  EXPECT_EQ(QFileInfo(QString::fromStdString(sim.LinkPath())).symLinkTarget().toStdString(), newDevice);
  link.ChoosePort(sim.LinkPath());
  EXPECT_TRUE(link.Connected());
  EXPECT_EQ(view.status[1], sim.LinkPath());
  EXPECT_DOUBLE_EQ(Measure(11.0), EchoLevel(11.0));
  EXPECT_FALSE(state.TimedOut);
  EXPECT_EQ(view.messages.size(), 2u);
}

TEST_F(LinkOverPty, SimulatorKeepsAnsweringAcrossCloseAndReopen) {
  SimProcess sim({"--model", "echo"});
  for (const double megahertz : {10.1, 10.2, 10.3}) {
    ConnectTo(sim.DevicePath());
    EXPECT_DOUBLE_EQ(Measure(megahertz), EchoLevel(megahertz));
    link.ClosePort();
    EXPECT_FALSE(link.Connected());
  }
  EXPECT_TRUE(view.messages.empty());
}

class MissingPortTest : public LinkOverPty {
 protected:
  // Long enough that a read which waited at all would show.
  MissingPortTest() : LinkOverPty(5000) {}
};

TEST_F(MissingPortTest, ReportsAndTimesOutAtOnce) {
  link.PortName = "/dev/quenrik-no-such-port";
  link.OpenSerialPort();
  EXPECT_THAT(view.messages, ElementsAre(kCannotOpen));
  EXPECT_FALSE(link.Connected());

  const auto start = Clock::now();
  EXPECT_DOUBLE_EQ(Measure(10.695), -107.909);
  EXPECT_DOUBLE_EQ(Measure(10.705), -107.909);
  EXPECT_LT(MillisecondsSince(start), 1000);
  EXPECT_TRUE(state.TimedOut);
  EXPECT_THAT(view.messages, ElementsAre(kCannotOpen, kTimeOut, kTimeOut));
}

TEST_F(LinkOverPty, PortHeldByAnotherOpenerCannotBeOpened) {
  SimProcess sim({"--model", "echo"});
  QtSerialPort other;
  ASSERT_TRUE(other.Open(sim.DevicePath()));
  link.PortName = sim.DevicePath();
  link.OpenSerialPort();
  EXPECT_THAT(view.messages, ElementsAre(kCannotOpen));
  EXPECT_FALSE(link.Connected());

  other.Close();
  link.OpenSerialPort();
  EXPECT_TRUE(link.Connected());
  EXPECT_DOUBLE_EQ(Measure(10.695), EchoLevel(10.695));
  EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(LinkOverPty, BandpassModelLooksLikeAnIfFilter) {
  SimProcess sim({"--seed", "3"});
  ConnectTo(sim.DevicePath());
  EXPECT_NEAR(Measure(10.7), -6.0, 0.5);
  EXPECT_NEAR(Measure(10.7 + 0.115), -9.0, 0.5);
  EXPECT_NEAR(Measure(12.0), -60.0, 1.0);
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(LinkOverPty, PacedLineTakesTheWireTimeOfTheReply) {
  // Six reply bytes of ten bit times at 600 baud: 100 ms.
  SimProcess sim({"--model", "echo", "--baud", "600"});
  ConnectTo(sim.DevicePath());
  const auto start = Clock::now();
  EXPECT_DOUBLE_EQ(Measure(10.695), EchoLevel(10.695));
  EXPECT_GE(MillisecondsSince(start), 80);
  EXPECT_FALSE(state.TimedOut);
}

class SimulatorSignalTest : public testing::TestWithParam<int> {};

TEST_P(SimulatorSignalTest, EndsCleanlyAndRemovesItsLink) {
  SimProcess sim({}, true);
  ASSERT_TRUE(QFileInfo(QString::fromStdString(sim.LinkPath())).isSymLink());
  EXPECT_EQ(sim.StopWith(GetParam()), 0);
  EXPECT_FALSE(QFileInfo(QString::fromStdString(sim.LinkPath())).isSymLink());
}

INSTANTIATE_TEST_SUITE_P(Signals, SimulatorSignalTest, testing::Values(SIGTERM, SIGINT),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param == SIGTERM ? "SIGTERM" : "SIGINT");
                         });

TEST(SimulatorCommandLine, RefusesBadUsageAndNeverReplacesAFileWithItsLink) {
  QProcess badUsage;
  badUsage.start(QUENRIK_SIM_PATH, {"--model", "lowpass"});
  ASSERT_TRUE(badUsage.waitForFinished(5000));
  EXPECT_EQ(badUsage.exitCode(), 2);

  QTemporaryDir folder;
  const QString file = folder.filePath("notes.txt");
  {
    QFile notes(file);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("keep me");
  }
  QProcess clobber;
  clobber.start(QUENRIK_SIM_PATH, {"--link", file});
  ASSERT_TRUE(clobber.waitForFinished(5000));
  EXPECT_EQ(clobber.exitCode(), 1);
  QFile notes(file);
  ASSERT_TRUE(notes.open(QIODevice::ReadOnly));
  EXPECT_EQ(notes.readAll(), "keep me");
}

}  // namespace

int main(int argc, char** argv) {
  // QSerialPort and QProcess want an application object, as the programs have; no event loop runs.
  QCoreApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
