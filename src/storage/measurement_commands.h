// Save and Load: the last sweep to a measurement file and a measurement file back onto the range, tables and chart.
#pragma once

#include <string>

#include "storage/measurement_format.h"
#include "sweep/sweep_state.h"
#include "sweep/sweep_view.h"

// The range settings are reached only through the view's ApplyRange, so the commands hold no reference to them.
class MeasurementCommands {
 public:
  MeasurementCommands(SweepState& state, SweepView& view);

  // Save: writes PointCount points, each at the kHz it was measured at (KhzTable) with its level (LevelTable).
  // A failure to write raises AppError naming the file; an earlier file of that name is then left as it was.
  void btnSaveClick();
  // Load: puts the file's first and last frequency into edFmin and edFmax, applies the range, fills KhzTable and
  // LevelTable, leaves PointCount at the number of points drawn, and ends a sweep that is still finishing.
  // A file that cannot be opened, or that the reader refuses, is reported and changes nothing.
  void btnLoadClick();

 private:
  void Store(const measurement_format::MeasurementSlots& file);
  void Show(const measurement_format::MeasurementSlots& file);

  SweepState& state_;
  SweepView& view_;
};

// The message for a file the reader refuses.
std::string RefusedFileMessage(const std::string& path, const measurement_format::MeasurementSlots& file);
