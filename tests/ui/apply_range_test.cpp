// ApplyRange: the order of the five conversions, the order of the axis changes, and the start-up variant.
#include "ui/apply_range.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fake_sweep_view.h"
#include "sweep/app_error.h"

namespace {

const std::string kMinimumError = "Axis Minimum Value must be <= Maximum";

struct Fields {
  std::string fmin, fmax, fstep, mindb, maxdb;
};

struct Axes {
  double fmin, fmax, mindb, maxdb;
  friend bool operator==(const Axes&, const Axes&) = default;
};

void PrintTo(const Axes& axes, std::ostream* out) {
  *out << "frequency " << axes.fmin << ".." << axes.fmax << ", level " << axes.mindb << ".." << axes.maxdb;
}

class ApplyRangeTest : public ::testing::Test {
 protected:
  // Types the five texts into the fields and applies them; gives the error text, if any.
  std::optional<std::string> Apply(const Fields& texts, bool atStartUp = false) {
    view_.fields[EditField::edFmin] = texts.fmin;
    view_.fields[EditField::edFmax] = texts.fmax;
    view_.fields[EditField::edFstep] = texts.fstep;
    view_.fields[EditField::edMindb] = texts.mindb;
    view_.fields[EditField::edMaxdb] = texts.maxdb;
    try {
      if (atStartUp) ApplyRangeAtStartUp(view_, range_, chart_);
      else ApplyRange(view_, range_, chart_);
    } catch (const AppError& error) {
      return error.what();
    }
    return std::nullopt;
  }

  Axes ShownAxes() const {
    return {chart_.BottomAxis().Minimum(), chart_.BottomAxis().Maximum(), chart_.LeftAxis().Minimum(),
            chart_.LeftAxis().Maximum()};
  }

  RangeSettings range_{1, 2, 3, 4, 5};
  FakeSweepView view_{range_};
  ChartModel chart_;
};

// One ApplyRange of a sequence and what it leaves.
struct Step {
  Fields texts;
  std::optional<std::string> error;
  Axes axes;
};

struct Sequence {
  const char* name;
  std::vector<Step> steps;
};

TEST_F(ApplyRangeTest, AxisChangesFollowTheFixedOrderAndStopAtTheFirstRefusal) {
  const Sequence sequences[] = {
      {"min dB 10 after -90..5 does nothing, then max dB 20 is refused at the minimum",
       {{{"10.695", "10.705", "0.1", "-90", "5"}, std::nullopt, {10.695, 10.705, -90, 5}},
        {{"10.695", "10.705", "0.1", "10", "5"}, std::nullopt, {10.695, 10.705, -90, 5}},
        {{"10.695", "10.705", "0.1", "10", "20"}, kMinimumError, {10.695, 10.705, -90, 5}},
        {{"10.695", "10.705", "0.1", "10", "20"}, kMinimumError, {10.695, 10.705, -90, 5}},
        {{"10.695", "10.705", "0.1", "5", "20"}, std::nullopt, {10.695, 10.705, 5, 20}}}},
      {"max dB 20 first, then min dB 10, is accepted",
       {{{"10.695", "10.705", "0.1", "-90", "5"}, std::nullopt, {10.695, 10.705, -90, 5}},
        {{"10.695", "10.705", "0.1", "-90", "20"}, std::nullopt, {10.695, 10.705, -90, 20}},
        {{"10.695", "10.705", "0.1", "10", "20"}, std::nullopt, {10.695, 10.705, 10, 20}}}},
      {"a move downwards is always accepted",
       {{{"10.695", "10.705", "0.1", "-90", "5"}, std::nullopt, {10.695, 10.705, -90, 5}},
        {{"10.695", "10.705", "0.1", "-200", "-100"}, std::nullopt, {10.695, 10.705, -200, -100}}}},
      {"the frequency axis is opened to 0..150,000,000 first",
       {{{"140000000", "141000000", "1", "-80", "0"}, std::nullopt, {140000000, 141000000, -80, 0}},
        {{"0", "150000000", "1", "-80", "0"}, std::nullopt, {0, 150000000, -80, 0}},
        {{"10.695", "10.705", "0.1", "-80", "0"}, std::nullopt, {10.695, 10.705, -80, 0}},
        {{"150000000", "150000001", "1", "-80", "0"}, std::nullopt, {150000000, 150000001, -80, 0}}}},
      {"Fmin above 150,000,000 is refused at the third change; the level change before it stays",
       {{{"150000001", "160000000", "1", "-50", "-10"}, kMinimumError, {0, 150000000, -50, -10}}}},
      {"after a negative range every later range is refused at the first change",
       {{{"-10", "-5", "1", "-80", "0"}, std::nullopt, {-10, -5, -80, 0}},
        {{"1", "2", "1", "-80", "0"}, kMinimumError, {-10, -5, -80, 0}},
        {{"-20", "-15", "1", "-80", "0"}, kMinimumError, {-10, -5, -80, 0}}}},
      {"equal and reversed ranges leave each axis alone without a message",
       {{{"10", "20", "1", "-60", "-10"}, std::nullopt, {10, 20, -60, -10}},
        {{"30", "30", "1", "-5", "-5"}, std::nullopt, {10, 20, -60, -10}},
        {{"40", "35", "1", "0", "-50"}, std::nullopt, {10, 20, -60, -10}}}},
  };
  for (const Sequence& sequence : sequences) {
    SCOPED_TRACE(sequence.name);
    chart_ = ChartModel();
    for (const Step& step : sequence.steps) {
      SCOPED_TRACE(step.texts.fmin + " " + step.texts.fmax + " " + step.texts.mindb + " " + step.texts.maxdb);
      EXPECT_EQ(Apply(step.texts), step.error);
      EXPECT_EQ(ShownAxes(), step.axes);
      // The settings take all five values even when an axis refused them.
      const char separator = '.';
      EXPECT_EQ(range_.Fmin, number_text::ParseFloat(step.texts.fmin, separator));
      EXPECT_EQ(range_.Fmax, number_text::ParseFloat(step.texts.fmax, separator));
      EXPECT_EQ(range_.MinDb, number_text::ParseFloat(step.texts.mindb, separator));
      EXPECT_EQ(range_.MaxDb, number_text::ParseFloat(step.texts.maxdb, separator));
    }
  }
}

TEST_F(ApplyRangeTest, AConversionErrorKeepsTheFieldsBeforeItAndTouchesNoAxis) {
  const struct {
    Fields texts;
    std::string error;
    RangeSettings expected;
  } rows[] = {
      {{"20", "abc", "0.5", "-50", "-10"}, "'abc' is not a valid floating point value", {20, 2, 3, 4, 5}},
      {{"abc", "30", "0.5", "-50", "-10"}, "'abc' is not a valid floating point value", {1, 2, 3, 4, 5}},
      {{"20", "30", "", "-50", "-10"}, "'' is not a valid floating point value", {20, 30, 3, 4, 5}},
      {{"20", "30", "0.5", "12,5", "-10"}, "'12,5' is not a valid floating point value", {20, 30, 0.5, 4, 5}},
      {{"20", "30", "0.5", "-50", "1e400"}, "Floating point overflow", {20, 30, 0.5, -50, 5}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.texts.fmin + " " + row.texts.fmax + " " + row.texts.fstep + " " + row.texts.mindb + " " +
                 row.texts.maxdb);
    range_ = {1, 2, 3, 4, 5};
    chart_ = ChartModel();
    EXPECT_EQ(Apply(row.texts), row.error);
    EXPECT_EQ(range_.Fmin, row.expected.Fmin);
    EXPECT_EQ(range_.Fmax, row.expected.Fmax);
    EXPECT_EQ(range_.Fstep, row.expected.Fstep);
    EXPECT_EQ(range_.MinDb, row.expected.MinDb);
    EXPECT_EQ(range_.MaxDb, row.expected.MaxDb);
    EXPECT_EQ(ShownAxes(), (Axes{10695, 10705, -80, 0}));
    EXPECT_EQ(chart_.ViewRevision(), ChartModel().ViewRevision());
  }
}

// A view whose locale writes numbers with a decimal comma.
class CommaView : public FakeSweepView {
 public:
  using FakeSweepView::FakeSweepView;
  char DecimalSeparator() const override { return ','; }
};

TEST(ApplyRange, ReadsTheFieldsWithTheViewsDecimalSeparator) {
  RangeSettings range;
  CommaView view(range);
  view.fields = {{EditField::edFmin, "10,6"}, {EditField::edFmax, " 10,8 "}, {EditField::edFstep, "0,01"},
                 {EditField::edMindb, "-90,5"}, {EditField::edMaxdb, "1e1"}};
  ChartModel chart;
  ApplyRange(view, range, chart);
  EXPECT_EQ(range.Fmin, 10.6);
  EXPECT_EQ(range.Fmax, 10.8);
  EXPECT_EQ(range.Fstep, 0.01);
  EXPECT_EQ(chart.LeftAxis().Minimum(), -90.5);
  EXPECT_EQ(chart.LeftAxis().Maximum(), 10);
}

TEST_F(ApplyRangeTest, AtStartUpEveryStoredRangeIsShown) {
  const struct {
    Fields stored;
    bool plainApplyRefuses;  // what start-up would meet without the widening
    Axes axes;
  } rows[] = {
      {{"10.695", "10.705", "0.1", "-90", "5"}, false, {10.695, 10.705, -90, 5}},
      {{"10.695", "10.705", "0.1", "10", "20"}, true, {10.695, 10.705, 10, 20}},
      {{"10.695", "10.705", "0.1", "0", "20"}, false, {10.695, 10.705, 0, 20}},
      {{"200000000", "300000000", "1", "-90", "5"}, true, {200000000, 300000000, -90, 5}},
      {{"200000000", "300000000", "1", "30", "40"}, true, {200000000, 300000000, 30, 40}},
      {{"-10", "-5", "1", "-200", "-100"}, false, {-10, -5, -200, -100}},
      {{"0", "150000000", "1", "-1e300", "1e300"}, false, {0, 150000000, -1e300, 1e300}},
      {{"5", "5", "1", "7", "3"}, false, {10695, 10705, -80, 0}},  // equal and reversed: the design-time axes
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.stored.fmin + " " + row.stored.fmax + " " + row.stored.mindb + " " + row.stored.maxdb);
    chart_ = ChartModel();
    EXPECT_EQ(Apply(row.stored).has_value(), row.plainApplyRefuses);
    chart_ = ChartModel();
    EXPECT_EQ(Apply(row.stored, true), std::nullopt);
    EXPECT_EQ(ShownAxes(), row.axes);
    EXPECT_EQ(range_.MinDb, number_text::ParseFloat(row.stored.mindb, '.'));
  }
  // A field that does not convert is still reported.
  chart_ = ChartModel();
  EXPECT_EQ(Apply({"1", "x", "1", "2", "3"}, true), "'x' is not a valid floating point value");
}

}  // namespace
