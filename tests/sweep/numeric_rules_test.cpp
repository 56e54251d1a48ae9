// The numeric rules: truncation toward zero, extended-precision kHz values, levels and point counts.
#include "sweep/numeric_rules.h"

#include <gtest/gtest.h>

#include <limits>

#include "sweep/point_text.h"
#include "sweep/settle_delay.h"

using namespace numeric_rules;

TEST(NumericRules, WholeDbTruncatesTowardZero) {
  const struct { double level; std::int32_t whole; } rows[] = {
      {-1.037, -1}, {-0.976, 0}, {-0.061, 0}, {0.061, 0}, {141.886, 141}, {-107.909, -107}};
  for (const auto& row : rows) EXPECT_EQ(WholeDb(row.level), row.whole) << row.level;
}

TEST(NumericRules, KhzValueCarriesA64BitSignificand) {
  const struct { double megahertz; std::int32_t khz; } rows[] = {
      {10.695, 10695}, {10.6955, 10695},  // double precision would give 10696
      {10.6965, 10697}, {0.0005, 1}, {150, 150000}, {-1.0, -999},  // -999.5 truncates toward zero
      {10.799999999999999, 10800}, {0, 0}};
  for (const auto& row : rows) EXPECT_EQ(KhzValue(row.megahertz), row.khz) << row.megahertz;
}

TEST(NumericRules, ConversionsOutsideInt32HaveDefinedResults) {
  EXPECT_EQ(KhzValue(2147483.6475), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(KhzValue(-1e12), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(TruncToInt32(std::numeric_limits<long double>::quiet_NaN()), 0);
  EXPECT_EQ(WholeDb(std::numeric_limits<double>::infinity()), std::numeric_limits<std::int32_t>::max());
}

TEST(NumericRules, MegahertzFromKhzIsTheNearestDouble) {
  // The extended constant gives the double nearest to k / 1000 where k * 0.001 in double misses it.
  int doubleMisses = 0;
  for (std::int32_t k = -200000; k <= 200000; ++k) {
    const double nearest = static_cast<double>(k) / 1000.0;  // division is correctly rounded
    ASSERT_EQ(MegahertzFromKhz(k), nearest) << k;
    if (k * 0.001 != nearest) ++doubleMisses;
  }
  EXPECT_GT(doubleMisses, 10000);
}

TEST(NumericRules, LevelFromTheInstrumentValue) {
  const struct { std::int64_t value; double level; } rows[] = {
      {0x06E9, 0.0}, {0x0000, -107.909}, {0x0126, -89.975}, {0x0FFF, 141.886}};
  for (const auto& row : rows) EXPECT_NEAR(LevelFromValue(row.value), row.level, 1e-12) << row.value;
  EXPECT_EQ(LevelText(LevelFromValue(0)), "-107.9");
  EXPECT_EQ(LevelText(LevelFromValue(0x0FFF)), "141.9");
}

TEST(NumericRules, PointCountQuotientIn64BitSignificand) {
  EXPECT_EQ(PointCount(0.1, 0.3, 0.1), 3);    // double precision: 4
  EXPECT_EQ(PointCount(1, 150, 0.01), 14901);  // double precision: 14902
  EXPECT_EQ(PointCount(10.6, 10.7, 0.1), 2);
  EXPECT_EQ(PointCount(5, 5, 0), 0);  // 0 / 0
}

TEST(PointText, FixedFormatsWithAFullStop) {
  EXPECT_EQ(FrequencyText(10.695), "     10.695");
  EXPECT_EQ(FrequencyText(10.799999999999999), "     10.800");
  EXPECT_EQ(LevelText(0), " 0.0");
  EXPECT_EQ(LevelText(-107.909), "-107.9");
  EXPECT_EQ(LevelText(-0.976), "-1.0");
}

TEST(SettleDelay, RunsEveryAddition) { EXPECT_EQ(SettleDelay(), 500000.0); }
