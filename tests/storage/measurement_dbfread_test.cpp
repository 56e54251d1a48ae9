// Files written by Save, read by an independent dBase reader (python3's dbfread): both columns must come back intact.
#include <gtest/gtest.h>
#include <stdio.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fake_sweep_view.h"
#include "measurement_test_support.h"
#include "storage/measurement_commands.h"

namespace {

// The Debian package serves the system interpreter, which a python3 earlier on PATH may hide.
std::string PythonWithDbfread() {
  for (const std::string python : {"python3", "/usr/bin/python3"}) {
    if (std::system((python + " -c 'import dbfread' >/dev/null 2>&1").c_str()) == 0) return python;
  }
  return {};
}

std::string Output(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char chunk[4096];
  for (std::size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, got);
  pclose(pipe);
  return output;
}

struct Sweep {
  double fmin, fmax, fstep;
};

class MeasurementFileInDbfread : public ::testing::TestWithParam<Sweep> {};

TEST_P(MeasurementFileInDbfread, ReadsEveryRecordsFrequencyAndLevel) {
  const std::string python = PythonWithDbfread();
  if (python.empty()) GTEST_SKIP() << "python3 with dbfread is not installed (scripts/install-deps.sh installs it)";
  ScratchFolder folder;
  RangeSettings range;
  SweepState state;
  FakeSweepView view{range};
  MeasurementCommands commands{state, view};
  const std::int32_t count = MeasuredSweep(state, GetParam().fmin, GetParam().fmax, GetParam().fstep);
  view.chosenFile = folder.File("sweep.dbf");
  commands.btnSaveClick();

  std::string expected = "field FREQ N 12\nfield AMPL N 12\n";
  for (std::int32_t i = 0; i < count; ++i) {
    expected += std::to_string(state.KhzTable[i]) + " " + std::to_string(state.LevelTable[i]) + "\n";
  }
  EXPECT_EQ(Output(python + " " QUENRIK_DBF_DUMP_SCRIPT " '" + *view.chosenFile + "' 2>&1"), expected);
}

// 14 and more points give count bytes that differ from a binary record count; the reader must cope.
INSTANTIATE_TEST_SUITE_P(Table, MeasurementFileInDbfread,
                         ::testing::Values(Sweep{10.695, 10.705, 0.1}, Sweep{1, 15, 1}, Sweep{-2, 297, 1},
                                           Sweep{1, 150, 0.01}));

}  // namespace
