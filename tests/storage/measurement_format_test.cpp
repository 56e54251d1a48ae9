// The measurement file's bytes: golden files from the writer, and the reader's slots for well-formed and damaged files.
#include "storage/measurement_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using measurement_format::Bytes;
using measurement_format::MeasuredPoint;
using measurement_format::ReadMeasurement;
using measurement_format::ReadProblem;
using measurement_format::WriteMeasurement;

namespace {

std::vector<MeasuredPoint> Points(int count) {
  std::vector<MeasuredPoint> points;
  for (int i = 0; i < count; ++i) points.push_back({10695 + 10 * i, i % 90 - 80});
  return points;
}

std::string Text(const Bytes& bytes, std::size_t offset, std::size_t length) {
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

// A header as the writer makes it, with the four count bytes given, followed by the given record texts.
Bytes File(std::vector<std::uint8_t> countBytes, const std::vector<std::string>& records) {
  Bytes bytes = WriteMeasurement({});
  std::copy(countBytes.begin(), countBytes.end(), bytes.begin() + 4);
  for (const std::string& record : records) bytes.insert(bytes.end(), record.begin(), record.end());
  return bytes;
}

Bytes Cut(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

std::string Record(const std::string& khz, const std::string& level) {
  return " " + std::string(11 - khz.size(), ' ') + khz + " " + std::string(11 - level.size(), ' ') + level + " ";
}

}  // namespace

namespace measurement_format {
void PrintTo(const MeasuredPoint& point, std::ostream* out) {
  *out << "{" << point.khz << " kHz, " << point.level << " dB}";
}
}  // namespace measurement_format

TEST(MeasurementWriter, HeaderDescriptorsAndTerminatorAreExact) {
  const Bytes bytes = WriteMeasurement(Points(2));
  Bytes expected(97, 0);
  expected[0] = 0x03;
  expected[4] = 3;  // C = N + 1
  expected[8] = 97;
  expected[10] = 25;
  for (const auto& [offset, name] : {std::pair{32, "FREQ"}, std::pair{64, "AMPL"}}) {
    std::copy(name, name + 4, expected.begin() + offset);
    expected[offset + 11] = 'N';
    expected[offset + 16] = 12;
  }
  expected[96] = 0x0D;
  ASSERT_EQ(bytes.size(), 97u + 2 * 25);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 97), expected);
  EXPECT_EQ(Text(bytes, 97, 50), Record("10695", "-80") + Record("10705", "-79"));
}

struct GoldenSize {
  int points;
  std::size_t size;
  std::vector<std::uint8_t> countBytes;  // bytes 4 to 7
};

class MeasurementWriterSizes : public ::testing::TestWithParam<GoldenSize> {};

TEST_P(MeasurementWriterSizes, CountIsOneHexDigitPerByteAndOneMoreThanTheRecords) {
  const Bytes bytes = WriteMeasurement(Points(GetParam().points));
  EXPECT_EQ(bytes.size(), GetParam().size);
  EXPECT_EQ(Bytes(bytes.begin() + 4, bytes.begin() + 8), GetParam().countBytes);
  EXPECT_NE(bytes.back(), 0x1A);  // no end-of-file marker
}

INSTANTIATE_TEST_SUITE_P(Table, MeasurementWriterSizes,
                         ::testing::Values(GoldenSize{0, 97, {1, 0, 0, 0}}, GoldenSize{14, 447, {15, 0, 0, 0}},
                                           GoldenSize{15, 472, {0x00, 0x01, 0x00, 0x00}},
                                           GoldenSize{300, 7597, {0x0D, 0x02, 0x01, 0x00}},
                                           GoldenSize{20000, 500097, {0x01, 0x02, 0x0E, 0x04}}));

struct GoldenRecord {
  MeasuredPoint point;
  std::string text;
};

class MeasurementWriterRecords : public ::testing::TestWithParam<GoldenRecord> {};

TEST_P(MeasurementWriterRecords, FieldsAreRightAlignedInElevenCharacters) {
  const Bytes bytes = WriteMeasurement(std::vector{GetParam().point});
  EXPECT_EQ(Text(bytes, 97, 25), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, MeasurementWriterRecords,
                         ::testing::Values(GoldenRecord{{10695, -45}, "       10695         -45 "},
                                           GoldenRecord{{0, 0}, "           0           0 "},
                                           GoldenRecord{{-999, 141}, "        -999         141 "},
                                           GoldenRecord{{2147483647, -2147483648}, "  2147483647 -2147483648 "}));

TEST(MeasurementWriter, RefusesMorePointsThanASweepHolds) {
  EXPECT_THROW(WriteMeasurement(Points(20001)), std::length_error);
}

struct ReaderCase {
  const char* name;
  Bytes bytes;
  ReadProblem problem;
  std::int32_t recordCount;
  std::vector<MeasuredPoint> points;
};

void PrintTo(const ReaderCase& row, std::ostream* out) { *out << row.name; }

class MeasurementReader : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(MeasurementReader, ReadsSlotsAsTheEarlierReaderDidWithoutReadingPastTheBytes) {
  const auto result = ReadMeasurement(GetParam().bytes);
  EXPECT_EQ(result.problem, GetParam().problem);
  EXPECT_EQ(result.recordCount, GetParam().recordCount);
  EXPECT_EQ(result.points, GetParam().points);
}

const std::string kFirst = Record("10695", "-45");
const std::string kSecond = Record("10705", "-12");

INSTANTIATE_TEST_SUITE_P(
    Table, MeasurementReader,
    ::testing::Values(
        ReaderCase{"saved file: last slot repeats the last record",
                   WriteMeasurement(std::vector<MeasuredPoint>{{10695, -45}, {10705, -12}}),
                   ReadProblem::None,
                   3,
                   {{10695, -45}, {10705, -12}, {10705, -12}}},
        ReaderCase{"count above records + 1",
                   File({5, 0, 0, 0}, {kFirst, kSecond}),
                   ReadProblem::None,
                   5,
                   {{10695, -45}, {10705, -12}, {10705, -12}, {10705, -12}, {10705, -12}}},
        ReaderCase{"count below records + 1",
                   File({2, 0, 0, 0}, {kFirst, kSecond}),
                   ReadProblem::None,
                   2,
                   {{10695, -45}, {10705, -12}}},
        ReaderCase{"unparsable frequency keeps both fields",
                   File({4, 0, 0, 0}, {kFirst, Record("-", "-12"), kSecond}),
                   ReadProblem::None,
                   4,
                   {{10695, -45}, {10695, -45}, {10705, -12}, {10705, -12}}},
        ReaderCase{"a scan stops inside a field and the next one starts there",
                   File({3, 0, 0, 0}, {kFirst, Record("1O7O5", "-12")}),
                   ReadProblem::None,
                   3,
                   {{10695, -45}, {1, -45}, {1, -45}}},
        ReaderCase{"unparsable level keeps the level only",
                   File({3, 0, 0, 0}, {kFirst, Record("10705", "x")}),
                   ReadProblem::None,
                   3,
                   {{10695, -45}, {10705, -45}, {10705, -45}}},
        ReaderCase{"number beyond 32 bits does not parse",
                   File({3, 0, 0, 0}, {kFirst, Record("99999999999", "-12")}),
                   ReadProblem::None,
                   3,
                   {{10695, -45}, {10695, -45}, {10695, -45}}},
        ReaderCase{"fields are scanned, not cut at fixed columns",
                   File({3, 0, 0, 0}, {kFirst, "+10705\t-12" + std::string(15, ' ')}),
                   ReadProblem::None,
                   3,
                   {{10695, -45}, {10705, -12}, {10705, -12}}},
        ReaderCase{"a NUL byte ends the record's text",
                   File({3, 0, 0, 0}, {kFirst, kSecond.substr(0, 12) + '\0' + kSecond.substr(13)}),
                   ReadProblem::None,
                   3,
                   {{10695, -45}, {10705, -45}, {10705, -45}}},
        ReaderCase{"file ending inside a record ignores the cut record",
                   File({3, 0, 0, 0}, {kFirst, kSecond.substr(0, 10)}),
                   ReadProblem::None,
                   3,
                   {{10695, -45}, {10695, -45}, {10695, -45}}},
        ReaderCase{"count digits are signed bytes", File({0xFF, 0x01, 0, 0}, {kFirst}), ReadProblem::None, 15,
                   std::vector<MeasuredPoint>(15, {10695, -45})},
        ReaderCase{"count 1 without records is an empty measurement", File({1, 0, 0, 0}, {}), ReadProblem::None, 1, {}},
        ReaderCase{"count 1 with a record gives its frequency only",
                   File({1, 0, 0, 0}, {kFirst}),
                   ReadProblem::None,
                   1,
                   {{10695, -45}}},
        ReaderCase{"no record for a count of 2", File({2, 0, 0, 0}, {}), ReadProblem::NoFirstPoint, 2, {}},
        ReaderCase{"first record does not parse",
                   File({3, 0, 0, 0}, {Record("FREQ", "AMPL"), kSecond}),
                   ReadProblem::NoFirstPoint,
                   3,
                   {}},
        ReaderCase{"first record without a level",
                   File({3, 0, 0, 0}, {Record("10695", "-"), kSecond}),
                   ReadProblem::NoFirstPoint,
                   3,
                   {}},
        ReaderCase{"empty file", Bytes{}, ReadProblem::TooShort, 0, {}},
        ReaderCase{"file ending inside the header", Cut(WriteMeasurement({}), 96), ReadProblem::TooShort, 0, {}},
        ReaderCase{"count 0", File({0, 0, 0, 0}, {kFirst}), ReadProblem::CountBelowOne, 0, {}},
        ReaderCase{"count -1", File({0xFF, 0, 0, 0}, {kFirst}), ReadProblem::CountBelowOne, -1, {}},
        ReaderCase{
            "most negative count", File({0x80, 0x80, 0x80, 0x80}, {kFirst}), ReadProblem::CountBelowOne, -559232, {}},
        ReaderCase{"count one past the slots",
                   File({0x02, 0x02, 0x0E, 0x04}, {kFirst}),
                   ReadProblem::CountTooLarge,
                   20002,
                   {}},
        ReaderCase{"largest four-digit count",
                   File({0x0F, 0x0F, 0x0F, 0x0F}, {kFirst}),
                   ReadProblem::CountTooLarge,
                   65535,
                   {}},
        ReaderCase{
            "largest signed count", File({0x7F, 0x7F, 0x7F, 0x7F}, {kFirst}), ReadProblem::CountTooLarge, 554863, {}}));

TEST(MeasurementReader, AFullSweepLoadsBackWhole) {
  const auto points = Points(20000);
  const auto result = ReadMeasurement(WriteMeasurement(points));
  ASSERT_EQ(result.problem, ReadProblem::None);
  ASSERT_EQ(result.points.size(), 20001u);
  EXPECT_TRUE(std::equal(points.begin(), points.end(), result.points.begin()));
  EXPECT_EQ(result.points.back(), points.back());
}
