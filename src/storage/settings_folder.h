// Where the file dialogs open for the measurement folder kept in the settings file.
#pragma once

#include <string>

// The folder for the dialogs: a relative folder (such as "Quenrik_mereni") is taken inside homeFolder, "~" and
// "~/..." name homeFolder, an empty folder gives homeFolder. A folder that does not exist gives its nearest existing
// parent, so the dialogs open as close to it as they can. The stored value itself is never changed.
std::string DialogFolder(const std::string& folder, const std::string& homeFolder);
