// quenrik-sweep against quenrik-sim over a pseudo-terminal: the frames sent, the lines printed, the exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "child_process.h"

namespace {

struct Console {
  TempFolder config;  // an empty settings folder: the defaults apply and nothing of the user's is read

  ProcessResult Run(const std::vector<std::string>& arguments, std::chrono::seconds limit = std::chrono::seconds(60)) {
    return RunProgram(QUENRIK_SWEEP, arguments, {{"XDG_CONFIG_HOME", config.Path()}, {"HOME", config.Path()}},
                      limit);
  }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Frame(int khz) {
  char text[16];
  std::snprintf(text, sizeof text, "%09d", khz);
  return text;
}

}  // namespace

struct SentRow {
  const char* fmin;
  const char* fmax;
  const char* fstep;
  std::size_t points;
  std::vector<int> firstKhz;
  std::vector<int> lastKhz;
};

void PrintTo(const SentRow& row, std::ostream* out) { *out << row.fmin << " to " << row.fmax << " step " << row.fstep; }

class ConsoleWorkedCounts : public ::testing::TestWithParam<SentRow> {};

TEST_P(ConsoleWorkedCounts, SendsThePointsOfOneSweep) {
  const SentRow& row = GetParam();
  SimulatorProcess sim({"--model", "flat"});
  Console console;
  // The 14,901-point row takes about a minute in a sanitizer build.
  const ProcessResult result = console.Run(
      {"--port", sim.Device(), "--fmin", row.fmin, "--fmax", row.fmax, "--fstep", row.fstep, "--timeout", "2000"},
      std::chrono::seconds(180));
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Lines(result.out).size(), row.points);
  const std::vector<std::string> frames = sim.LoggedFrames();
  ASSERT_EQ(frames.size(), row.points);
  for (std::size_t i = 0; i < row.firstKhz.size(); ++i) EXPECT_EQ(frames[i], Frame(row.firstKhz[i])) << i;
  for (std::size_t i = 0; i < row.lastKhz.size(); ++i)
    EXPECT_EQ(frames[frames.size() - row.lastKhz.size() + i], Frame(row.lastKhz[i])) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConsoleWorkedCounts,
    ::testing::Values(SentRow{"10.695", "10.705", "0.1", 2, {10695, 10705}, {}},
                      SentRow{"10.6", "10.8", "0.1", 4, {10600, 10700, 10800, 10800}, {}},
                      SentRow{"10.6", "10.7", "0.1", 2, {10600, 10700}, {}},
                      SentRow{"10.6", "10.8", "0.001", 202, {10600, 10601}, {10799, 10800, 10800}},
                      SentRow{"10", "20", "1", 12, {10000, 11000}, {20000, 20000}},
                      SentRow{"10", "20", "0.3", 35, {10000, 10300}, {19900, 20000}},
                      SentRow{"0.1", "0.3", "0.1", 3, {100, 200, 300}, {}},
                      SentRow{"1", "150", "0.01", 14901, {1000, 1010}, {149990, 150000}},
                      SentRow{"5", "5", "1", 2, {5000, 5000}, {}},
                      SentRow{"10.705", "10.695", "0.1", 1, {10695}, {}}));

TEST(Console, DefaultRangeAndPointTexts) {
  SimulatorProcess sim({"--model", "flat", "--level", "0"});
  Console console;
  const ProcessResult result = console.Run({"--port", sim.Device(), "--timeout", "2000"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Lines(result.out), (std::vector<std::string>{"     10.695\t 0.0", "     10.705\t 0.0"}));
}

TEST(Console, SweepsOptionMeasuresWholeSweeps) {
  SimulatorProcess sim({"--model", "flat"});
  Console console;
  const ProcessResult result = console.Run({"--port", sim.Device(), "--fmin", "10", "--fmax", "11", "--fstep", "0.25",
                                            "--sweeps", "3", "--timeout", "2000"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Lines(result.out).size(), 18u);  // 6 points a sweep
}

TEST(Console, ErrorsAndUsage) {
  Console console;
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string err;
  } rows[] = {
      {{"--fmin", "abc"}, 1, "'abc' is not a valid floating point value\n"},
      {{"--fmin", "12,5"}, 1, "'12,5' is not a valid floating point value\n"},
      {{"--fmin", "10.8", "--fmax", "10.6"}, 1, ""},  // no point: refused with a message
      {{"--port", "/dev/quenrik-no-such-port"}, 1, "Can't open serial port\n"},
      {{"--bogus", "1"}, 2, ""},
      {{"--fmin"}, 2, ""},
      {{"--sweeps", "0"}, 1, ""},
  };
  for (const auto& row : rows) {
    const ProcessResult result = console.Run(row.arguments, std::chrono::seconds(20));
    EXPECT_EQ(result.exitCode, row.exitCode) << row.arguments[0] << " " << result.err;
    if (!row.err.empty()) {
      EXPECT_EQ(result.err, row.err);
    }
    EXPECT_FALSE(result.err.empty());
  }
}

TEST(Console, SilentInstrumentEndsTheStoppedSweepAfterItsTimedOutPoint) {
  SimulatorProcess sim({"--fault", "silent"});
  Console console;
  const ProcessResult result = console.Run({"--port", sim.Device(), "--fmin", "10.6", "--fmax", "10.8", "--fstep",
                                            "0.001", "--timeout", "200"},
                                           std::chrono::seconds(20));
  EXPECT_EQ(result.exitCode, 0);
  // Stop is pressed during the first sweep; its first point timed out, so the sweep ends there, not 202 boxes later.
  EXPECT_EQ(Lines(result.err), (std::vector<std::string>{"Time out"}));
  EXPECT_EQ(Lines(result.out), (std::vector<std::string>{"     10.600	-107.9"}));
}

TEST(Console, SaveThenLoadPrintsTheMeasuredSweep) {
  SimulatorProcess sim({"--model", "flat", "--level", "-12.2"});
  Console console;
  const std::string file = console.config.Path() + "/run.dbf";
  const ProcessResult saved = console.Run({"--port", sim.Device(), "--fmin", "10.695", "--fmax", "10.705", "--fstep",
                                           "0.1", "--save", file, "--timeout", "2000"});
  ASSERT_EQ(saved.exitCode, 0) << saved.err;
  EXPECT_EQ(std::filesystem::file_size(file), 97u + 2 * 25u);

  const ProcessResult loaded = console.Run({"--load", file});
  ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
  // The measured frequencies come back, the last one where it was measured; levels in whole dB.
  EXPECT_EQ(Lines(loaded.out),
            (std::vector<std::string>{"fmin=10.695", "fmax=10.705", "     10.695\t-12.0", "     10.705\t-12.0"}));

  const ProcessResult missing = console.Run({"--load", console.config.Path() + "/none.dbf"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "File does not exist\n");
}
