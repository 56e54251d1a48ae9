// The measurement file's bytes: a sweep written as the dBase-style table, and such bytes read back into slots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "sweep/sweep_state.h"

namespace measurement_format {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kHeaderSize = 97;  // header, two field descriptors and the 0x0D terminator
inline constexpr std::size_t kRecordSize = 25;  // " %11d %11d "
// The reader holds one slot more than the level table, so a full sweep (count = points + 1) loads back whole.
inline constexpr std::int32_t kSlotCapacity = kLevelTableSize + 1;
// Never more bytes than the largest loadable file is needed: slots past the records repeat the last one.
inline constexpr std::size_t kLargestUsefulFile = kHeaderSize + kRecordSize * kSlotCapacity;

struct MeasuredPoint {
  std::int32_t khz = 0;    // FREQ
  std::int32_t level = 0;  // AMPL, whole dB
  bool operator==(const MeasuredPoint&) const = default;
};

// The whole file for the given points: 97 + 25 * N bytes, record count N + 1 with one hexadecimal digit per byte,
// no end-of-file marker. Throws std::length_error beyond kLevelTableSize points (no sweep holds more).
Bytes WriteMeasurement(std::span<const MeasuredPoint> points);

// Why the reader refuses a file; the caller names the file in its message.
enum class ReadProblem {
  None,
  TooShort,       // fewer bytes than the 97-byte header
  CountBelowOne,  // a record count of 0 or a negative one (the count digits are signed bytes)
  CountTooLarge,  // more slots than kSlotCapacity
  NoFirstPoint,   // two or more slots, but the first record is missing or does not parse in both fields
};

struct MeasurementSlots {
  ReadProblem problem = ReadProblem::None;
  std::int32_t recordCount = 0;  // C from bytes 4 to 7, each taken as a signed byte
  // One entry per slot (C of them). Empty when refused, and for C = 1 when that slot has nothing readable.
  std::vector<MeasuredPoint> points;
};

// Reads slot after slot through one record buffer: a slot past the last complete record repeats the record before
// (bytes of a record cut off by the end of the file are ignored); a field that does not parse keeps the previous
// slot's value, and so does the field after it. A number beyond the signed 32-bit range does not parse.
MeasurementSlots ReadMeasurement(std::span<const std::uint8_t> bytes);

}  // namespace measurement_format
