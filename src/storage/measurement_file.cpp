// Save and Load's file service over std::filesystem and fstream.
#include "storage/measurement_file.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace measurement_file {

namespace {

fs::path FromText(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

bool IsFile(const fs::path& path) {
  std::error_code ignored;
  return fs::is_regular_file(path, ignored);
}

// Saving over a link replaces the file it points to, as writing through the link would; a dangling link is replaced.
fs::path Resolved(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_symlink(path, ec)) return path;
  fs::path target = fs::canonical(path, ec);
  return ec ? path : target;
}

// A hidden name beside the target that no file holds yet.
std::optional<fs::path> FreeTemporaryName(const fs::path& target) {
  for (int i = 0; i < 100; ++i) {
    fs::path name = ".";
    name += target.filename();
    name += "." + std::to_string(i) + ".saving";
    fs::path candidate = target;
    candidate.replace_filename(name);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
  }
  return std::nullopt;
}

}  // namespace

bool FileExists(const std::string& path) { return IsFile(FromText(path)); }

std::optional<measurement_format::Bytes> ReadStart(const std::string& path, std::size_t maxBytes) {
  const fs::path file = FromText(path);
  // An fstream opens a folder without complaint; only its reads fail.
  if (!IsFile(file)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  measurement_format::Bytes bytes(maxBytes);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(maxBytes));
  if (in.bad()) return std::nullopt;
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

std::optional<std::string> ReplaceFile(const std::string& path, const measurement_format::Bytes& bytes) {
  const auto failure = [&path](const std::string& why) { return "Can't save '" + path + "': " + why; };
  const fs::path target = Resolved(FromText(path));
  const bool existed = IsFile(target);
  // A rename needs rights on the folder only; a write-protected file keeps its protection.
  if (existed && !std::ofstream(target, std::ios::binary | std::ios::app)) {
    return failure("the existing file can't be written");
  }
  const auto temporary = FreeTemporaryName(target);
  std::ofstream out;
  if (temporary) out.open(*temporary, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) return failure("no file can be created in its folder");
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();  // flushes: a full disk or a size limit shows here at the latest
  std::error_code ec;
  if (out.fail()) {
    fs::remove(*temporary, ec);
    return failure("writing the file failed (is the disk full?)");
  }
  if (existed) {
    // Best effort: the replacement keeps the earlier file's permission bits.
    const fs::perms earlier = fs::status(target, ec).permissions();
    if (!ec) fs::permissions(*temporary, earlier, ec);
  }
  fs::rename(*temporary, target, ec);
  if (ec) {
    const std::string reason = ec.message();
    fs::remove(*temporary, ec);
    return failure("the file can't be replaced (" + reason + ")");
  }
  return std::nullopt;
}

}  // namespace measurement_file
