// Save and Load through the view: file dialogs, the overwrite question, status texts, range fields and chart.
#include "storage/measurement_commands.h"

#include <algorithm>
#include <vector>

#include "storage/measurement_file.h"
#include "sweep/app_error.h"
#include "sweep/number_text.h"
#include "sweep/numeric_rules.h"

using measurement_format::MeasuredPoint;
using measurement_format::MeasurementSlots;
using measurement_format::ReadProblem;

std::string RefusedFileMessage(const std::string& path, const MeasurementSlots& file) {
  const std::string name = "'" + path + "'";
  switch (file.problem) {
    case ReadProblem::None:
      break;
    case ReadProblem::TooShort:
      return name + " is not a measurement file: it is shorter than the 97-byte header";
    case ReadProblem::CountBelowOne:
      return name + " is not a measurement file: its record count is " + std::to_string(file.recordCount);
    case ReadProblem::CountTooLarge:
      return name + " claims " + std::to_string(file.recordCount - 1) + " points; a measurement holds at most " +
             std::to_string(kLevelTableSize);
    case ReadProblem::NoFirstPoint:
      return name + " has no readable first point";
  }
  return {};
}

MeasurementCommands::MeasurementCommands(SweepState& state, SweepView& view) : state_(state), view_(view) {}

void MeasurementCommands::btnSaveClick() {
  const auto path = view_.ChooseFile(FileKind::Save, view_.FieldText(EditField::edJmeno));
  if (!path) return;
  if (measurement_file::FileExists(*path) && view_.ShowMessageBox("File already exists - overwrite?", "Warning",
                                                                  MessageStyle::Question) != MessageResult::Yes) {
    return;
  }
  view_.SetStatusText(0, "Saving");
  view_.RepaintNow();
  // The run never leaves PointCount outside the table; the clamp keeps the tables' bounds whatever it holds.
  const auto count = static_cast<std::size_t>(std::clamp(state_.PointCount, 0, kLevelTableSize));
  std::vector<MeasuredPoint> points(count);
  for (std::size_t i = 0; i < count; ++i) points[i] = {state_.KhzTable[i], state_.LevelTable[i]};
  const auto failure = measurement_file::ReplaceFile(*path, measurement_format::WriteMeasurement(points));
  view_.SetStatusText(0, "");
  if (failure) throw AppError(*failure);
}

void MeasurementCommands::btnLoadClick() {
  const auto path = view_.ChooseFile(FileKind::Open, "");
  if (!path) return;
  view_.SetStatusText(0, "Loading");
  view_.RepaintNow();
  const auto bytes = measurement_file::ReadStart(*path, measurement_format::kLargestUsefulFile);
  if (!bytes) {
    view_.ShowMessageBox("File does not exist", "Error", MessageStyle::Warning);
    view_.SetStatusText(0, "");
    return;
  }
  const MeasurementSlots file = measurement_format::ReadMeasurement(*bytes);
  if (file.problem != ReadProblem::None) {
    view_.ShowMessageBox(RefusedFileMessage(*path, file), "Error", MessageStyle::Warning);
    view_.SetStatusText(0, "");
    return;
  }
  Store(file);
  view_.ClearPlot();
  // An error in ApplyRange ends the command here: the plot stays empty and the status keeps "Loading".
  Show(file);
  view_.SetStatusText(0, "");
}

// The file's points become the last sweep: a Save writes them back, and a sweep still finishing ends at once.
void MeasurementCommands::Store(const MeasurementSlots& file) {
  const std::size_t stored = std::min(file.points.size(), static_cast<std::size_t>(kLevelTableSize));
  for (std::size_t i = 0; i < stored; ++i) {
    state_.KhzTable[i] = file.points[i].khz;
    state_.LevelTable[i] = file.points[i].level;
  }
  state_.PointCount = file.recordCount - 1;
  state_.SweepAbandoned = true;
}

// A file with no readable slot (a count of 1 and no record) leaves the range fields' texts as they are.
void MeasurementCommands::Show(const MeasurementSlots& file) {
  if (!file.points.empty()) {
    const char separator = view_.DecimalSeparator();
    const auto text = [separator](const MeasuredPoint& slot) {
      return number_text::FormatGeneral(numeric_rules::MegahertzFromKhz(slot.khz), separator);
    };
    view_.SetFieldText(EditField::edFmin, text(file.points.front()));
    view_.SetFieldText(EditField::edFmax, text(file.points.back()));
  }
  view_.ApplyRange();
  // The last slot only names the end of the range: C slots draw C - 1 points.
  for (std::size_t i = 0; i + 1 < file.points.size(); ++i) {
    state_.CurrentLevel = file.points[i].level;
    view_.AddPoint(numeric_rules::MegahertzFromKhz(file.points[i].khz), state_.CurrentLevel);
  }
}
