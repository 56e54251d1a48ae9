// Start, Stop and Reset, and the sweep loop they drive.
#include "sweep/sweep_run.h"

#include "sweep/app_error.h"
#include "sweep/number_text.h"
#include "sweep/numeric_rules.h"
#include "sweep/point_text.h"
#include "sweep/settle_delay.h"

namespace {

bool Measurable(std::int32_t pointCount) { return pointCount >= 1 && pointCount <= kLevelTableSize; }

// Clears the in-progress mark however the run ends, the error display included.
class InProgressMark {
 public:
  explicit InProgressMark(bool& mark) : mark_(mark) { mark_ = true; }
  ~InProgressMark() { mark_ = false; }
  InProgressMark(const InProgressMark&) = delete;
  InProgressMark& operator=(const InProgressMark&) = delete;

 private:
  bool& mark_;
};

}  // namespace

std::string UnmeasurableRangeMessage(std::int32_t pointCount) {
  if (pointCount < 1) return "The range gives no point to measure: check Fmin, Fmax and Fstep";
  return "The range gives " + std::to_string(pointCount) + " points; a sweep holds at most " +
         std::to_string(kLevelTableSize);
}

SweepRun::SweepRun(RangeSettings& range, SweepState& state, Instrument& instrument, SweepView& view)
    : range_(range), state_(state), instrument_(instrument), view_(view) {}

void SweepRun::btnRunClick() {
  // A second run nested in the first one's event handling would resume the first with a foreign point count.
  if (inProgress_) return;
  InProgressMark mark(inProgress_);
  RefuseUnmeasurableFields();
  state_.TimedOut = false;
  state_.Running = true;
  view_.ClearPlot();
  view_.ApplyRange();
  view_.EnableButtons(false);
  view_.SetStatusText(0, "running");
  do {
    MeasureSweep();
  } while (state_.Running);
}

void SweepRun::btnStopClick() {
  state_.Running = false;
  view_.EnableButtons(true);
  view_.SetStatusText(0, "");
}

void SweepRun::btnResetClick() { view_.ClearPlot(); }

// Refuses, before anything changes, a range that would spin without a point or overrun the level table. Texts that
// do not parse are left to ApplyRange, which reports them.
void SweepRun::RefuseUnmeasurableFields() const {
  const char separator = view_.DecimalSeparator();
  const auto fmin = number_text::TryParseFloat(view_.FieldText(EditField::edFmin), separator);
  const auto fmax = number_text::TryParseFloat(view_.FieldText(EditField::edFmax), separator);
  const auto fstep = number_text::TryParseFloat(view_.FieldText(EditField::edFstep), separator);
  if (!fmin || !fmax || !fstep) return;
  if (*fstep == 0 && *fmax != *fmin) return;  // the division error is raised by the sweep itself
  const std::int32_t count = numeric_rules::PointCount(*fmin, *fmax, *fstep);
  if (!Measurable(count)) throw AppError(UnmeasurableRangeMessage(count));
}

std::int32_t SweepRun::CountPointsOrEndRun() {
  if (range_.Fstep == 0 && range_.Fmax != range_.Fmin) throw AppError("Floating point division by zero");
  const std::int32_t count = numeric_rules::PointCount(range_.Fmin, range_.Fmax, range_.Fstep);
  if (!Measurable(count)) {
    // The range was changed during the run; end it as Stop would and say why.
    btnStopClick();
    throw AppError(UnmeasurableRangeMessage(count));
  }
  return count;
}

void SweepRun::MeasureSweep() {
  view_.ClearPlot();
  state_.SweepAbandoned = false;
  state_.PointCount = CountPointsOrEndRun();
  bool sweepTimedOut = false;
  // PointCount is read afresh before every point: a load during the sweep's finishing ends it.
  for (std::int32_t i = 0; i < state_.PointCount && i < kLevelTableSize && !state_.SweepAbandoned; ++i) {
    double frequency = numeric_rules::PointFrequency(i, range_.Fmin, range_.Fstep);
    if (frequency > range_.Fmax) frequency = range_.Fmax;
    state_.CurrentFrequency = frequency;
    instrument_.SendFrequency(frequency);
    SettleDelay();
    state_.CurrentLevel = instrument_.ReadLevel();
    sweepTimedOut = sweepTimedOut || state_.TimedOut;
    state_.LevelTable[i] = numeric_rules::WholeDb(state_.CurrentLevel);
    state_.KhzTable[i] = numeric_rules::KhzValue(frequency);
    view_.ShowPointValues(FrequencyText(frequency), LevelText(state_.CurrentLevel));
    view_.AddPoint(frequency, state_.CurrentLevel);
    view_.ProcessPendingEvents();
    // Without a connection every point would raise another "Time out" box and Stop could never be reached.
    if (state_.TimedOut && !instrument_.Connected()) {
      if (state_.Running) btnStopClick();
      return;
    }
    // Points that time out take two read time-outs each: a Stop ends such a sweep after the current point.
    if (sweepTimedOut && !state_.Running) return;
  }
}
