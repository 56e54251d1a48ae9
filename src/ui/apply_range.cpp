// ApplyRange and its start-up variant.
#include "ui/apply_range.h"

#include <algorithm>

#include "sweep/number_text.h"

namespace {

constexpr double kFrequencyAxisOpenMaximum = 150000000;

void ParseRangeFields(const SweepView& fields, RangeSettings& range) {
  const char separator = fields.DecimalSeparator();
  range.Fmin = number_text::ParseFloat(fields.FieldText(EditField::edFmin), separator);
  range.Fmax = number_text::ParseFloat(fields.FieldText(EditField::edFmax), separator);
  range.Fstep = number_text::ParseFloat(fields.FieldText(EditField::edFstep), separator);
  range.MinDb = number_text::ParseFloat(fields.FieldText(EditField::edMindb), separator);
  range.MaxDb = number_text::ParseFloat(fields.FieldText(EditField::edMaxdb), separator);
}

// Raising the maximum first (never below the current one) lets the minimum and then the maximum pass the rule
// whatever the axis showed before.
void WidenThenSet(ChartModel& chart, ChartAxisId id, double minimum, double maximum) {
  chart.SetAxisMaximum(id, std::max(chart.Axis(id).Maximum(), maximum));
  chart.SetAxisMinimum(id, minimum);
  chart.SetAxisMaximum(id, maximum);
}

}  // namespace

void ApplyRange(const SweepView& fields, RangeSettings& range, ChartModel& chart) {
  ParseRangeFields(fields, range);
  if (range.MaxDb > range.MinDb) {
    chart.SetAxisMinimum(ChartAxisId::LeftAxis, range.MinDb);
    chart.SetAxisMaximum(ChartAxisId::LeftAxis, range.MaxDb);
  }
  if (range.Fmax > range.Fmin) {
    chart.SetAxisMinimum(ChartAxisId::BottomAxis, 0);
    chart.SetAxisMaximum(ChartAxisId::BottomAxis, kFrequencyAxisOpenMaximum);
    chart.SetAxisMinimum(ChartAxisId::BottomAxis, range.Fmin);
    chart.SetAxisMaximum(ChartAxisId::BottomAxis, range.Fmax);
  }
}

void ApplyRangeAtStartUp(const SweepView& fields, RangeSettings& range, ChartModel& chart) {
  ParseRangeFields(fields, range);
  if (range.MaxDb > range.MinDb)
    WidenThenSet(chart, ChartAxisId::LeftAxis, range.MinDb, range.MaxDb);
  if (range.Fmax > range.Fmin)
    WidenThenSet(chart, ChartAxisId::BottomAxis, range.Fmin, range.Fmax);
}
