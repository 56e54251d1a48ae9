// The sweep run against a fake view and instrument: point counts, stored levels, and controls used mid-run.
#include "sweep/sweep_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fake_instrument.h"
#include "fake_sweep_view.h"
#include "sweep/app_error.h"
#include "sweep/numeric_rules.h"

namespace {

struct Fixture {
  RangeSettings range;
  SweepState state;
  FakeSweepView view{range};
  FakeInstrument instrument{state};
  SweepRun run{range, state, instrument, view};

  // Presses Stop at the given ProcessPendingEvents call, so exactly one sweep runs when it falls in the first.
  void StopAt(int processCall) {
    view.onProcess = [this, processCall](int call) {
      if (call == processCall) run.btnStopClick();
    };
  }
};

}  // namespace

struct WorkedCount {
  const char* fmin;
  const char* fmax;
  const char* fstep;
  std::int32_t pointCount;
  std::vector<std::int32_t> firstKhz;  // kHz sent for the first points
  std::vector<std::int32_t> lastKhz;   // kHz sent for the last points
};

void PrintTo(const WorkedCount& row, std::ostream* out) {
  *out << row.fmin << " to " << row.fmax << " step " << row.fstep;
}

class WorkedPointCounts : public ::testing::TestWithParam<WorkedCount> {};

TEST_P(WorkedPointCounts, SendsEveryPointOfOneSweep) {
  const WorkedCount& row = GetParam();
  Fixture f;
  f.view.SetRange(row.fmin, row.fmax, row.fstep);
  f.StopAt(1);
  f.run.btnRunClick();

  EXPECT_EQ(f.state.PointCount, row.pointCount);
  ASSERT_EQ(f.instrument.sentKhz.size(), static_cast<std::size_t>(row.pointCount));
  const auto& sent = f.instrument.sentKhz;
  EXPECT_TRUE(std::equal(row.firstKhz.begin(), row.firstKhz.end(), sent.begin()));
  EXPECT_TRUE(std::equal(row.lastKhz.rbegin(), row.lastKhz.rend(), sent.rbegin()));
  EXPECT_EQ(f.view.points.size(), sent.size());
  EXPECT_FALSE(f.run.InProgress());
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkedPointCounts,
    ::testing::Values(WorkedCount{"10.695", "10.705", "0.1", 2, {10695, 10705}, {}},
                      WorkedCount{"10.6", "10.8", "0.1", 4, {10600, 10700, 10800, 10800}, {}},
                      WorkedCount{"10.6", "10.7", "0.1", 2, {10600, 10700}, {}},
                      WorkedCount{"10.6", "10.8", "0.001", 202, {10600, 10601}, {10799, 10800, 10800}},
                      WorkedCount{"10", "20", "1", 12, {10000, 11000}, {19000, 20000, 20000}},
                      WorkedCount{"10", "20", "0.3", 35, {10000, 10300}, {19600, 19900, 20000}},
                      WorkedCount{"0.1", "0.3", "0.1", 3, {100, 200, 300}, {}},
                      WorkedCount{"1", "150", "0.01", 14901, {1000, 1010}, {149980, 149990, 150000}},
                      WorkedCount{"5", "5", "1", 2, {5000, 5000}, {}},
                      WorkedCount{"10.705", "10.695", "0.1", 1, {10695}, {}},
                      WorkedCount{"20", "10", "-1", 12, {10000}, {10000, 10000, 9000}}));

TEST(SweepRun, FrequenciesAreClampedAfterRoundingToDouble) {
  Fixture f;
  f.view.SetRange("10.6", "10.8", "0.1");
  f.StopAt(1);
  f.run.btnRunClick();
  // The third point lies just below Fmax and is not moved; it is shown as 10.800.
  EXPECT_EQ(f.instrument.sent[2], 10.799999999999999);
  EXPECT_EQ(f.instrument.sent[3], 10.8);
  EXPECT_EQ(f.view.edFreq, "     10.800");
}

TEST(SweepRun, StoresTruncatedLevelsAndKeepsOlderEntries) {
  Fixture f;
  f.view.SetRange("1", "8", "1");  // 9 points
  f.instrument.levels = {-1.037, -0.976, -0.061, 0.061, 141.886, -45.5, -3, -2, -1};
  f.StopAt(1);
  f.run.btnRunClick();
  EXPECT_EQ(f.state.LevelTable[0], -1);
  EXPECT_EQ(f.state.LevelTable[1], 0);
  EXPECT_EQ(f.state.LevelTable[4], 141);
  EXPECT_EQ(f.state.LevelTable[5], -45);

  f.view.SetRange("1", "4", "1");  // 5 points
  f.instrument.levels = {10, 11, 12, 13, 14};
  f.StopAt(f.view.processCount + 1);
  f.run.btnRunClick();
  EXPECT_EQ(f.state.PointCount, 5);
  EXPECT_EQ(f.state.LevelTable[4], 14);
  EXPECT_EQ(f.state.LevelTable[5], -45);  // the earlier sweep's entries stay
  EXPECT_EQ(f.state.LevelTable[8], -1);
  EXPECT_EQ(f.state.KhzTable[4], 4000);  // moved onto Fmax from 5
  EXPECT_EQ(f.view.edAdc, "14.0");
}

TEST(SweepRun, StartDisablesFileCommandsAndStopBringsThemBack) {
  Fixture f;
  bool disabledDuringRun = false;
  f.view.onProcess = [&](int call) {
    if (call == 1) disabledDuringRun = !f.view.buttonsEnabled && f.view.status[0] == "running";
    if (call == 1) f.run.btnStopClick();
  };
  f.run.btnRunClick();
  EXPECT_TRUE(disabledDuringRun);
  EXPECT_TRUE(f.view.buttonsEnabled);
  EXPECT_EQ(f.view.status[0], "");
  EXPECT_FALSE(f.state.Running);
  const std::vector<std::string> start(f.view.log.begin(), f.view.log.begin() + 5);
  EXPECT_EQ(start, (std::vector<std::string>{"ClearPlot", "ApplyRange", "EnableButtons(false)",
                                             "SetStatusText(0,running)", "ClearPlot"}));
}

TEST(SweepRun, StopDuringTheFirstPointFinishesTheSweep) {
  Fixture f;
  f.view.SetRange("10.6", "10.8", "0.001");
  f.instrument.onRead = [&](int point) {
    if (point == 0) f.run.btnStopClick();
  };
  f.run.btnRunClick();
  EXPECT_EQ(f.instrument.sent.size(), 202u);
  EXPECT_EQ(f.view.points.size(), 202u);
}

TEST(SweepRun, SweepsRepeatUntilStopThenEndAtTheSweepsEnd) {
  Fixture f;  // default range: 2 points per sweep
  f.StopAt(5);  // first point of the third sweep
  f.run.btnRunClick();
  EXPECT_EQ(f.instrument.sent.size(), 6u);
  EXPECT_EQ(std::count(f.view.log.begin(), f.view.log.end(), "ClearPlot"), 4);  // Start, then each sweep
  EXPECT_EQ(f.view.points.size(), 2u);
}

TEST(SweepRun, StopWhileIdleOffersTheFileCommands) {
  Fixture f;
  f.view.buttonsEnabled = false;
  f.run.btnStopClick();
  EXPECT_TRUE(f.view.buttonsEnabled);
  EXPECT_EQ(f.view.status[0], "");
}

TEST(SweepRun, ResetDuringARunEmptiesTheChartOnly) {
  Fixture f;
  f.view.SetRange("1", "3", "1");  // 4 points
  f.view.onProcess = [&](int call) {
    if (call == 2) f.run.btnResetClick();
    if (call == 3) {
      EXPECT_EQ(f.view.points.size(), 1u);  // the point after Reset, on the empty chart
      f.run.btnStopClick();
    }
  };
  f.run.btnRunClick();
  EXPECT_EQ(f.view.points.size(), 2u);
  EXPECT_EQ(f.instrument.sent.size(), 4u);
}

TEST(SweepRun, RangeLeftMidSweepKeepsThePointCount) {
  Fixture f;
  f.view.SetRange("10", "13", "1");  // 5 points
  f.view.onProcess = [&](int call) {
    if (call == 2) {
      f.view.SetRange("20", "21", "0.5");  // a new step takes effect with the next ApplyRange
      f.view.ApplyRange();
    }
    if (call == 5) f.run.btnStopClick();
  };
  f.run.btnRunClick();
  EXPECT_EQ(f.state.PointCount, 5);
  // Points 2 to 4 of the first sweep come from the new range, still 5 points in all.
  const std::vector<std::int32_t> firstSweep(f.instrument.sentKhz.begin(), f.instrument.sentKhz.begin() + 5);
  EXPECT_EQ(firstSweep, (std::vector<std::int32_t>{10000, 11000, 21000, 21000, 21000}));
}

TEST(SweepRun, LoadDuringFinishingEndsTheSweepAtOnce) {
  Fixture f;
  f.view.SetRange("10.6", "10.8", "0.001");
  f.view.onProcess = [&](int call) {
    if (call == 3) {
      f.run.btnStopClick();
      f.state.PointCount = 7;  // a load leaves its points saveable and abandons the sweep
      f.state.SweepAbandoned = true;
    }
  };
  f.run.btnRunClick();
  EXPECT_EQ(f.instrument.sent.size(), 3u);
  EXPECT_EQ(f.state.PointCount, 7);
}

TEST(SweepRun, StartDuringARunIsIgnored) {
  Fixture f;
  f.view.onProcess = [&](int call) {
    if (call == 1) f.run.btnRunClick();
    if (call == 1) f.run.btnStopClick();
  };
  f.run.btnRunClick();
  EXPECT_EQ(f.instrument.sent.size(), 2u);
}

TEST(SweepRun, UnmeasurableRangesAreRefusedBeforeAnythingChanges) {
  const struct { const char* fmin; const char* fmax; const char* fstep; } rows[] = {
      {"10.8", "10.6", "0.1"},  // no point
      {"10.6", "10.8", "-0.1"},
      {"5", "5", "0"},          // 0 / 0
      {"1", "150", "0.001"},    // 149,001 points
  };
  for (const auto& row : rows) {
    Fixture f;
    f.view.SetRange(row.fmin, row.fmax, row.fstep);
    EXPECT_THROW(f.run.btnRunClick(), AppError) << row.fmin << " " << row.fmax << " " << row.fstep;
    EXPECT_TRUE(f.view.log.empty());
    EXPECT_FALSE(f.state.Running);
    EXPECT_TRUE(f.instrument.sent.empty());
  }
}

TEST(SweepRun, ARangeGrownPastTheTableEndsTheRunAsStopWould) {
  Fixture f;
  f.view.onProcess = [&](int call) {
    if (call == 1) {
      f.view.SetRange("1", "150", "0.001");
      f.view.ApplyRange();
    }
  };
  EXPECT_THROW(f.run.btnRunClick(), AppError);
  EXPECT_FALSE(f.state.Running);
  EXPECT_TRUE(f.view.buttonsEnabled);
  EXPECT_EQ(f.instrument.sent.size(), 2u);
  EXPECT_FALSE(f.run.InProgress());
}

TEST(SweepRun, ZeroStepRaisesTheDivisionError) {
  Fixture f;
  f.view.SetRange("10", "11", "0");
  try {
    f.run.btnRunClick();
    FAIL();
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "Floating point division by zero");
  }
  EXPECT_TRUE(f.state.Running);  // stays until Stop, as do the disabled buttons and the status
  EXPECT_FALSE(f.view.buttonsEnabled);
  EXPECT_EQ(f.view.status[0], "running");
}

TEST(SweepRun, BadFieldAtStartEndsAfterClearingTheChart) {
  Fixture f;
  f.view.SetRange("10", "abc", "1");
  EXPECT_THROW(f.run.btnRunClick(), AppError);
  EXPECT_EQ(f.view.log, (std::vector<std::string>{"ClearPlot", "ApplyRange"}));
  EXPECT_TRUE(f.instrument.sent.empty());
}

TEST(SweepRun, WithoutAConnectionATimedOutPointEndsTheRun) {
  Fixture f;
  f.view.SetRange("10.6", "10.8", "0.001");
  f.instrument.connected = false;
  f.instrument.timeOutEveryRead = true;
  f.run.btnRunClick();
  EXPECT_EQ(f.instrument.sent.size(), 1u);
  EXPECT_EQ(f.view.points.size(), 1u);  // the point completes
  EXPECT_FALSE(f.state.Running);
  EXPECT_TRUE(f.view.buttonsEnabled);
}

TEST(SweepRun, StopInASweepWithATimeOutEndsItAfterTheCurrentPoint) {
  Fixture f;
  f.view.SetRange("10.6", "10.8", "0.001");
  f.instrument.onRead = [&](int point) { f.instrument.timeOutEveryRead = point == 3; };
  f.StopAt(6);
  f.run.btnRunClick();
  EXPECT_EQ(f.instrument.sent.size(), 6u);
}

TEST(SweepRun, StopInASweepWithoutTimeOutsStillFinishesIt) {
  Fixture f;
  f.view.SetRange("10.6", "10.8", "0.001");
  f.StopAt(6);
  f.run.btnRunClick();
  EXPECT_EQ(f.instrument.sent.size(), 202u);
}
