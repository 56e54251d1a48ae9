// The INI file: line classification, profile-string lookups, and the whole-file save by rename.
#include "storage/ini_file.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <system_error>

#include "sweep/app_error.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

// A line seen as the file's grammar sees it.
struct LineKind {
  enum Kind { Other, Section, Key } kind = Other;
  std::string_view name;       // section or key name, trimmed
  std::size_t valueStart = 0;  // for a key: where its value begins
};

LineKind Classify(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return {};
  if (trimmed.front() == '[') {
    const std::size_t close = trimmed.find(']');
    if (close == std::string_view::npos) return {};
    return {LineKind::Section, Trim(trimmed.substr(1, close - 1)), 0};
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {};
  const std::string_view key = Trim(line.substr(0, equals));
  if (key.empty()) return {};
  std::size_t valueStart = equals + 1;
  while (valueStart < line.size() && IsBlank(line[valueStart])) ++valueStart;
  return {LineKind::Key, key, valueStart};
}

// At most kMaxValueLength bytes, without splitting a UTF-8 sequence (at most three continuation bytes are given back).
std::string CutValue(std::string_view value) {
  if (value.size() <= IniFile::kMaxValueLength) return std::string(value);
  std::size_t length = IniFile::kMaxValueLength;
  for (int i = 0; i < 3 && length > 0 && (static_cast<unsigned char>(value[length]) & 0xC0) == 0x80; ++i) --length;
  if ((static_cast<unsigned char>(value[length]) & 0xC0) == 0x80) length = IniFile::kMaxValueLength;
  return std::string(value.substr(0, length));
}

std::string OneLine(std::string_view value) {
  std::string text(value);
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

std::string RandomSuffix() {
  std::random_device device;
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, device(), 16);
  return std::string(buffer, result.ptr);
}

// The file Save replaces: the target of a symbolic link, so that a linked settings file stays linked.
fs::path FileToReplace(const fs::path& path) {
  std::error_code error;
  if (!fs::is_symlink(path, error)) return path;
  const fs::path target = fs::canonical(path, error);
  return error ? path : target;
}

// An existing file that may not be written (read-only) is refused as the profile service would refuse it.
bool WritableOrMissing(const fs::path& path) {
  std::error_code error;
  if (!fs::exists(path, error)) return !error;
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  std::error_code error;
  const fs::file_status status = fs::status(path_, error);
  if (!fs::exists(status)) {
    unreadable_ = error && error != std::errc::no_such_file_or_directory;
    return;
  }
  std::ifstream in(path_, std::ios::binary);
  if (!fs::is_regular_file(status) || !in) {
    unreadable_ = true;
    return;
  }
  std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) {
    unreadable_ = true;
    return;
  }
  if (std::string_view(content).substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    byteOrderMark_ = kByteOrderMark;
    content.erase(0, kByteOrderMark.size());
  }
  std::size_t start = 0;
  bool newlineSeen = false;
  while (start < content.size()) {
    const std::size_t lf = content.find('\n', start);
    if (lf == std::string::npos) {
      // A CR that ends the file is a line end whose LF is missing: kept, but not part of the last value.
      std::string text = content.substr(start);
      const bool cr = text.back() == '\r';
      if (cr) text.pop_back();
      lines_.push_back({std::move(text), cr ? "\r" : ""});
      break;
    }
    const bool crlf = lf > start && content[lf - 1] == '\r';
    Line line{content.substr(start, lf - start - (crlf ? 1 : 0)), crlf ? "\r\n" : "\n"};
    if (!newlineSeen) newline_ = line.end;
    newlineSeen = true;
    lines_.push_back(std::move(line));
    start = lf + 1;
  }
}

std::ptrdiff_t IniFile::FindKey(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const LineKind line = Classify(lines_[i].text);
    if (line.kind == LineKind::Section) inSection = SameName(line.name, section);
    if (line.kind == LineKind::Key && inSection && SameName(line.name, key)) return static_cast<std::ptrdiff_t>(i);
  }
  return -1;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                const std::string& defaultValue) const {
  const std::ptrdiff_t index = FindKey(section, key);
  if (index < 0) return defaultValue;
  const std::string& text = lines_[static_cast<std::size_t>(index)].text;
  const std::size_t valueStart = Classify(text).valueStart;
  return CutValue(Trim(std::string_view(text).substr(valueStart)));
}

void IniFile::InsertLine(std::size_t index, std::string text) {
  // A last line gets its line end before another follows it; a lone CR becomes CRLF.
  if (index > 0 && lines_[index - 1].end.empty()) lines_[index - 1].end = newline_;
  if (index > 0 && lines_[index - 1].end == "\r") lines_[index - 1].end = "\r\n";
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), Line{std::move(text), newline_});
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string text = OneLine(value);
  const std::ptrdiff_t found = FindKey(section, key);
  if (found >= 0) {
    Line& line = lines_[static_cast<std::size_t>(found)];
    line.text = line.text.substr(0, Classify(line.text).valueStart) + text;
    return;
  }
  std::optional<std::size_t> insertAt;
  bool inFirstSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const LineKind line = Classify(lines_[i].text);
    if (line.kind == LineKind::Section) {
      if (inFirstSection) break;
      inFirstSection = SameName(line.name, section);
      if (inFirstSection) insertAt = i + 1;
    } else if (line.kind == LineKind::Key && inFirstSection) {
      insertAt = i + 1;
    }
  }
  const std::string keyLine = std::string(key) + "=" + text;
  if (insertAt) {
    InsertLine(*insertAt, keyLine);
    return;
  }
  if (!lines_.empty() && !Trim(lines_.back().text).empty()) InsertLine(lines_.size(), "");
  InsertLine(lines_.size(), "[" + std::string(section) + "]");
  InsertLine(lines_.size(), keyLine);
}

std::string IniFile::Text() const {
  std::string text = byteOrderMark_;
  for (const Line& line : lines_) text += line.text + line.end;
  return text;
}

void IniFile::Save() const {
  const AppError failure("Unable to write to " + fs::path(path_).filename().string());
  const fs::path target = FileToReplace(path_);
  if (unreadable_ || !WritableOrMissing(target)) throw failure;
  std::error_code error;
  const fs::path folder = target.parent_path();
  if (!folder.empty()) fs::create_directories(folder, error);
  if (error) throw failure;

  const fs::path temporary = folder / ("." + target.filename().string() + "." + RandomSuffix() + ".tmp");
  std::FILE* file = std::fopen(temporary.c_str(), "wbx");
  if (file == nullptr) throw failure;
  const std::string content = Text();
  bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  written = std::fflush(file) == 0 && written;
  written = std::fclose(file) == 0 && written;
  if (written) {
    const fs::file_status old = fs::status(target, error);
    if (fs::exists(old)) fs::permissions(temporary, old.permissions(), error);
    fs::rename(temporary, target, error);
    written = !error;
  }
  if (!written) {
    fs::remove(temporary, error);
    throw failure;
  }
}
