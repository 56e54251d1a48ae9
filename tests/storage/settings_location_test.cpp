// Where the settings file lives and where the file dialogs open, through Qt, under the C locale.
#include "storage/qt_settings_location.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cstdlib>
#include <filesystem>

#include "settings_temp_folder.h"

namespace {

// Sets an environment variable for one test and puts the old value back afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    if (old != nullptr) old_ = old;
    hadOld_ = old != nullptr;
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnvironment() {
    if (hadOld_)
      ::setenv(name_, old_.c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool hadOld_ = false;
};

}  // namespace

TEST(SettingsLocation, TheFileLivesInTheUsersConfigurationFolder) {
  const TempFolder home;
  const ScopedEnvironment homeVariable("HOME", home.Path().c_str());
  {
    const ScopedEnvironment config("XDG_CONFIG_HOME", (home / "elsewhere").c_str());
    EXPECT_EQ(SettingsFilePath(), home / "elsewhere/quenrik.ini");
  }
  const ScopedEnvironment config("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(SettingsFilePath(), home / ".config/quenrik.ini");
}

TEST(SettingsLocation, TheCLocaleGivesAFullStop) { EXPECT_EQ(SystemDecimalSeparator(), '.'); }

TEST(SettingsLocation, DialogsOpenRelativeToTheHomeFolder) {
  const TempFolder home;
  const ScopedEnvironment homeVariable("HOME", home.Path().c_str());
  std::filesystem::create_directory(home.Path() / "Quenrik_mereni");
  const QString h = QString::fromStdString(home.Path().string());
  EXPECT_EQ(MeasurementDialogFolder("Quenrik_mereni"), h + "/Quenrik_mereni");
  EXPECT_EQ(MeasurementDialogFolder(""), h);
  EXPECT_EQ(MeasurementDialogFolder("not there"), h);
}
