// The insertion rule of the points, the axis rule and the title rule.
#include "ui/chart_model.h"

#include <utility>

#include "sweep/app_error.h"

bool ChartAxis::SetMinimum(double value) {
  if (value == minimum_) return false;
  if (value > maximum_) throw AppError("Axis Minimum Value must be <= Maximum");
  minimum_ = value;
  return true;
}

bool ChartAxis::SetMaximum(double value) {
  if (value == maximum_) return false;
  if (value < minimum_) throw AppError("Axis Maximum Value must be >= Minimum");
  maximum_ = value;
  return true;
}

ChartModel::ChartModel() : titleLine0_(std::string(14, ' ') + "Měření 1") {}

void ChartModel::AddPoint(double frequency, double level) {
  // Scan back past every point with a greater frequency; the new one goes after the first that is not greater.
  std::size_t position = points_.size();
  while (position > 0 && points_[position - 1].X > frequency) --position;
  if (position != points_.size()) ++pointsRevision_;
  points_.insert(points_.begin() + static_cast<std::ptrdiff_t>(position), ChartPoint{frequency, level, kPointGreen, {}});
}

void ChartModel::ClearPlot() {
  points_.clear();
  ++pointsRevision_;
}

void ChartModel::SetAxisMinimum(ChartAxisId axis, double value) {
  if (MutableAxis(axis).SetMinimum(value)) ++viewRevision_;
}

void ChartModel::SetAxisMaximum(ChartAxisId axis, double value) {
  if (MutableAxis(axis).SetMaximum(value)) ++viewRevision_;
}

void ChartModel::SetTitleFromName(const std::string& name) {
  std::string line = std::string(16, ' ') + name;
  if (line == titleLine0_) return;
  titleLine0_ = std::move(line);
  ++viewRevision_;
}
