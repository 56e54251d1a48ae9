// A quenrik-sim child process for the tests: started with a private folder for its log, always ended with the test.
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <string>
#include <vector>

class SimProcess {
 public:
  // Starts the simulator with `arguments`, a frame log and, when `withLink`, a symlink in the private folder;
  // waits for the device path it prints. Throws std::runtime_error when it does not come up.
  explicit SimProcess(const QStringList& arguments, bool withLink = false);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  const std::string& DevicePath() const { return devicePath_; }
  const std::string& LinkPath() const { return linkPath_; }
  // The next device path it prints (after a hang-up); empty when none comes within `timeoutMs`.
  std::string NextDevicePath(int timeoutMs);
  // The frames it has logged so far, one text each.
  std::vector<std::string> LoggedFrames() const;
  // Sends `signal` and waits for the exit; returns the exit code, or -1 when it did not exit normally in time.
  int StopWith(int signal);

 private:
  QTemporaryDir folder_;
  QProcess process_;
  std::string logPath_;
  std::string linkPath_;
  std::string devicePath_;
};
