// Fuzzes the INI reader with arbitrary file contents: the text comes back unchanged, the settings keys written
// read back as written, other keys keep their values, and a saved file reads as it was before the save.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "storage/ini_file.h"
#include "sweep/app_error.h"

namespace {

struct Key {
  std::string section;
  std::string key;
};

// The eight keys of the settings file, as WriteSettings writes them.
const std::vector<std::pair<Key, std::string>> kSettings{
    {{"Settings", "directory"}, "Quenrik_mereni"}, {{"Settings", "title"}, "mereni1"},
    {{"Settings", "port"}, "COM1"},               {{"Range", "fmin"}, "10.695"},
    {{"Range", "fmax"}, "10.705"},                {{"Range", "freqstep"}, "0.1"},
    {{"Range", "mindb"}, "-90"},                  {{"Range", "maxdb"}, "5"}};

const std::string kMissing = "\x01missing";

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool IsSettingsKey(const Key& probe) {
  for (const auto& [key, value] : kSettings)
    if (SameName(key.section, probe.section) && SameName(key.key, probe.key)) return true;
  return false;
}

// In memory where the system offers it: every run writes and replaces the file.
std::string FilePath(const char* name) {
  const std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return folder + "/quenrik-ini-fuzz-" + std::to_string(getpid()) + "-" + name;
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  FUZZ_REQUIRE(out.good());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  // A section and key of the fuzzer's choosing, looked up before and after the settings are written.
  const Key probe{input.ConsumeRandomLengthString(16), input.ConsumeRandomLengthString(16)};
  const std::string content = input.ConsumeRemainingBytesAsString();
  const std::string path = FilePath("quenrik.ini");
  WriteFile(path, content);

  IniFile file(path);
  FUZZ_REQUIRE(file.Text() == content);
  auto fits = [](const std::string& value) { return value == kMissing || value.size() <= IniFile::kMaxValueLength; };
  const std::string probed = file.ReadString(probe.section, probe.key, kMissing);
  FUZZ_REQUIRE(fits(probed));
  for (const auto& [key, value] : kSettings) FUZZ_REQUIRE(fits(file.ReadString(key.section, key.key, kMissing)));

  for (const auto& [key, value] : kSettings) file.WriteString(key.section, key.key, value);
  for (const auto& [key, value] : kSettings) FUZZ_REQUIRE(file.ReadString(key.section, key.key, kMissing) == value);
  if (!IsSettingsKey(probe)) FUZZ_REQUIRE(file.ReadString(probe.section, probe.key, kMissing) == probed);

  try {
    file.Save();
  } catch (const AppError&) {
    FUZZ_REQUIRE(false);
  }
  const IniFile reread(path);
  FUZZ_REQUIRE(reread.Text() == file.Text());
  for (const auto& [key, value] : kSettings) FUZZ_REQUIRE(reread.ReadString(key.section, key.key, kMissing) == value);
  FUZZ_REQUIRE(reread.ReadString(probe.section, probe.key, kMissing) ==
               file.ReadString(probe.section, probe.key, kMissing));
  unlink(path.c_str());
  return 0;
}
