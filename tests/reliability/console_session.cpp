// fork/exec with two pipes, a poll loop that stamps every line, and signals to the child.
#include "console_session.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

ConsoleSession::ConsoleSession(const std::string& program, const std::vector<std::string>& arguments,
                               const std::map<std::string, std::string>& environment,
                               const std::function<bool()>& inChild) {
  int out[2], err[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  if (pipe(err) != 0) throw std::runtime_error("pipe failed");
  started_ = Clock::now();
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    for (const int fd : {out[0], out[1], err[0], err[1]}) close(fd);
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    if (inChild && !inChild()) _exit(126);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  streams_[0] = {out[0], "", &out_};
  streams_[1] = {err[0], "", &err_};
}

ConsoleSession::~ConsoleSession() {
  for (Stream& stream : streams_)
    if (stream.fd >= 0) close(stream.fd);
  if (!exited_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool ConsoleSession::Pump(std::chrono::milliseconds wait) {
  pollfd fds[2];
  for (int i = 0; i < 2; ++i) fds[i] = {streams_[i].fd, POLLIN, 0};
  if (streams_[0].fd < 0 && streams_[1].fd < 0) return false;
  if (poll(fds, 2, static_cast<int>(wait.count())) <= 0) return true;
  const Clock::time_point now = Clock::now();
  for (int i = 0; i < 2; ++i) {
    Stream& stream = streams_[i];
    if (stream.fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    char buffer[4096];
    const ssize_t got = read(stream.fd, buffer, sizeof buffer);
    if (got <= 0) {
      close(stream.fd);
      stream.fd = -1;
      if (!stream.partial.empty()) stream.lines->push_back({stream.partial, now});
      continue;
    }
    stream.partial.append(buffer, static_cast<std::size_t>(got));
    for (std::size_t end; (end = stream.partial.find('\n')) != std::string::npos;) {
      stream.lines->push_back({stream.partial.substr(0, end), now});
      stream.partial.erase(0, end + 1);
    }
  }
  return true;
}

bool ConsoleSession::WaitForLines(std::size_t count, std::chrono::milliseconds limit) {
  const Clock::time_point deadline = Clock::now() + limit;
  while (out_.size() < count && Clock::now() < deadline) {
    if (!Pump(std::chrono::milliseconds(20))) return false;
  }
  return out_.size() >= count;
}

void ConsoleSession::Interrupt() {
  if (!exited_) kill(pid_, SIGINT);
}

std::optional<int> ConsoleSession::WaitForExit(std::chrono::milliseconds limit) {
  const Clock::time_point deadline = Clock::now() + limit;
  while (!exited_) {
    Pump(std::chrono::milliseconds(10));
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      ended_ = Clock::now();
      exited_ = true;
      if (WIFEXITED(status)) exitCode_ = WEXITSTATUS(status);
    } else if (Clock::now() >= deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      ended_ = Clock::now();
      exited_ = true;
      return std::nullopt;
    }
  }
  // The pipes close with the program; whatever it wrote last is still to be read.
  const Clock::time_point drained = Clock::now() + std::chrono::seconds(2);
  while (Pump(std::chrono::milliseconds(100)) && Clock::now() < drained) {
  }
  return exitCode_;
}

std::vector<std::string> ConsoleSession::OutTexts() const {
  std::vector<std::string> texts;
  for (const Line& line : out_) texts.push_back(line.text);
  return texts;
}

std::vector<std::string> ConsoleSession::ErrTexts() const {
  std::vector<std::string> texts;
  for (const Line& line : err_) texts.push_back(line.text);
  return texts;
}

ConsoleSession::Clock::duration ConsoleSession::LongestSilence() const {
  std::vector<Clock::time_point> times;
  for (const Line& line : out_) times.push_back(line.at);
  for (const Line& line : err_) times.push_back(line.at);
  if (times.empty()) return ended_ - started_;
  std::sort(times.begin(), times.end());
  times.push_back(ended_);
  Clock::duration longest{};
  for (std::size_t i = 1; i < times.size(); ++i) longest = std::max(longest, times[i] - times[i - 1]);
  return longest;
}
