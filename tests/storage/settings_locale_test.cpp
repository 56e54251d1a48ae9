// The settings file under a real comma locale (de_DE.UTF-8), with the C library switched to it as the program does.
#include <gtest/gtest.h>

#include <QLocale>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "settings_temp_folder.h"
#include "storage/qt_settings_location.h"
#include "storage/settings_file.h"
#include "sweep/number_text.h"

namespace {

constexpr const char* kLocale = "de_DE.UTF-8";

// Switches the process to de_DE.UTF-8 before anything asks Qt for the system locale. The locale is compiled into a
// folder of the build tree when the locales package provides its sources; a system-wide one serves as well.
bool SwitchToGermanLocale() {
  const std::filesystem::path folder = QUENRIK_TEST_LOCALE_DIR;
  const std::filesystem::path compiled = folder / kLocale;
  if (!std::filesystem::exists(compiled / "LC_NUMERIC")) {
    std::filesystem::create_directories(folder);
    const std::string command =
        "localedef -c -i de_DE -f UTF-8 '" + compiled.string() + "' >/dev/null 2>&1";
    [[maybe_unused]] const int status = std::system(command.c_str());
  }
  if (std::filesystem::exists(compiled / "LC_NUMERIC")) ::setenv("LOCPATH", folder.c_str(), 1);
  ::setenv("LC_ALL", kLocale, 1);
  return std::setlocale(LC_ALL, "") != nullptr;
}

}  // namespace

TEST(SettingsLocale, ACommaLocaleReadsAndWritesCommas) {
  if (!SwitchToGermanLocale())
    GTEST_SKIP() << kLocale << " is not available: install the locales package (scripts/install-deps.sh)";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");  // the C library now formats with commas

  const char separator = SystemDecimalSeparator();
  ASSERT_EQ(separator, ',');

  const TempFolder folder;
  const std::string path = folder / "quenrik.ini";
  StoredSettings settings = ReadSettings(path, separator);
  settings.Range.Fstep = 0.00005;
  WriteSettings(path, settings, separator);
  EXPECT_EQ(ReadWholeFile(path),
            "[Settings]\ndirectory=Quenrik_mereni\ntitle=mereni1\nport=COM1\n\n"
            "[Range]\nfmin=10,695\nfmax=10,705\nfreqstep=5E-5\nmindb=-90\nmaxdb=5\n");
  const StoredSettings back = ReadSettings(path, separator);
  EXPECT_EQ(back.Range.Fmin, 10.695);
  EXPECT_EQ(back.Range.Fstep, 0.00005);

  // A file written under a full stop: every value with a fraction takes its default.
  WriteWholeFile(path, "[Range]\nfmin=1.5\nfmax=2.5\nfreqstep=0.01\nmindb=-80\nmaxdb=10\n");
  const StoredSettings pointFile = ReadSettings(path, separator);
  EXPECT_EQ(pointFile.Range.Fmin, 10.695);
  EXPECT_EQ(pointFile.Range.Fmax, 10.705);
  EXPECT_EQ(pointFile.Range.Fstep, 0.1);
  EXPECT_EQ(pointFile.Range.MinDb, -80);
  EXPECT_EQ(pointFile.Range.MaxDb, 10);

  // The conversions ignore the C library's locale: a full stop still works where it is asked for.
  EXPECT_EQ(number_text::ParseFloat("10.695", '.'), 10.695);
  EXPECT_EQ(number_text::FormatGeneral(10.695, '.'), "10.695");
}
