// The numeric rules every formula over the range and sweep state follows: 64-bit-significand intermediates, truncation toward zero.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// The instrument's predecessor computed in the 80-bit extended format; point counts and kHz values differ in
// double precision (0.1 to 0.3 step 0.1 gives 3 points, not 4). Refuse to build where long double is not that format.
static_assert(std::numeric_limits<long double>::digits == 64,
              "Quenrik needs long double with a 64-bit significand (x87 extended precision, as on x86-64)");
static_assert(std::numeric_limits<double>::is_iec559, "Quenrik needs IEEE 754 double precision");

namespace numeric_rules {

using Extended = long double;

// Truncation toward zero into a signed 32-bit integer. Values outside the range saturate at its ends and NaN gives 0,
// so every input has a defined result.
constexpr std::int32_t TruncToInt32(Extended value) {
  if (value != value) return 0;
  if (value >= 2147483647.0L) return std::numeric_limits<std::int32_t>::max();
  if (value <= -2147483648.0L) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

// A frequency in MHz as the whole kHz that crosses the wire and the measurement file: trunc(f * 1000 + 0.5).
constexpr std::int32_t KhzValue(double megahertz) {
  return TruncToInt32(static_cast<Extended>(megahertz) * 1000.0L + 0.5L);
}

// The double nearest to kHz / 1000: the extended constant 0.001 gets this right for every |k| up to 200,000,
// where the double 0.001 misses about one value in eight.
constexpr double MegahertzFromKhz(std::int32_t khz) {
  return static_cast<double>(static_cast<Extended>(khz) * 0.001L);
}

// The quotient (Fmax - Fmin) / Fstep + 2 before truncation; the caller decides what a zero step means.
constexpr Extended PointCountQuotient(double fmin, double fmax, double fstep) {
  return (static_cast<Extended>(fmax) - static_cast<Extended>(fmin)) / static_cast<Extended>(fstep) + 2.0L;
}

// Number of points of a sweep: trunc((Fmax - Fmin) / Fstep + 2). A zero step gives 0 / 0 = NaN, hence 0, when
// Fmax equals Fmin; the caller raises the division error for a zero step with a non-empty range.
constexpr std::int32_t PointCount(double fmin, double fmax, double fstep) {
  return TruncToInt32(PointCountQuotient(fmin, fmax, fstep));
}

// Frequency of point i, i * Fstep + Fmin, rounded once to double.
constexpr double PointFrequency(std::int32_t index, double fmin, double fstep) {
  return static_cast<double>(static_cast<Extended>(index) * static_cast<Extended>(fstep) + static_cast<Extended>(fmin));
}

// Level in dB of the instrument's four-digit value: (value - 1769) * 0.061, 0x06E9 being 0 dB.
constexpr double LevelFromValue(std::int64_t value) {
  return static_cast<double>((static_cast<Extended>(value) - 1769.0L) * 0.061L);
}

// A level in dB as the whole dB the level table and the measurement file hold.
constexpr std::int32_t WholeDb(double level) { return TruncToInt32(level); }

}  // namespace numeric_rules
