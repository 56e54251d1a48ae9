// The measurement in progress and the result of the last sweep or load.
#pragma once

#include <array>
#include <cstdint>

inline constexpr std::int32_t kLevelTableSize = 20000;

struct SweepState {
  std::int32_t PointCount = 0;    // points of the sweep in progress, or of the last sweep
  double CurrentFrequency = 0;    // MHz, point being measured
  double CurrentLevel = 0;        // dB, point just measured
  std::array<std::int32_t, kLevelTableSize> LevelTable{};  // whole dB of point i at index i
  // kHz sent to the instrument for point i (or read from a file), so a save writes where each level was measured.
  std::array<std::int32_t, kLevelTableSize> KhzTable{};
  bool Running = false;           // a run is in progress and starts another sweep when this one ends
  bool TimedOut = false;          // the last level read got no byte
  // Set by a file load: the sweep in progress ends before its next point (the chart and tables hold the file).
  bool SweepAbandoned = false;
};
