// Starting, reading and ending the simulator child process.
#include "sim_process.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QDeadlineTimer>
#include <fstream>
#include <stdexcept>

namespace {

constexpr int kStartTimeoutMs = 5000;

}  // namespace

SimProcess::SimProcess(const QStringList& arguments, bool withLink) {
  if (!folder_.isValid()) throw std::runtime_error("no temporary folder");
  logPath_ = folder_.filePath("frames.log").toStdString();
  QStringList all = arguments;
  all << "--log" << QString::fromStdString(logPath_);
  if (withLink) {
    linkPath_ = folder_.filePath("port").toStdString();
    all << "--link" << QString::fromStdString(linkPath_);
  }
  // A test that dies must not leave a simulator behind.
  process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.start(QUENRIK_SIM_PATH, all);
  if (!process_.waitForStarted(kStartTimeoutMs)) throw std::runtime_error("quenrik-sim did not start");
  devicePath_ = NextDevicePath(kStartTimeoutMs);
  if (devicePath_.empty()) throw std::runtime_error("quenrik-sim printed no device path");
}

SimProcess::~SimProcess() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(3000)) {
    process_.kill();
    process_.waitForFinished(3000);
  }
}

std::string SimProcess::NextDevicePath(int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (!process_.canReadLine()) {
    if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) return {};
    process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
  }
  return process_.readLine().trimmed().toStdString();
}

std::vector<std::string> SimProcess::LoggedFrames() const {
  std::ifstream log(logPath_);
  std::vector<std::string> frames;
  for (std::string line; std::getline(log, line);) frames.push_back(line);
  return frames;
}

int SimProcess::StopWith(int signal) {
  kill(static_cast<pid_t>(process_.processId()), signal);
  if (!process_.waitForFinished(3000) || process_.exitStatus() != QProcess::NormalExit) return -1;
  return process_.exitCode();
}
