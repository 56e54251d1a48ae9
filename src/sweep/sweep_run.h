// The sweep run behind Start, Stop and Reset: point after point, sweep after sweep, until Stop.
#pragma once

#include "sweep/instrument.h"
#include "sweep/range_settings.h"
#include "sweep/sweep_state.h"
#include "sweep/sweep_view.h"

class SweepRun {
 public:
  SweepRun(RangeSettings& range, SweepState& state, Instrument& instrument, SweepView& view);

  // Start: runs sweeps until Stop and returns when the run has ended. Ignored while a run is in progress.
  void btnRunClick();
  // Stop: the sweep in progress still goes on to its last point (unless its points time out).
  void btnStopClick();
  // Reset: empties the chart only.
  void btnResetClick();

  bool InProgress() const { return inProgress_; }

 private:
  void RefuseUnmeasurableFields() const;
  std::int32_t CountPointsOrEndRun();
  void MeasureSweep();

  RangeSettings& range_;
  SweepState& state_;
  Instrument& instrument_;
  SweepView& view_;
  bool inProgress_ = false;
};

// The message for a range that gives no point or more points than the level table holds.
std::string UnmeasurableRangeMessage(std::int32_t pointCount);
