// The simulator's protocol engine: frame parsing through garbage, reply bytes, models, faults, pacing, options.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "frame_parser.h"
#include "protocol_engine.h"
#include "reply_schedule.h"
#include "response_model.h"
#include "sim_options.h"

namespace {

using testing::ElementsAre;
using Bytes = std::vector<std::uint8_t>;

Bytes Frame(const std::string& text) {
  Bytes frame{0x01, 'F', 0x02};
  frame.insert(frame.end(), text.begin(), text.end());
  frame.push_back(0x03);
  frame.push_back(0x00);
  return frame;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<std::string> ParsedTexts(const Bytes& bytes) {
  sim::FrameParser parser;
  std::vector<std::string> texts;
  for (const std::uint8_t byte : bytes) {
    if (auto frame = parser.Feed(byte)) texts.push_back(frame->text);
  }
  return texts;
}

TEST(FrameParser, ReadsTheFrameAndItsValue) {
  sim::FrameParser parser;
  std::vector<sim::Frame> frames;
  for (const std::uint8_t byte : Concat({Frame("000010695"), Frame("-00000999"), Frame("2147483647")})) {
    if (auto frame = parser.Feed(byte)) frames.push_back(*frame);
  }
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].text, "000010695");
  EXPECT_EQ(frames[0].khz, 10695);
  EXPECT_EQ(frames[1].khz, -999);
  EXPECT_EQ(frames[2].khz, 2147483647);
}

TEST(FrameParser, SkipsGarbageAndResynchronisesOnSoh) {
  const Bytes garbage{'x', 0x02, '1', '2', 0x03, 0xFF, 0x00};
  const Bytes truncated{0x01, 'F', 0x02, '0', '0', '1'};
  const Bytes wrongCommand{0x01, 'G', 0x02, '1', 0x03};
  const Bytes missingStx{0x01, 'F', '1', 0x03};
  const Bytes letterInText{0x01, 'F', 0x02, '1', 'A', '2', 0x03};
  const Bytes signInside{0x01, 'F', 0x02, '1', '-', '2', 0x03};
  const Bytes loneSign{0x01, 'F', 0x02, '-', 0x03};
  const Bytes empty{0x01, 'F', 0x02, 0x03};
  const Bytes tooLong = Frame("123456789012");
  EXPECT_THAT(ParsedTexts(Concat({garbage, Frame("000000001"), truncated, Frame("000000002"), wrongCommand,
                                  missingStx, letterInText, signInside, loneSign, empty, tooLong,
                                  Frame("000000003")})),
              ElementsAre("000000001", "000000002", "000000003"));
}

TEST(FrameParser, SeesSevenDataBitsLikeTheInstrumentsReceiver) {
  Bytes frame = Frame("000010695");
  for (std::uint8_t& byte : frame) byte |= 0x80;
  EXPECT_THAT(ParsedTexts(frame), ElementsAre("000010695"));
}

TEST(LevelReply, StartByteFourDigitsEnd) {
  EXPECT_EQ(sim::LevelReply(0x06E9, {}), (Bytes{0x02, '0', '6', 'E', '9', 0x03}));
  EXPECT_EQ(sim::LevelReply(0xABCD, {.lowerCase = true}), (Bytes{0x02, 'a', 'b', 'c', 'd', 0x03}));
  EXPECT_EQ(sim::LevelReply(0x06E9, {.bit7 = true}), (Bytes{0x82, 0xB0, 0xB6, 0xC5, 0xB9, 0x83}));
}

TEST(ReplyValueFromDb, RoundsOffsetsAndClamps) {
  EXPECT_EQ(sim::ReplyValueFromDb(0), 1769);
  EXPECT_EQ(sim::ReplyValueFromDb(-107.909), 0);
  EXPECT_EQ(sim::ReplyValueFromDb(-6), 1671);
  EXPECT_EQ(sim::ReplyValueFromDb(0.0305), 1770);
  EXPECT_EQ(sim::ReplyValueFromDb(-0.0304), 1769);
  EXPECT_EQ(sim::ReplyValueFromDb(-500), 0);
  EXPECT_EQ(sim::ReplyValueFromDb(1e6), 0xFFFF);
}

TEST(BandpassModel, AnIfFilterAroundTenPointSevenMegahertz) {
  EXPECT_NEAR(sim::BandpassLevelDb(10.7), -6.0, 0.01);
  EXPECT_NEAR(sim::BandpassLevelDb(10.7 - 0.115), -9.0, 0.05);
  EXPECT_NEAR(sim::BandpassLevelDb(10.7 + 0.115), -9.0, 0.05);
  EXPECT_NEAR(sim::BandpassLevelDb(9.0), -60.0, 0.5);
  EXPECT_NEAR(sim::BandpassLevelDb(150.0), -60.0, 0.01);
  EXPECT_GT(sim::BandpassLevelDb(10.6), sim::BandpassLevelDb(10.5));
  EXPECT_GT(sim::BandpassLevelDb(10.5), sim::BandpassLevelDb(10.3));
}

TEST(ResponseModel, NoiseIsSeededAndBounded) {
  const sim::ModelSettings settings{.kind = sim::ModelKind::Flat, .levelDb = -20, .noiseDb = 1.0, .seed = 7};
  sim::ResponseModel first(settings), second(settings);
  sim::ResponseModel otherSeed({.kind = sim::ModelKind::Flat, .levelDb = -20, .noiseDb = 1.0, .seed = 8});
  bool seedsDiffer = false;
  for (int i = 0; i < 50; ++i) {
    const std::uint16_t value = first.ReplyValue(10700);
    EXPECT_EQ(value, second.ReplyValue(10700));
    seedsDiffer = seedsDiffer || value != otherSeed.ReplyValue(10700);
    EXPECT_GE(value, sim::ReplyValueFromDb(-21.0));
    EXPECT_LE(value, sim::ReplyValueFromDb(-19.0));
  }
  EXPECT_TRUE(seedsDiffer);
}

TEST(ResponseModel, EchoRepliesWithTheKhzValue) {
  sim::ResponseModel echo({.kind = sim::ModelKind::Echo});
  EXPECT_EQ(echo.ReplyValue(10695), 10695);
  EXPECT_EQ(echo.ReplyValue(150000), 150000 - 0x20000);
  EXPECT_EQ(echo.ReplyValue(-999), 0x10000 - 999);
}

struct FaultCase {
  const char* name;
  sim::FaultKind kind;
  Bytes faulty;  // what the second frame gets; the first is answered normally
  int delayMs;
  bool hangUp;
};

void PrintTo(const FaultCase& row, std::ostream* out) { *out << row.name; }

class FaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, StartsAfterTheNormalReplies) {
  sim::ProtocolEngine engine({.kind = sim::ModelKind::Echo},
                             {.kind = GetParam().kind, .after = 1, .delayMs = 300});
  const std::vector<sim::Answer> answers =
      engine.Feed(Concat({Frame("000000001"), Frame("000043981"), Frame("000000002")}));
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(answers[0].reply.bytes, (Bytes{0x02, '0', '0', '0', '1', 0x03}));
  EXPECT_EQ(answers[0].reply.delayMs, 0);
  EXPECT_EQ(answers[1].frame.text, "000043981");
  EXPECT_EQ(answers[1].reply.bytes, GetParam().faulty);
  EXPECT_EQ(answers[1].reply.delayMs, GetParam().delayMs);
  EXPECT_EQ(answers[1].reply.hangUp, GetParam().hangUp);
  // A hang-up happens once; every other fault goes on.
  EXPECT_FALSE(answers[2].reply.hangUp);
  if (GetParam().kind == sim::FaultKind::Hangup) {
    EXPECT_EQ(answers[2].reply.bytes, (Bytes{0x02, '0', '0', '0', '2', 0x03}));
  }
}

const Bytes kAbcd{0x02, 'A', 'B', 'C', 'D', 0x03};

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultTest,
    testing::Values(FaultCase{"None", sim::FaultKind::None, kAbcd, 0, false},
                    FaultCase{"Silent", sim::FaultKind::Silent, {}, 0, false},
                    FaultCase{"Nul", sim::FaultKind::Nul, Concat({{0x00}, kAbcd}), 0, false},
                    FaultCase{"Stray", sim::FaultKind::Stray, Concat({{'3', 'A', 0x03, 0x80, 'F', ' ', 0x7F}, kAbcd}), 0,
                              false},
                    FaultCase{"Late", sim::FaultKind::Late, kAbcd, 300, false},
                    FaultCase{"Bit7", sim::FaultKind::Bit7, {0x82, 0xC1, 0xC2, 0xC3, 0xC4, 0x83}, 0, false},
                    FaultCase{"Lower", sim::FaultKind::Lower, {0x02, 'a', 'b', 'c', 'd', 0x03}, 0, false},
                    FaultCase{"Hangup", sim::FaultKind::Hangup, {}, 0, true}),
    [](const testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

TEST(StrayBytes, HoldNoMarkerAndNoNul) {
  for (const std::uint8_t byte : sim::StrayBytes()) {
    EXPECT_NE(byte, 0);
    EXPECT_NE(byte & 0x7F, 0x02);
  }
}

TEST(ReplySchedule, UnpacedBytesAreDueAtOnceOrAfterTheirDelay) {
  sim::ReplySchedule schedule(0);
  const auto now = sim::ReplySchedule::Clock::now();
  schedule.Add({1, 2}, 0, now);
  schedule.Add({3}, 100, now);
  EXPECT_THAT(schedule.Due(now), ElementsAre(1, 2));
  schedule.Drop(1);
  EXPECT_THAT(schedule.Due(now + std::chrono::milliseconds(99)), ElementsAre(2));
  EXPECT_THAT(schedule.Due(now + std::chrono::milliseconds(100)), ElementsAre(2, 3));
  schedule.Clear();
  EXPECT_FALSE(schedule.NextDue());
}

TEST(ReplySchedule, PacedBytesTakeTenBitTimesEachAndQueueBehindEarlierOnes) {
  sim::ReplySchedule schedule(1000);  // 10 ms per byte
  const auto now = sim::ReplySchedule::Clock::now();
  schedule.Add({1, 2, 3}, 0, now);
  schedule.Add({4}, 0, now);
  EXPECT_EQ(*schedule.NextDue(), now + std::chrono::milliseconds(10));
  EXPECT_THAT(schedule.Due(now + std::chrono::milliseconds(29)), ElementsAre(1, 2));
  EXPECT_THAT(schedule.Due(now + std::chrono::milliseconds(40)), ElementsAre(1, 2, 3, 4));
}

TEST(ReplySchedule, PacedFramesHaveComeInOnceTheirLastByteHasCrossedTheLine) {
  using std::chrono::milliseconds;
  sim::ReplySchedule schedule(1000);  // 10 ms per byte
  const auto now = sim::ReplySchedule::Clock::now();
  EXPECT_EQ(schedule.Received(14, now), now + milliseconds(140));
  // Bytes read while earlier ones are still on the line come in behind them; after a pause the line is free.
  EXPECT_EQ(schedule.Received(2, now + milliseconds(50)), now + milliseconds(160));
  EXPECT_EQ(schedule.Received(1, now + milliseconds(1000)), now + milliseconds(1010));
  // The reply to a frame starts once the frame is in.
  schedule.Add({1}, 0, now + milliseconds(1010));
  EXPECT_EQ(*schedule.NextDue(), now + milliseconds(1020));
  sim::ReplySchedule unpaced(0);
  EXPECT_EQ(unpaced.Received(14, now), now);
}

TEST(SimOptions, DefaultsAreTheNoisyBandpassOnAnUnpacedLine) {
  const sim::ParsedOptions parsed = sim::ParseSimOptions({});
  ASSERT_TRUE(parsed.options);
  EXPECT_EQ(parsed.options->model.kind, sim::ModelKind::Bandpass);
  EXPECT_DOUBLE_EQ(parsed.options->model.noiseDb, 0.2);
  EXPECT_EQ(parsed.options->fault.kind, sim::FaultKind::None);
  EXPECT_EQ(parsed.options->baud, 0);
  EXPECT_TRUE(parsed.options->logPath.empty());
  EXPECT_TRUE(parsed.options->linkPath.empty());
}

TEST(SimOptions, EveryOptionIsTaken) {
  const sim::ParsedOptions parsed = sim::ParseSimOptions(
      {"--model", "flat", "--level", "-12.5", "--seed", "42", "--baud", "38400", "--log", "/tmp/f.log", "--link",
       "/tmp/port", "--fault", "late", "--fault-after", "3", "--delay-ms", "250"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const sim::SimOptions& options = *parsed.options;
  EXPECT_EQ(options.model.kind, sim::ModelKind::Flat);
  EXPECT_DOUBLE_EQ(options.model.levelDb, -12.5);
  EXPECT_DOUBLE_EQ(options.model.noiseDb, 0.0);
  EXPECT_EQ(options.model.seed, 42u);
  EXPECT_EQ(options.baud, 38400);
  EXPECT_EQ(options.logPath, "/tmp/f.log");
  EXPECT_EQ(options.linkPath, "/tmp/port");
  EXPECT_EQ(options.fault.kind, sim::FaultKind::Late);
  EXPECT_EQ(options.fault.after, 3);
  EXPECT_EQ(options.fault.delayMs, 250);
  EXPECT_DOUBLE_EQ(sim::ParseSimOptions({"--noise", "0.5"}).options->model.noiseDb, 0.5);
}

TEST(SimOptions, BadArgumentsAreRefused) {
  const std::vector<std::vector<std::string>> cases{
      {"--model", "lowpass"}, {"--level", "abc"}, {"--level", "nan"},  {"--noise", "-1"}, {"--seed", "-1"},
      {"--baud", "-5"},       {"--fault", "loud"}, {"--fault-after", "x"}, {"--delay-ms", "1.5"}, {"--baud"},
      {"--colour", "red"},    {"stray"}};
  for (const auto& args : cases) {
    const sim::ParsedOptions parsed = sim::ParseSimOptions(args);
    EXPECT_FALSE(parsed.options) << args[0];
    EXPECT_FALSE(parsed.error.empty()) << args[0];
  }
}

}  // namespace
