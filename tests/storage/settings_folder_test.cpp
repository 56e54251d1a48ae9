// The folder the file dialogs open in, for the measurement folder of the settings file.
#include "storage/settings_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "settings_temp_folder.h"

TEST(DialogFolder, RelativeToHomeAndUpToAnExistingFolder) {
  const TempFolder home;
  std::filesystem::create_directories(home.Path() / "Quenrik_mereni/2024");
  WriteWholeFile(home / "Quenrik_mereni/a-file", "");
  const std::string h = home.Path().string();
  const struct { std::string folder; std::string opens; } rows[] = {
      {"", h},
      {"Quenrik_mereni", h + "/Quenrik_mereni"},
      {"Quenrik_mereni/", h + "/Quenrik_mereni"},
      {"Quenrik_mereni/2024", h + "/Quenrik_mereni/2024"},
      {"./Quenrik_mereni/../Quenrik_mereni/2024", h + "/Quenrik_mereni/2024"},
      {"~", h},
      {"~/Quenrik_mereni", h + "/Quenrik_mereni"},
      {"Missing", h},
      {"Quenrik_mereni/missing/deeper", h + "/Quenrik_mereni"},
      {"Quenrik_mereni/a-file", h + "/Quenrik_mereni"},  // a file, not a folder
      {h + "/Quenrik_mereni/2024", h + "/Quenrik_mereni/2024"},
      {h + "/gone/away", h},
      {"/no-such-top-folder-for-quenrik/x", "/"},
      {"C:\\Mereni", h},  // a Windows path is one relative name here
  };
  for (const auto& row : rows) EXPECT_EQ(DialogFolder(row.folder, h), row.opens) << row.folder;
}
