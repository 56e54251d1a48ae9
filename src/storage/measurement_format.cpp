// Writer and reader of the measurement file's bytes; formatting by hand, so no locale reaches the digits.
#include "storage/measurement_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace measurement_format {

namespace {

constexpr std::size_t kFieldWidth = 11;  // "%11d"
constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kHeaderOnlySize = 32;

void PutDescriptor(Bytes& bytes, std::size_t offset, std::string_view name) {
  std::copy(name.begin(), name.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
  bytes[offset + 11] = 'N';  // numeric field
  bytes[offset + 16] = 12;   // field length: eleven digits and the space after them
}

// Right-aligned in eleven characters; a signed 32-bit value never needs more.
void PutField(Bytes& bytes, std::size_t offset, std::int32_t value) {
  std::array<char, kFieldWidth> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  const auto length = static_cast<std::size_t>(result.ptr - digits.data());
  std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), kFieldWidth - length, ' ');
  std::copy(digits.data(), result.ptr, bytes.begin() + static_cast<std::ptrdiff_t>(offset + kFieldWidth - length));
}

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// One "%11d" conversion of sscanf: blanks skipped, then a sign and digits, eleven characters at most.
std::optional<std::int32_t> ScanInt(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && IsCSpace(text[pos])) ++pos;
  const std::size_t end = std::min(text.size(), pos + kFieldWidth);
  std::size_t at = pos;
  const bool negative = at < end && text[at] == '-';
  if (at < end && (text[at] == '-' || text[at] == '+')) ++at;
  const std::size_t firstDigit = at;
  std::int64_t magnitude = 0;  // at most eleven digits: no overflow
  while (at < end && text[at] >= '0' && text[at] <= '9') magnitude = magnitude * 10 + (text[at++] - '0');
  if (at == firstDigit) return std::nullopt;
  pos = at;
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// Parses the buffer as " %11d %11d " into the slot, which holds the previous slot's values; the text ends at a NUL
// byte as a C string would. Returns how many fields were converted.
int ScanRecord(const std::array<char, kRecordSize>& buffer, MeasuredPoint& slot) {
  const std::string_view text(buffer.data(), std::find(buffer.begin(), buffer.end(), '\0') - buffer.begin());
  std::size_t pos = 0;
  const auto khz = ScanInt(text, pos);
  if (!khz) return 0;
  slot.khz = *khz;
  const auto level = ScanInt(text, pos);
  if (!level) return 1;
  slot.level = *level;
  return 2;
}

// C from the four count digits, least significant first, each byte a signed 8-bit value.
std::int32_t RecordCount(std::span<const std::uint8_t> bytes) {
  std::int32_t count = 0;
  for (std::size_t digit = 4; digit-- > 0;) count = count * 16 + static_cast<std::int8_t>(bytes[4 + digit]);
  return count;
}

}  // namespace

Bytes WriteMeasurement(std::span<const MeasuredPoint> points) {
  if (points.size() > static_cast<std::size_t>(kLevelTableSize)) {
    throw std::length_error("a measurement file holds at most " + std::to_string(kLevelTableSize) + " points");
  }
  Bytes bytes(kHeaderSize + kRecordSize * points.size(), 0);
  const std::size_t count = points.size() + 1;
  bytes[0] = 0x03;  // dBase III
  for (std::size_t digit = 0; digit < 4; ++digit) bytes[4 + digit] = (count >> (4 * digit)) & 0x0F;
  bytes[8] = kHeaderSize;
  bytes[10] = kRecordSize;
  PutDescriptor(bytes, kHeaderOnlySize, "FREQ");
  PutDescriptor(bytes, kHeaderOnlySize + kDescriptorSize, "AMPL");
  bytes[kHeaderSize - 1] = 0x0D;
  std::size_t offset = kHeaderSize;
  for (const MeasuredPoint& point : points) {
    bytes[offset] = ' ';  // deletion flag: record present
    PutField(bytes, offset + 1, point.khz);
    bytes[offset + 12] = ' ';
    PutField(bytes, offset + 13, point.level);
    bytes[offset + 24] = ' ';
    offset += kRecordSize;
  }
  return bytes;
}

MeasurementSlots ReadMeasurement(std::span<const std::uint8_t> bytes) {
  MeasurementSlots result;
  if (bytes.size() < kHeaderSize) {
    result.problem = ReadProblem::TooShort;
    return result;
  }
  result.recordCount = RecordCount(bytes);
  if (result.recordCount < 1) {
    result.problem = ReadProblem::CountBelowOne;
    return result;
  }
  if (result.recordCount > kSlotCapacity) {
    result.problem = ReadProblem::CountTooLarge;
    return result;
  }
  const std::size_t completeRecords = (bytes.size() - kHeaderSize) / kRecordSize;
  std::array<char, kRecordSize> buffer{};
  MeasuredPoint slot;
  for (std::int32_t i = 0; i < result.recordCount; ++i) {
    const auto index = static_cast<std::size_t>(i);
    if (index < completeRecords) {
      const auto record = bytes.subspan(kHeaderSize + kRecordSize * index, kRecordSize);
      std::copy(record.begin(), record.end(), buffer.begin());
    }
    const int fields = ScanRecord(buffer, slot);
    // The first slot has no slot before it to lend a value.
    if (i == 0 && fields < 2) {
      if (result.recordCount > 1) result.problem = ReadProblem::NoFirstPoint;
      return result;
    }
    result.points.push_back(slot);
  }
  return result;
}

}  // namespace measurement_format
