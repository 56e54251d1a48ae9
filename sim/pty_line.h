// The simulator's end of the line: a raw pseudo-terminal whose slave side the program under test opens.
#pragma once

#include <string>

namespace sim {

class PtyLine {
 public:
  // Opens a new pseudo-terminal in raw mode; throws std::system_error when the system refuses.
  PtyLine();
  ~PtyLine();
  PtyLine(const PtyLine&) = delete;
  PtyLine& operator=(const PtyLine&) = delete;

  // Non-blocking.
  int MasterFd() const { return master_; }
  const std::string& DevicePath() const { return devicePath_; }

 private:
  int master_ = -1;
  // Held open so the master sees no hang-up while the client closes and reopens the device.
  int slave_ = -1;
  std::string devicePath_;
};

// Makes `link` a symlink to `target`, replacing an earlier symlink in one step.
void PointLink(const std::string& link, const std::string& target);

// True when `path` does not exist or is a symlink, that is when PointLink may replace it.
bool LinkReplaceable(const std::string& path);

// Removes `link` if it still points at `target`.
void RemoveLinkIfPointingAt(const std::string& link, const std::string& target);

}  // namespace sim
