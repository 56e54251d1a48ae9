// The relaying thread with its time stamps, the pairing of frames and replies, and the child processes.
#include "line_relay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "instrument/frames.h"

extern char** environ;

namespace bench {

namespace {

void MakeRaw(int fd) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) return;
  cfmakeraw(&settings);
  tcsetattr(fd, TCSANOW, &settings);
}

// Writes everything, waiting while the pseudo-terminal is full; gives up when the other end has gone.
void WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written > 0) {
      data += written;
      size -= static_cast<std::size_t>(written);
      continue;
    }
    if (written < 0 && errno != EAGAIN && errno != EINTR) return;
    pollfd wait{fd, POLLOUT, 0};
    if (poll(&wait, 1, 100) < 0) return;
  }
}

}  // namespace

LineRelay::LineRelay(const std::string& instrumentDevice) {
  programMaster_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[128];
  if (programMaster_ < 0 || grantpt(programMaster_) != 0 || unlockpt(programMaster_) != 0 ||
      ptsname_r(programMaster_, name, sizeof name) != 0)
    throw std::runtime_error("no pseudo-terminal for the program");
  programDevice_ = name;
  programSlave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (programSlave_ < 0) throw std::runtime_error("cannot open " + programDevice_);
  MakeRaw(programSlave_);
  instrument_ = open(instrumentDevice.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (instrument_ < 0) throw std::runtime_error("cannot open " + instrumentDevice);
  MakeRaw(instrument_);
  fcntl(programMaster_, F_SETFL, fcntl(programMaster_, F_GETFL) | O_NONBLOCK);
  timeline_.frameStarts.reserve(1 << 16);
  timeline_.replyEnds.reserve(1 << 16);
  thread_ = std::thread([this] { Relay(); });
}

LineRelay::~LineRelay() {
  Finish();
  for (const int fd : {programMaster_, programSlave_, instrument_})
    if (fd >= 0) close(fd);
}

LineTimeline LineRelay::Finish() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return timeline_;
}

void LineRelay::Relay() {
  std::size_t fromProgram = 0, fromInstrument = 0;
  std::uint8_t buffer[512];
  while (!stop_) {
    pollfd fds[2] = {{programMaster_, POLLIN, 0}, {instrument_, POLLIN, 0}};
    if (poll(fds, 2, 20) <= 0) continue;
    if (fds[0].revents & POLLIN) {
      const auto now = Clock::now();
      const ssize_t got = read(programMaster_, buffer, sizeof buffer);
      if (got > 0) {
        for (ssize_t i = 0; i < got; ++i, ++fromProgram)
          if (fromProgram % kFrameBytes == 0) timeline_.frameStarts.push_back(now);
        WriteAll(instrument_, buffer, static_cast<std::size_t>(got));
      }
    }
    if (fds[1].revents & POLLIN) {
      const ssize_t got = read(instrument_, buffer, sizeof buffer);
      if (got > 0) {
        // Stamped before the write: the program may run as soon as the bytes are in, before this thread again.
        const auto now = Clock::now();
        for (ssize_t i = 0; i < got; ++i, ++fromInstrument)
          if (fromInstrument % kReplyBytes == kReplyBytes - 1) timeline_.replyEnds.push_back(now);
        WriteAll(programMaster_, buffer, static_cast<std::size_t>(got));
      }
    }
  }
}

std::vector<double> TurnaroundMicroseconds(const LineTimeline& timeline) {
  std::vector<double> gaps;
  for (std::size_t i = 0; i < timeline.replyEnds.size() && i + 1 < timeline.frameStarts.size(); ++i)
    gaps.push_back(Microseconds(timeline.frameStarts[i + 1] - timeline.replyEnds[i]));
  return gaps;
}

double PointsPerSecond(const LineTimeline& timeline) {
  const auto& starts = timeline.frameStarts;
  if (starts.size() < 2) return 0;
  return static_cast<double>(starts.size() - 1) /
         std::chrono::duration<double>(starts.back() - starts.front()).count();
}

bool SweepBareClient(const std::string& device, int points) {
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  MakeRaw(fd);
  bool ok = true;
  for (int i = 0; i < points && ok; ++i) {
    const std::vector<std::uint8_t> frame = frames::SetFrequencyFrame(10 + 0.001 * i);
    WriteAll(fd, frame.data(), frame.size());
    std::size_t got = 0;
    while (got < kReplyBytes && ok) {
      pollfd wait{fd, POLLIN, 0};
      std::uint8_t reply[kReplyBytes];
      ok = poll(&wait, 1, 1000) > 0;
      const ssize_t n = ok ? read(fd, reply, kReplyBytes - got) : -1;
      ok = n > 0;
      if (ok) got += static_cast<std::size_t>(n);
    }
  }
  close(fd);
  return ok;
}

SimulatorProcess::SimulatorProcess(const std::string& program, const std::vector<std::string>& options) {
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& option : options) argv.push_back(const_cast<char*>(option.c_str()));
  argv.push_back(nullptr);
  const int failed = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (failed != 0) {
    close(out[0]);
    throw std::runtime_error("cannot start " + program);
  }
  // The first line is the device path.
  char c = 0;
  while (read(out[0], &c, 1) == 1 && c != '\n') device_ += c;
  close(out[0]);
  if (device_.empty()) throw std::runtime_error(program + " printed no device");
}

SimulatorProcess::~SimulatorProcess() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

ChildRun RunQuietly(const std::string& program, const std::vector<std::string>& arguments,
                    const std::vector<std::pair<std::string, std::string>>& environment) {
  std::vector<std::string> variables;
  for (char** variable = environ; *variable; ++variable) {
    const std::string entry = *variable;
    bool replaced = false;
    for (const auto& pair : environment) replaced = replaced || entry.rfind(pair.first + "=", 0) == 0;
    if (!replaced) variables.push_back(entry);
  }
  for (const auto& [name, value] : environment) variables.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ChildRun run;
  if (failed != 0) return run;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.cpuSeconds = CpuSeconds(usage);
  return run;
}

}  // namespace bench
