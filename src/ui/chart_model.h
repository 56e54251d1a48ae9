// What the chart holds: the ordered points, the two axes with their rule, and title line 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ChartColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const ChartColour&, const ChartColour&) = default;
};

// Every point this program adds is drawn in this colour.
inline constexpr ChartColour kPointGreen{0, 128, 0};

struct ChartPoint {
  double X = 0;  // frequency, MHz
  double Y = 0;  // level, dB
  ChartColour colour;
  std::string label;
};

// An axis range under the rule every program change meets: the minimum never passes the maximum.
class ChartAxis {
 public:
  ChartAxis(double minimum, double maximum) : minimum_(minimum), maximum_(maximum) {}

  double Minimum() const { return minimum_; }
  double Maximum() const { return maximum_; }

  // Throws AppError and leaves the axis alone when the new bound would pass the other one;
  // returns whether the axis changed (false when the bound already had that value).
  bool SetMinimum(double value);
  bool SetMaximum(double value);

 private:
  double minimum_;
  double maximum_;
};

enum class ChartAxisId { BottomAxis, LeftAxis };

class ChartModel {
 public:
  // The design-time state: frequency 10,695 to 10,705, level -80 to 0, fourteen spaces and "Měření 1".
  ChartModel();

  const std::vector<ChartPoint>& Points() const { return points_; }
  const ChartAxis& BottomAxis() const { return bottomAxis_; }
  const ChartAxis& LeftAxis() const { return leftAxis_; }
  const ChartAxis& Axis(ChartAxisId axis) const { return axis == ChartAxisId::BottomAxis ? bottomAxis_ : leftAxis_; }
  const std::string& TitleLine0() const { return titleLine0_; }

  // Green point with an empty label; equal frequencies keep their order of arrival.
  void AddPoint(double frequency, double level);
  void ClearPlot();

  // The axis rule (ChartAxis); a refused change throws AppError and changes nothing.
  void SetAxisMinimum(ChartAxisId axis, double value);
  void SetAxisMaximum(ChartAxisId axis, double value);

  // The title rule: sixteen spaces and the measurement name's whole text.
  void SetTitleFromName(const std::string& name);

  // Bumped when an axis range or the title changes: everything on screen must be drawn again.
  std::uint64_t ViewRevision() const { return viewRevision_; }
  // Bumped when points already drawn lose their place (clear, insertion before the end); appends leave it alone,
  // so a view that drew the first n points under this revision only has to draw the ones after them.
  std::uint64_t PointsRevision() const { return pointsRevision_; }

 private:
  ChartAxis& MutableAxis(ChartAxisId axis) { return axis == ChartAxisId::BottomAxis ? bottomAxis_ : leftAxis_; }

  std::vector<ChartPoint> points_;
  ChartAxis bottomAxis_{10695, 10705};
  ChartAxis leftAxis_{-80, 0};
  std::string titleLine0_;
  std::uint64_t viewRevision_ = 0;
  std::uint64_t pointsRevision_ = 0;
};
