// Helpers of the measurement file tests: a scratch folder, whole-file bytes, and a sweep as the sweep run leaves it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "storage/measurement_format.h"
#include "sweep/numeric_rules.h"
#include "sweep/sweep_state.h"

// A fresh folder under the system's temporary folder, removed with everything in it at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quenrik-measurement-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "no scratch folder";
    path_ = pattern;
  }
  // Folders a test locked are opened again first, so an unprivileged run can remove them too.
  ~ScratchFolder() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      if (it->is_directory(ignored)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

  // The names in the folder, to show that no temporary file is left behind.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) names.insert(entry.path().filename().string());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline measurement_format::Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return measurement_format::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const measurement_format::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A level for point i that covers negative, zero and positive whole dB.
inline std::int32_t LevelOfPoint(std::int32_t i) { return i % 151 - 120; }

// Leaves the state as a completed sweep over the range leaves it: the kHz sent for each point (clamped onto Fmax)
// beside its level. Returns the point count.
inline std::int32_t MeasuredSweep(SweepState& state, double fmin, double fmax, double fstep) {
  state.PointCount = numeric_rules::PointCount(fmin, fmax, fstep);
  for (std::int32_t i = 0; i < state.PointCount; ++i) {
    const double frequency = std::min(numeric_rules::PointFrequency(i, fmin, fstep), fmax);
    state.KhzTable[i] = numeric_rules::KhzValue(frequency);
    state.LevelTable[i] = LevelOfPoint(i);
  }
  return state.PointCount;
}
