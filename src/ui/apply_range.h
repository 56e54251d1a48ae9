// ApplyRange: the five range fields into RangeSettings, then the level and frequency axes.
#pragma once

#include "sweep/range_settings.h"
#include "sweep/sweep_view.h"
#include "ui/chart_model.h"

// Parses edFmin, edFmax, edFstep, edMindb, edMaxdb in this order, storing each value as soon as it converts;
// then sets the level axis (if MaxDb > MinDb) and the frequency axis, opened to 0..150,000,000 first
// (if Fmax > Fmin). The first conversion error or refused axis change ends it; what was done before stays.
void ApplyRange(const SweepView& fields, RangeSettings& range, ChartModel& chart);

// The ApplyRange of start-up: the same parsing, but each axis is first widened to take the new range, so a
// stored range is never refused there and the program always starts with the axes showing it.
void ApplyRangeAtStartUp(const SweepView& fields, RangeSettings& range, ChartModel& chart);
