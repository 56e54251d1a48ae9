// fork/exec with pipes for the front ends, and the simulator started and stopped around a test.
#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace {

[[noreturn]] void ExecOrDie(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

}  // namespace

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& options) {
  char logTemplate[] = "/tmp/quenrik-sim-log-XXXXXX";
  const int logFd = mkstemp(logTemplate);
  if (logFd < 0) throw std::runtime_error("mkstemp failed");
  close(logFd);
  logPath_ = logTemplate;
  std::vector<std::string> arguments = options;
  arguments.insert(arguments.end(), {"--log", logPath_});

  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    ExecOrDie(QUENRIK_SIM, arguments);
  }
  close(out[1]);
  // The first line is the device path.
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  char c = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    if (read(out[0], &c, 1) != 1 || c == '\n') break;
    line += c;
  }
  close(out[0]);
  if (line.empty()) throw std::runtime_error("quenrik-sim printed no device");
  device_ = line;
}

SimulatorProcess::~SimulatorProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  std::remove(logPath_.c_str());
}

std::vector<std::string> SimulatorProcess::LoggedFrames() const {
  std::vector<std::string> frames;
  std::ifstream log(logPath_);
  for (std::string line; std::getline(log, line);) frames.push_back(line);
  return frames;
}

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment, std::chrono::seconds limit) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    for (int fd : {out[0], out[1], err[0], err[1]}) close(fd);
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    ExecOrDie(program, arguments);
  }
  close(out[1]);
  close(err[1]);
  ProcessResult result;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  bool outOpen = true, errOpen = true, killed = false;
  while (outOpen || errOpen) {
    if (std::chrono::steady_clock::now() > deadline && !killed) {
      kill(pid, SIGKILL);
      killed = true;
    }
    pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
    if (poll(fds, 2, 100) <= 0) continue;
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        (i == 0 ? outOpen : errOpen) = false;
        continue;
      }
      (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
    }
  }
  close(out[0]);
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = (!killed && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
  return result;
}

TempFolder::TempFolder() {
  char folderTemplate[] = "/tmp/quenrik-test-XXXXXX";
  if (!mkdtemp(folderTemplate)) throw std::runtime_error("mkdtemp failed");
  path_ = folderTemplate;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}
