// The chart model: the axis rule, the insertion order of points, clearing, and the title rule.
#include "ui/chart_model.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sweep/app_error.h"

namespace {

// Runs one change and gives the error text, or nothing when the change passed.
template <typename Change>
std::optional<std::string> ErrorOf(Change change) {
  try {
    change();
  } catch (const AppError& error) {
    return error.what();
  }
  return std::nullopt;
}

TEST(ChartModel, StartsWithTheDesignTimeAxesAndTitle) {
  const ChartModel chart;
  EXPECT_TRUE(chart.Points().empty());
  EXPECT_EQ(chart.BottomAxis().Minimum(), 10695);
  EXPECT_EQ(chart.BottomAxis().Maximum(), 10705);
  EXPECT_EQ(chart.LeftAxis().Minimum(), -80);
  EXPECT_EQ(chart.LeftAxis().Maximum(), 0);
  EXPECT_EQ(chart.TitleLine0(), "              M\xC4\x9B\xC5\x99" "en\xC3\xAD 1");  // fourteen spaces, UTF-8
}

TEST(ChartModel, AxisRuleRefusesABoundPassingTheOtherAndIgnoresTheSameValue) {
  const std::string kMinimumError = "Axis Minimum Value must be <= Maximum";
  const std::string kMaximumError = "Axis Maximum Value must be >= Minimum";
  const struct {
    bool minimum;  // which bound the change sets
    double value;
    std::optional<std::string> error;
    double expectMin, expectMax;
    bool redraws;
  } rows[] = {
      {true, 10, kMinimumError, -90, 5, false},   {false, -100, kMaximumError, -90, 5, false},
      {true, 5, std::nullopt, 5, 5, true},         {false, -90, std::nullopt, -90, -90, true},
      {true, -90, std::nullopt, -90, 5, false},    {false, 5, std::nullopt, -90, 5, false},
      {true, -200, std::nullopt, -200, 5, true},   {false, 20, std::nullopt, -90, 20, true},
  };
  for (const auto& row : rows) {
    ChartModel chart;
    chart.SetAxisMaximum(ChartAxisId::LeftAxis, 5);
    chart.SetAxisMinimum(ChartAxisId::LeftAxis, -90);
    const auto revision = chart.ViewRevision();
    const auto error = ErrorOf([&] {
      if (row.minimum) chart.SetAxisMinimum(ChartAxisId::LeftAxis, row.value);
      else chart.SetAxisMaximum(ChartAxisId::LeftAxis, row.value);
    });
    SCOPED_TRACE((row.minimum ? "minimum " : "maximum ") + std::to_string(row.value));
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(chart.LeftAxis().Minimum(), row.expectMin);
    EXPECT_EQ(chart.LeftAxis().Maximum(), row.expectMax);
    EXPECT_EQ(chart.ViewRevision() != revision, row.redraws);
    EXPECT_EQ(chart.BottomAxis().Minimum(), 10695);  // the other axis is never touched
  }
}

TEST(ChartModel, PointsKeepAscendingFrequencyAndEqualOnesTheirArrivalOrder) {
  const struct {
    std::vector<double> frequencies;  // added in this order; the level of each is its arrival index
    std::vector<int> arrivalOrder;    // arrival indices as the list holds them
    int reshapes;                     // insertions before the end
  } rows[] = {
      {{1, 3, 2, 3}, {0, 2, 1, 3}, 1},
      {{1, 2, 3, 2}, {0, 1, 3, 2}, 1},        // after the equal one already there
      {{5, 4, 3}, {2, 1, 0}, 2},              // each at the front
      {{2, 2, 2}, {0, 1, 2}, 0},              // equal to the last: appended
      {{1, 3, 3, 2, 0.5}, {4, 0, 3, 1, 2}, 2},
  };
  for (const auto& row : rows) {
    ChartModel chart;
    const auto revision = chart.PointsRevision();
    for (std::size_t i = 0; i < row.frequencies.size(); ++i) chart.AddPoint(row.frequencies[i], static_cast<double>(i));
    std::vector<int> order;
    for (const ChartPoint& point : chart.Points()) {
      order.push_back(static_cast<int>(point.Y));
      EXPECT_EQ(point.X, row.frequencies[static_cast<std::size_t>(point.Y)]);  // X and Y stay together
      EXPECT_EQ(point.colour, kPointGreen);
      EXPECT_EQ(point.label, "");
    }
    EXPECT_EQ(order, row.arrivalOrder);
    EXPECT_EQ(chart.PointsRevision() - revision, static_cast<std::uint64_t>(row.reshapes));
  }
}

TEST(ChartModel, ClearPlotEmptiesTheSeriesOnly) {
  ChartModel chart;
  chart.SetTitleFromName("Test");
  chart.SetAxisMinimum(ChartAxisId::LeftAxis, -90);
  chart.AddPoint(1, -10);
  chart.AddPoint(2, -20);
  const auto points = chart.PointsRevision();
  const auto view = chart.ViewRevision();
  chart.ClearPlot();
  EXPECT_TRUE(chart.Points().empty());
  EXPECT_NE(chart.PointsRevision(), points);
  EXPECT_EQ(chart.ViewRevision(), view);
  EXPECT_EQ(chart.LeftAxis().Minimum(), -90);
  EXPECT_EQ(chart.TitleLine0(), std::string(16, ' ') + "Test");
}

TEST(ChartModel, TitleIsSixteenSpacesAndTheWholeName) {
  const struct { std::string name, line; } rows[] = {
      {"Test", std::string(16, ' ') + "Test"},
      {"", std::string(16, ' ')},
      {"Mereni1", std::string(16, ' ') + "Mereni1"},
      {"  two  spaces ", std::string(18, ' ') + "two  spaces "},
  };
  for (const auto& row : rows) {
    ChartModel chart;
    const auto revision = chart.ViewRevision();
    chart.SetTitleFromName(row.name);
    EXPECT_EQ(chart.TitleLine0(), row.line) << row.name;
    EXPECT_NE(chart.ViewRevision(), revision);
    const auto again = chart.ViewRevision();
    chart.SetTitleFromName(row.name);
    EXPECT_EQ(chart.ViewRevision(), again) << "the same title needs no redraw";
  }
}

}  // namespace
