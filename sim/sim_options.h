// The simulator's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "protocol_engine.h"
#include "response_model.h"

namespace sim {

struct SimOptions {
  ModelSettings model;
  FaultSettings fault;
  int baud = 0;           // 0: unpaced; otherwise frames come in and replies go out at ten bit times per byte
  std::string logPath;    // empty: no log
  std::string linkPath;   // empty: no symlink
  bool help = false;
};

struct ParsedOptions {
  std::optional<SimOptions> options;
  std::string error;  // why `options` is empty
};

// Parses the arguments after the program name.
ParsedOptions ParseSimOptions(const std::vector<std::string>& args);

const char* SimUsage();

}  // namespace sim
