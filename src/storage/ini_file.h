// An INI file read and written with the semantics of profile strings, keeping every line it does not change.
//
// How the file is read:
// - A section header is a line whose first non-blank character is '[' and that holds a ']'; the name is the text
//   between them, without surrounding blanks. Lines before the first header belong to no section.
// - A key line holds '='; the key is the text before the first '=' and the value the text after it, both without
//   surrounding spaces and tabs. So "fmin = 10.5" gives 10.5, and spaces at either end of a value are not kept.
// - Section and key names match without regard to letter case (ASCII letters).
// - Values are raw text: no quotation marks are removed, no escapes, no lists, no comments after a value; a
//   value with a comma, a backslash, a ';' or quotation marks comes back as written. A value is read as at most
//   2,047 bytes, cut before a UTF-8 character that would not fit whole. "key=" gives the empty text.
// - Comment lines (first non-blank character ';' or '#'), blank lines, lines without '=' and lines with an empty key
//   are never read and are kept as they are.
// - A key that occurs more than once under sections of the same name reads from its first occurrence in the file,
//   even when the sections are repeated; writing changes that same line and leaves the others alone.
// - A UTF-8 byte order mark at the start is skipped and kept; LF and CRLF line ends are both read and kept.
//
// How it is written:
// - Writing a present key replaces only the value on its line (the key's spelling and the spaces before the value
//   stay); a missing key goes after the last key line of the first section of that name (after its header when it
//   has none); a missing section goes to the end of the file after a blank line. New lines take the file's line end
//   (that of its first line; LF in a new file).
// - A line break inside a written value would start a new line of the file; each CR or LF becomes a space.
// - Save writes the whole text to a new file in the same folder and renames it over the old one, so the old file
//   stays whole if anything fails. A symbolic link is followed and the file it names replaced; the old file's
//   permission bits are kept; a missing folder is created.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class IniFile {
 public:
  static constexpr std::size_t kMaxValueLength = 2047;

  // Reads the file at path. A missing file reads as empty and Save creates it. A file that exists but cannot be read
  // also reads as empty, and Save then refuses to replace it.
  explicit IniFile(std::string path);

  // The value of key in section, or defaultValue when the key or its section is missing.
  std::string ReadString(std::string_view section, std::string_view key, const std::string& defaultValue) const;
  // Sets the value of key in section; the file changes only with Save.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Writes the whole file. Throws AppError "Unable to write to <file name>" (the name without its folder) when the
  // file or its folder cannot be written; the old file is then unchanged and no temporary file is left.
  void Save() const;

  // The whole text as Save writes it.
  std::string Text() const;

 private:
  struct Line {
    std::string text;
    std::string end;  // "\n", "\r\n", or for a last line without LF "\r" or nothing
  };

  std::ptrdiff_t FindKey(std::string_view section, std::string_view key) const;
  void InsertLine(std::size_t index, std::string text);

  std::string path_;
  std::string byteOrderMark_;
  std::vector<Line> lines_;
  std::string newline_ = "\n";
  bool unreadable_ = false;
};
