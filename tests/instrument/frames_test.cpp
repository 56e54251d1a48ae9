// The set-frequency frame bytes and the "%4x" reading of the reply digits.
#include "instrument/frames.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> FrameWithText(const std::string& text) {
  std::vector<std::uint8_t> frame{0x01, 0x46, 0x02};
  frame.insert(frame.end(), text.begin(), text.end());
  frame.push_back(0x03);
  frame.push_back(0x00);
  return frame;
}

struct FrameCase {
  double megahertz;
  std::string text;
};

void PrintTo(const FrameCase& row, std::ostream* out) { *out << row.megahertz << " MHz"; }

class SetFrequencyFrameTest : public testing::TestWithParam<FrameCase> {};

TEST_P(SetFrequencyFrameTest, CarriesTheRoundedKhzInNineCharacters) {
  EXPECT_EQ(frames::SetFrequencyFrame(GetParam().megahertz), FrameWithText(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Frequencies, SetFrequencyFrameTest,
    testing::Values(FrameCase{10.695, "000010695"}, FrameCase{150, "000150000"}, FrameCase{10.6955, "000010695"},
                    FrameCase{10.6965, "000010697"}, FrameCase{0.0005, "000000001"}, FrameCase{0, "000000000"},
                    FrameCase{-1.0, "-00000999"}, FrameCase{999999.999, "999999999"},
                    // Ten or more digits are written in full, making the frame longer.
                    FrameCase{1000000, "1000000000"}, FrameCase{1e300, "2147483647"},
                    FrameCase{-1e300, "-2147483648"}));

TEST(SetFrequencyFrame, TheDocumentedFramesByteForByte) {
  EXPECT_EQ(frames::SetFrequencyFrame(10.695),
            (std::vector<std::uint8_t>{0x01, 0x46, 0x02, 0x30, 0x30, 0x30, 0x30, 0x31, 0x30, 0x36, 0x39, 0x35, 0x03, 0x00}));
  EXPECT_EQ(frames::SetFrequencyFrame(150),
            (std::vector<std::uint8_t>{0x01, 0x46, 0x02, 0x30, 0x30, 0x30, 0x31, 0x35, 0x30, 0x30, 0x30, 0x30, 0x03, 0x00}));
}

TEST(NineDigitText, PadsAfterTheSign) {
  EXPECT_EQ(frames::NineDigitText(0), "000000000");
  EXPECT_EQ(frames::NineDigitText(-1), "-00000001");
  EXPECT_EQ(frames::NineDigitText(-12345678), "-12345678");
  EXPECT_EQ(frames::NineDigitText(-123456789), "-123456789");
  EXPECT_EQ(frames::NineDigitText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

struct DigitsCase {
  std::array<std::uint8_t, 6> buffer;
  std::int32_t value;
};

void PrintTo(const DigitsCase& row, std::ostream* out) { *out << "value " << row.value; }

class ReplyValueTest : public testing::TestWithParam<DigitsCase> {};

TEST_P(ReplyValueTest, ReadsUpToFourHexDigits) { EXPECT_EQ(frames::ReplyValue(GetParam().buffer), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(
    Buffers, ReplyValueTest,
    testing::Values(DigitsCase{{0x30, 0x36, 0x45, 0x39, 0x03, 0}, 0x06E9},
                    DigitsCase{{0x30, 0x30, 0x30, 0x30, 0x03, 0}, 0},
                    DigitsCase{{0x30, 0x31, 0x32, 0x36, 0x03, 0}, 0x0126},
                    DigitsCase{{0x30, 0x46, 0x46, 0x46, 0x03, 0}, 0x0FFF},
                    DigitsCase{{0x30, 0x66, 0x66, 0x66, 0x03, 0}, 0x0FFF},
                    DigitsCase{{'F', 'F', 'F', 'F', 0x03, 0}, 0xFFFF},
                    // The parse stops at the first byte that is no hexadecimal digit.
                    DigitsCase{{0x31, 0x32, 0x03, 0x39, 0x39, 0}, 0x12},
                    // Four digits at most: a fifth is left alone.
                    DigitsCase{{'1', '2', '3', '4', '5', 0}, 0x1234},
                    // Leading white space is skipped and does not count towards the four.
                    DigitsCase{{' ', '\t', 'a', 'B', 'c', 0}, 0xABC},
                    DigitsCase{{' ', ' ', ' ', ' ', '7', 0}, 7},
                    // No digit: the defined value 0.
                    DigitsCase{{0x00, 0x30, 0x36, 0x45, 0x39, 0}, 0},
                    DigitsCase{{0x02, 0x30, 0x36, 0x45, 0x39, 0}, 0},
                    DigitsCase{{'G', '1', '2', '3', 0x03, 0}, 0},
                    DigitsCase{{'-', '1', '2', '3', 0x03, 0}, 0},
                    DigitsCase{{' ', ' ', ' ', ' ', 0xB7, 0}, 0}));

TEST(ReplyValue, StopsAtTheEndOfTheText) {
  const std::array<std::uint8_t, 3> digits{'1', '2', '3'};
  EXPECT_EQ(frames::ReplyValue(digits), 0x123);
  EXPECT_EQ(frames::ReplyValue({}), 0);
}

TEST(StartMarker, OnlyTheLowSevenBitsCount) {
  EXPECT_TRUE(frames::IsStartMarker(0x02));
  EXPECT_TRUE(frames::IsStartMarker(0x82));
  EXPECT_FALSE(frames::IsStartMarker(0x80));
  EXPECT_FALSE(frames::IsStartMarker(0x00));
  EXPECT_FALSE(frames::IsStartMarker(0x12));
}

}  // namespace
