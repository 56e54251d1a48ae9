// Pseudo-terminal creation in raw mode and the symlink that names it.
#include "pty_line.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace sim {

namespace {

[[noreturn]] void ThrowSystemError(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

}  // namespace

PtyLine::PtyLine() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) ThrowSystemError("posix_openpt");
  char name[128];
  if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
    const int error = errno;
    close(master_);
    throw std::system_error(error, std::generic_category(), "pseudo-terminal set-up");
  }
  devicePath_ = name;
  slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios settings{};
  if (slave_ < 0 || tcgetattr(slave_, &settings) != 0) {
    const int error = errno;
    if (slave_ >= 0) close(slave_);
    close(master_);
    throw std::system_error(error, std::generic_category(), devicePath_);
  }
  // Raw both ways: no echo of the frames back to the client, no line editing, no character translation.
  cfmakeraw(&settings);
  cfsetspeed(&settings, B38400);
  tcsetattr(slave_, TCSANOW, &settings);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyLine::~PtyLine() {
  close(slave_);
  close(master_);
}

void PointLink(const std::string& link, const std::string& target) {
  const std::string temporary = link + ".new";
  unlink(temporary.c_str());
  if (symlink(target.c_str(), temporary.c_str()) != 0) ThrowSystemError(temporary.c_str());
  if (rename(temporary.c_str(), link.c_str()) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    throw std::system_error(error, std::generic_category(), link);
  }
}

bool LinkReplaceable(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return errno == ENOENT;
  return S_ISLNK(info.st_mode);
}

void RemoveLinkIfPointingAt(const std::string& link, const std::string& target) {
  char pointee[4096];
  const ssize_t length = readlink(link.c_str(), pointee, sizeof pointee);
  if (length >= 0 && std::string(pointee, static_cast<std::size_t>(length)) == target) unlink(link.c_str());
}

}  // namespace sim
