// The measurement folder made absolute against the home folder and moved up to a folder that exists.
#include "storage/settings_folder.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string DialogFolder(const std::string& folder, const std::string& homeFolder) {
  const fs::path home(homeFolder);
  fs::path path;
  if (folder.empty() || folder == "~")
    path = home;
  else if (folder.rfind("~/", 0) == 0)
    path = home / folder.substr(2);
  else if (fs::path(folder).is_relative())
    path = home / folder;
  else
    path = folder;
  path = path.lexically_normal();
  if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();

  std::error_code error;
  while (!fs::is_directory(path, error) && path.has_relative_path()) path = path.parent_path();
  return path.string();
}
