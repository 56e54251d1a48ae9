// Save against real disk faults: a folder without write rights, a write-protected file and a full disk (a file-size
// limit), each in a child process that gives up root's rights or takes the limit; the earlier file must survive.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "fake_sweep_view.h"
#include "measurement_test_support.h"
#include "storage/measurement_commands.h"
#include "sweep/app_error.h"

namespace fs = std::filesystem;

namespace {

// As root, becomes the unprivileged user "nobody", for whom permission bits hold; anyone else already is bound by them.
bool DropRootRights() {
  if (geteuid() != 0) return true;
  const passwd* nobody = getpwnam("nobody");
  const uid_t uid = nobody ? nobody->pw_uid : 65534;
  const gid_t gid = nobody ? nobody->pw_gid : 65534;
  return setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0;
}

bool LimitFileSize(rlim_t bytes) {
  // Without this the first write past the limit kills the process instead of failing.
  signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{bytes, bytes};
  return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// Saves a 300-point sweep over the target in a child process after `prepare`, answering Yes to the overwrite
// question; returns what the child saw: "error: <message>", or how it went wrong.
std::string SaveInChild(const std::string& target, const std::function<bool()>& prepare) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    std::string report;
    if (!prepare()) {
      report = "could not prepare the child";
    } else {
      RangeSettings range;
      SweepState state;
      FakeSweepView view{range};
      MeasurementCommands commands{state, view};
      MeasuredSweep(state, 100, 398, 1);
      view.chosenFile = target;
      try {
        commands.btnSaveClick();
        report = "saved without an error";
      } catch (const AppError& error) {
        report = std::string("error: ") + error.what();
      }
    }
    const ssize_t written = write(pipeEnds[1], report.data(), report.size());
    _exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
  }
  close(pipeEnds[1]);
  std::string report;
  char chunk[256];
  for (ssize_t got; (got = read(pipeEnds[0], chunk, sizeof chunk)) > 0;)
    report.append(chunk, static_cast<std::size_t>(got));
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) report += " (child did not exit cleanly)";
  return report;
}

struct DiskFault {
  const char* name;
  fs::perms folderRights;
  fs::perms fileRights;
  std::function<bool()> prepare;
  const char* reason;  // the part of the message after the file's name
};

void PrintTo(const DiskFault& row, std::ostream* out) { *out << row.name; }

class MeasurementSaveDiskFault : public ::testing::TestWithParam<DiskFault> {};

TEST_P(MeasurementSaveDiskFault, ReportsTheErrorAndLeavesTheEarlierFileByteIdentical) {
  const DiskFault& row = GetParam();
  ScratchFolder scratch;
  // The unprivileged child must be able to reach the folder under test.
  fs::permissions(scratch.Path(), fs::perms(0755));
  const fs::path folder = scratch.Path() / "measurements";
  fs::create_directory(folder);
  const std::string target = (folder / "earlier.dbf").string();
  const measurement_format::Bytes earlier =
      measurement_format::WriteMeasurement(std::vector<measurement_format::MeasuredPoint>{{10695, -45}, {10705, -12}});
  WriteBytes(target, earlier);
  fs::permissions(target, row.fileRights);
  fs::permissions(folder, row.folderRights);

  const std::string report = SaveInChild(target, row.prepare);

  EXPECT_EQ(report, "error: Can't save '" + target + "': " + row.reason);
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
  EXPECT_EQ(ReadBytes(target), earlier);
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  EXPECT_EQ(names, std::set<std::string>{"earlier.dbf"});
}

INSTANTIATE_TEST_SUITE_P(Table, MeasurementSaveDiskFault,
                         ::testing::Values(DiskFault{"folder without write rights", fs::perms(0555), fs::perms(0666),
                                                     DropRootRights, "no file can be created in its folder"},
                                           DiskFault{"write-protected file", fs::perms(0777), fs::perms(0444),
                                                     DropRootRights, "the existing file can't be written"},
                                           DiskFault{"disk full", fs::perms(0755), fs::perms(0644),
                                                     [] { return LimitFileSize(4096); },
                                                     "writing the file failed (is the disk full?)"}));

}  // namespace
