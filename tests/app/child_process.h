// Starting the programs under test as real processes: the simulator in the background, a front end to completion.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

// A running quenrik-sim on a fresh pseudo-terminal; stopped when this goes.
class SimulatorProcess {
 public:
  explicit SimulatorProcess(const std::vector<std::string>& options);
  ~SimulatorProcess();
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  const std::string& Device() const { return device_; }
  // The frames the simulator received, one nine-character text per line.
  std::vector<std::string> LoggedFrames() const;

 private:
  int pid_ = -1;
  std::string device_;
  std::string logPath_;
};

struct ProcessResult {
  int exitCode = -1;  // -1 when killed at the time limit
  std::string out;
  std::string err;
};

// Runs a program with extra environment variables and waits for it, at most `limit`.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment, std::chrono::seconds limit);

// A fresh temporary folder, removed when this goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};
