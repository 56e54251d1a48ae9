// The instrument link against an in-memory port: opening and switching, the frame write, the reply search.
#include "instrument/instrument_link.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fake_serial_port.h"
#include "fake_sweep_view.h"
#include "instrument/frames.h"
#include "sweep/numeric_rules.h"
#include "sweep/range_settings.h"
#include "sweep/sweep_state.h"

namespace {

using testing::ElementsAre;
using Message = std::pair<std::string, std::string>;

constexpr int kGap = FakeSerialPort::kGap;
constexpr int kTimeoutMs = 250;
const Message kTimeOut{"Time out", "ERROR"};

class InstrumentLinkTest : public testing::Test {
 protected:
  std::vector<std::size_t> ReadSizes() const {
    std::vector<std::size_t> sizes;
    for (const auto& read : port.reads) sizes.push_back(read.size);
    return sizes;
  }

  RangeSettings range;
  FakeSweepView view{range};
  SweepState state;
  FakeSerialPort port;
  InstrumentLink link{port, state, view, kTimeoutMs};
};

TEST(DevicePathForPort, MenuPortsNameTheFirstTwoSerialDevices) {
  EXPECT_EQ(DevicePathForPort("COM1"), "/dev/ttyS0");
  EXPECT_EQ(DevicePathForPort("COM2"), "/dev/ttyS1");
  EXPECT_EQ(DevicePathForPort("/dev/ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(DevicePathForPort("COM3"), "COM3");
  EXPECT_EQ(DevicePathForPort("com1"), "com1");
}

TEST_F(InstrumentLinkTest, EveryOpenRequestsTheSixLineSettings) {
  link.OpenSerialPort();
  link.COM21Click();
  ASSERT_EQ(port.appliedSettings.size(), 2u);
  for (const LineSettings& settings : port.appliedSettings) {
    EXPECT_EQ(settings.BaudRate, 38400);
    EXPECT_TRUE(settings.Binary);
    EXPECT_EQ(settings.DataBits, 7);
    EXPECT_TRUE(settings.ParityCheck);
    EXPECT_EQ(settings.Parity, ParityMode::Even);
    EXPECT_EQ(settings.StopBits, 1);
  }
  EXPECT_THAT(port.openedPaths, ElementsAre("/dev/ttyS0", "/dev/ttyS1"));
  EXPECT_TRUE(link.Connected());
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(InstrumentLinkTest, PortMenuClosesShowsTheNameThenOpens) {
  link.OpenSerialPort();
  std::string statusAtOpen;
  int closesAtOpen = -1;
  port.onOpen = [&] {
    statusAtOpen = view.status[1];
    closesAtOpen = port.closeCount;
  };

  link.COM21Click();
  EXPECT_EQ(link.PortName, "COM2");
  EXPECT_EQ(statusAtOpen, "COM2");
  EXPECT_EQ(closesAtOpen, 1);
  EXPECT_EQ(port.openedPaths.back(), "/dev/ttyS1");

  // Choosing the port in use closes and reopens it.
  link.COM21Click();
  EXPECT_EQ(closesAtOpen, 2);
  link.COM11Click();
  EXPECT_EQ(link.PortName, "COM1");
  EXPECT_EQ(view.status[1], "COM1");
  EXPECT_THAT(port.openedPaths, ElementsAre("/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS1", "/dev/ttyS0"));
}

TEST_F(InstrumentLinkTest, AnyOtherPortNameIsOpenedAsGiven) {
  link.PortName = "/dev/ttyUSB0";
  link.OpenSerialPort();
  EXPECT_THAT(port.openedPaths, ElementsAre("/dev/ttyUSB0"));
}

TEST_F(InstrumentLinkTest, FailedOpenReportsAndLeavesALinkThatTimesOutAtOnce) {
  port.openSucceeds = false;
  link.COM21Click();
  EXPECT_THAT(view.messages, ElementsAre(Message{"Can't open serial port", "Error"}));
  EXPECT_TRUE(port.appliedSettings.empty());
  EXPECT_FALSE(link.Connected());
  EXPECT_EQ(view.status[1], "COM2");

  link.SendFrequency(10.695);
  port.Arrive({0x02, '0', '6', 'E', '9', 0x03});
  const double level = link.ReadLevel();
  EXPECT_TRUE(port.writes.empty());
  EXPECT_TRUE(port.reads.empty());
  EXPECT_TRUE(state.TimedOut);
  EXPECT_DOUBLE_EQ(level, -107.909);
  EXPECT_THAT(view.messages, ElementsAre(Message{"Can't open serial port", "Error"}, kTimeOut));

  // Picking a port again retries.
  port.openSucceeds = true;
  link.COM21Click();
  EXPECT_TRUE(link.Connected());
}

TEST_F(InstrumentLinkTest, ClosingWithoutConnectionDoesNothing) {
  link.ClosePort();
  EXPECT_EQ(port.closeCount, 0);
  link.OpenSerialPort();
  link.ClosePort();
  link.ClosePort();
  EXPECT_EQ(port.closeCount, 1);
  EXPECT_FALSE(link.Connected());
}

TEST_F(InstrumentLinkTest, ReopeningAnOpenLinkClosesTheOldConnectionFirst) {
  link.OpenSerialPort();
  link.OpenSerialPort();
  EXPECT_EQ(port.closeCount, 1);
  EXPECT_EQ(port.openedPaths.size(), 2u);
}

TEST_F(InstrumentLinkTest, SendFrequencyWritesTheWholeFrameInOneWrite) {
  link.OpenSerialPort();
  link.SendFrequency(10.695);
  link.SendFrequency(-1.0);
  ASSERT_EQ(port.writes.size(), 2u);
  EXPECT_EQ(port.writes[0], frames::SetFrequencyFrame(10.695));
  EXPECT_EQ(port.writes[0].size(), 14u);
  EXPECT_EQ(std::string(port.writes[1].begin() + 3, port.writes[1].begin() + 12), "-00000999");
}

struct ReplyCase {
  const char* name;
  std::vector<int> bytes;
  double level;
  std::vector<std::size_t> readSizes;
};

void PrintTo(const ReplyCase& row, std::ostream* out) { *out << row.name; }

class ReplySearchTest : public InstrumentLinkTest, public testing::WithParamInterface<ReplyCase> {};

TEST_P(ReplySearchTest, FindsTheMarkerAndReadsTheLevel) {
  link.OpenSerialPort();
  port.incoming.assign(GetParam().bytes.begin(), GetParam().bytes.end());
  EXPECT_DOUBLE_EQ(link.ReadLevel(), GetParam().level);
  EXPECT_FALSE(state.TimedOut);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(ReadSizes(), GetParam().readSizes);
  for (const auto& read : port.reads) EXPECT_EQ(read.timeoutMs, kTimeoutMs);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplySearchTest,
    testing::Values(
        ReplyCase{"ZeroDb", {0x02, 0x30, 0x36, 0x45, 0x39, 0x03}, 0.0, {1, 5}},
        ReplyCase{"Bottom", {0x02, 0x30, 0x30, 0x30, 0x30, 0x03}, -107.909, {1, 5}},
        ReplyCase{"Low", {0x02, 0x30, 0x31, 0x32, 0x36, 0x03}, -89.975, {1, 5}},
        ReplyCase{"High", {0x02, 0x30, 0x46, 0x46, 0x46, 0x03}, 141.886, {1, 5}},
        ReplyCase{"LowerCase", {0x02, 0x30, 0x66, 0x66, 0x66, 0x03}, 141.886, {1, 5}},
        ReplyCase{"EtxEndsTheDigits", {0x02, 0x31, 0x32, 0x03, 0x39, 0x39}, -106.811, {1, 5}},
        ReplyCase{"MarkerWithBit7", {0x82, 0x30, 0x36, 0x45, 0x39, 0x03}, 0.0, {1, 5}},
        ReplyCase{"DigitsWithBit7", {0x82, 0xB0, 0xB6, 0xC5, 0xB9, 0x83}, 0.0, {1, 5}},
        // 0x80 is neither a marker nor a time-out: the search goes on.
        ReplyCase{"Byte80Skipped", {0x80, 0x80, 0x02, 0x30, 0x36, 0x45, 0x39, 0x03}, 0.0, {1, 1, 1, 5}},
        ReplyCase{"StrayBytesDiscarded", {'9', 'E', 0x03, 'F', 0x7F, 0x02, 0x30, 0x31, 0x32, 0x36, 0x03}, -89.975,
                  {1, 1, 1, 1, 1, 1, 5}},
        // Byte 4 keeps bit 7: after four spaces a '5' with bit 7 is no digit, a plain '5' is.
        ReplyCase{"FifthByteKeepsBit7", {0x02, ' ', ' ', ' ', ' ', 0xB5}, -107.909, {1, 5}},
        ReplyCase{"FifthByteRead", {0x02, ' ', ' ', ' ', ' ', '5'}, -107.604, {1, 5}}),
    [](const testing::TestParamInfo<ReplyCase>& info) { return info.param.name; });

TEST_F(InstrumentLinkTest, NothingArrivingTimesOutOnceAndStillReadsTheDigits) {
  link.OpenSerialPort();
  EXPECT_DOUBLE_EQ(link.ReadLevel(), -107.909);
  EXPECT_TRUE(state.TimedOut);
  EXPECT_THAT(view.messages, ElementsAre(kTimeOut));
  EXPECT_THAT(ReadSizes(), ElementsAre(1u, 5u));
}

TEST_F(InstrumentLinkTest, NulWhileSearchingCountsAsTimeOut) {
  link.OpenSerialPort();
  port.Arrive({0x00, 0x02, 0x30, 0x36, 0x45, 0x39, 0x03});
  // The digits read then start with the reply's marker: no hexadecimal number, the defined bottom level.
  EXPECT_DOUBLE_EQ(link.ReadLevel(), -107.909);
  EXPECT_TRUE(state.TimedOut);
  EXPECT_THAT(view.messages, ElementsAre(kTimeOut));
  EXPECT_THAT(ReadSizes(), ElementsAre(1u, 5u));
}

TEST_F(InstrumentLinkTest, OneMessagePerCallAndTimedOutClearedByTheNextGoodReply) {
  link.OpenSerialPort();
  port.Arrive({kGap, 0x02, 0x30, 0x36, 0x45, 0x39, 0x03, kGap});
  // The search gives up at the first time-out; the five-byte read then takes the reply that came late.
  EXPECT_DOUBLE_EQ(link.ReadLevel(), -107.909);
  EXPECT_THAT(view.messages, ElementsAre(kTimeOut));

  link.ReadLevel();
  EXPECT_THAT(view.messages, ElementsAre(kTimeOut, kTimeOut));
  EXPECT_TRUE(state.TimedOut);

  port.Arrive({0x02, 0x30, 0x36, 0x45, 0x39, 0x03});
  EXPECT_DOUBLE_EQ(link.ReadLevel(), 0.0);
  EXPECT_FALSE(state.TimedOut);
  EXPECT_EQ(view.messages.size(), 2u);
}

TEST_F(InstrumentLinkTest, ALateReplyIsTakenByTheNextPoint) {
  link.OpenSerialPort();
  port.Arrive({kGap, kGap, 0x02, 0x30, 0x31, 0x32, 0x36, 0x03});
  link.ReadLevel();
  EXPECT_TRUE(state.TimedOut);
  EXPECT_DOUBLE_EQ(link.ReadLevel(), -89.975);
  EXPECT_FALSE(state.TimedOut);
}

TEST_F(InstrumentLinkTest, AShortDigitReadParsesWhatEarlierRepliesLeft) {
  link.OpenSerialPort();
  port.Arrive({0x02, '1', '2', '3', '4', 0x03});
  EXPECT_DOUBLE_EQ(link.ReadLevel(), numeric_rules::LevelFromValue(0x1234));
  // Only one digit comes this time: bytes 1 to 4 still hold "234" and ETX.
  port.Arrive({0x02, '9', kGap});
  EXPECT_DOUBLE_EQ(link.ReadLevel(), numeric_rules::LevelFromValue(0x9234));
  EXPECT_FALSE(state.TimedOut);
  EXPECT_TRUE(view.messages.empty());
}

TEST(InstrumentLinkTimeout, TheProgramWaitsTenSecondsPerRead) {
  RangeSettings range;
  FakeSweepView view{range};
  SweepState state;
  FakeSerialPort port;
  InstrumentLink link{port, state, view};
  link.OpenSerialPort();
  link.ReadLevel();
  ASSERT_EQ(port.reads.size(), 2u);
  EXPECT_EQ(port.reads[0].timeoutMs, 10000);
  EXPECT_EQ(port.reads[1].timeoutMs, 10000);
}

}  // namespace
