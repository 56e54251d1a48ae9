// Fuzzes the measurement-file reader with arbitrary bytes: no read past the input or a table, and the writer and
// the reader agree on every slot the reader gives.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz_check.h"
#include "storage/measurement_format.h"

using namespace measurement_format;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The reader sees a copy of exactly `size` bytes, so AddressSanitizer catches a read past the end.
  const std::vector<std::uint8_t> bytes(data, data + size);
  const MeasurementSlots slots = ReadMeasurement(std::span<const std::uint8_t>(bytes));

  if (slots.problem != ReadProblem::None) {
    FUZZ_REQUIRE(slots.points.empty());
    return 0;
  }
  FUZZ_REQUIRE(slots.recordCount >= 1 && slots.recordCount <= kSlotCapacity);
  const auto count = static_cast<std::size_t>(slots.recordCount);
  // One point per slot; only a single slot with nothing readable gives none.
  FUZZ_REQUIRE(slots.points.size() == count || (count == 1 && slots.points.empty()));
  if (count < 2) return 0;

  // A file written from the first C - 1 slots reads back as those slots, with the last one repeated.
  const std::span<const MeasuredPoint> written(slots.points.data(), count - 1);
  const Bytes file = WriteMeasurement(written);
  FUZZ_REQUIRE(file.size() == kHeaderSize + kRecordSize * written.size());
  const MeasurementSlots again = ReadMeasurement(file);
  FUZZ_REQUIRE(again.problem == ReadProblem::None);
  FUZZ_REQUIRE(again.recordCount == slots.recordCount);
  FUZZ_REQUIRE(again.points.size() == count);
  for (std::size_t i = 0; i + 1 < count; ++i) FUZZ_REQUIRE(again.points[i] == slots.points[i]);
  FUZZ_REQUIRE(again.points[count - 1] == slots.points[count - 2]);
  return 0;
}
