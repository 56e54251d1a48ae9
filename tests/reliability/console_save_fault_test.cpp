// Disk faults under the console front end's --save: a missing folder, a folder without write rights and a full
// disk (a file-size limit) each end the program with the message naming the file and exit code 1, after the
// measured points were printed, and leave the earlier file byte-identical.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <linux/capability.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "child_process.h"
#include "console_session.h"

namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

// As root, gives up the rights to pass over permission bits for the program about to start (the bounding set
// caps what exec grants root); anyone else is bound by the bits already.
bool BoundByPermissions() {
  if (geteuid() != 0) return true;
  for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
    if (prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0) return false;
  return true;
}

bool LimitFileSize() {
  // Ignored, the first write past the limit fails instead of killing the program; the disposition survives exec.
  signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{4096, 4096};
  return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

struct SaveFault {
  const char* name;
  const char* target;         // inside the scratch folder
  bool overwrites;            // the target is the earlier file
  fs::perms folderRights;     // of the folder holding the earlier file
  std::function<bool()> inChild;
  const char* reason;         // the message after "Can't save '<file>': "
};

void PrintTo(const SaveFault& row, std::ostream* out) { *out << row.name; }

class ConsoleSaveFault : public ::testing::TestWithParam<SaveFault> {};

TEST_P(ConsoleSaveFault, ReportsItExitsWithOneAndKeepsTheEarlierFile) {
  const SaveFault& row = GetParam();
  SimulatorProcess sim({"--model", "flat"});
  TempFolder scratch;
  const fs::path folder = fs::path(scratch.Path()) / "measurements";
  fs::create_directory(folder);
  // A two-point measurement saved before, byte for byte what must survive.
  const fs::path earlier = folder / "earlier.dbf";
  {
    ConsoleSession first(QUENRIK_SWEEP, {"--port", sim.Device(), "--timeout", "2000", "--save", earlier.string()},
                         {{"XDG_CONFIG_HOME", scratch.Path()}, {"HOME", scratch.Path()}});
    ASSERT_EQ(first.WaitForExit(20s), 0) << testing::PrintToString(first.ErrTexts());
  }
  const std::string earlierBytes = ReadAll(earlier);
  ASSERT_EQ(earlierBytes.size(), 97u + 2 * 25u);
  fs::permissions(folder, row.folderRights);

  // 202 points: a file of 5,147 bytes, beyond the file-size limit.
  const fs::path target = fs::path(scratch.Path()) / row.target;
  ConsoleSession console(QUENRIK_SWEEP,
                         {"--port", sim.Device(), "--fmin", "10.6", "--fmax", "10.8", "--fstep", "0.001", "--timeout",
                          "2000", "--save", target.string()},
                         {{"XDG_CONFIG_HOME", scratch.Path()}, {"HOME", scratch.Path()}}, row.inChild);
  const std::optional<int> exit = console.WaitForExit(30s);
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);

  EXPECT_EQ(exit, 1);
  std::vector<std::string> messages{"Can't save '" + target.string() + "': " + row.reason};
  // The console answers Yes to the overwrite question: the file was named on the command line.
  if (row.overwrites) messages.insert(messages.begin(), "File already exists - overwrite?");
  EXPECT_EQ(console.ErrTexts(), messages);
  EXPECT_EQ(console.Out().size(), 202u) << "the sweep is measured and shown before the save";
  EXPECT_EQ(ReadAll(earlier), earlierBytes);
  EXPECT_EQ(Names(folder), std::set<std::string>{"earlier.dbf"});
  EXPECT_FALSE(fs::exists(fs::path(scratch.Path()) / "missing"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConsoleSaveFault,
    ::testing::Values(SaveFault{"folder missing", "missing/new.dbf", false, fs::perms(0755), {},
                                "no file can be created in its folder"},
                      SaveFault{"folder read-only", "measurements/earlier.dbf", true, fs::perms(0555),
                                BoundByPermissions, "no file can be created in its folder"},
                      SaveFault{"disk full", "measurements/earlier.dbf", true, fs::perms(0755), LimitFileSize,
                                "writing the file failed (is the disk full?)"}),
    [](const ::testing::TestParamInfo<SaveFault>& info) {
      std::string name;
      for (const char c : std::string(info.param.name)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

}  // namespace
