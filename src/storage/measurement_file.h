// The file service behind Save and Load: existence test, reading a file's start, and replacing a file safely.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "storage/measurement_format.h"

// Every path is the text the file dialog gave, taken as UTF-8 whatever the system's narrow encoding.
namespace measurement_file {

// True for an existing file (a symbolic link counts as what it points to); a folder or a missing name gives false.
bool FileExists(const std::string& path);

// The file's first maxBytes bytes (all of a shorter file), or nothing when it is no file or cannot be opened or read.
std::optional<measurement_format::Bytes> ReadStart(const std::string& path, std::size_t maxBytes);

// Writes the bytes to a new file beside the target and renames it over the target only once every byte is written
// and the file is closed, so a failure leaves an earlier file exactly as it was and no new file behind. A symbolic
// link is followed: the file it points to is replaced. An existing file that cannot be written is not replaced.
// Returns the message for the user when it fails, naming the file.
std::optional<std::string> ReplaceFile(const std::string& path, const measurement_format::Bytes& bytes);

}  // namespace measurement_file
