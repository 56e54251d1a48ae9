// ReadSettings and WriteSettings: defaults, number texts under both separators, and hand-edited files kept intact.
#include "storage/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "settings_temp_folder.h"
#include "sweep/app_error.h"

namespace {

void ExpectSame(const StoredSettings& actual, const StoredSettings& expected) {
  EXPECT_EQ(actual.Directory, expected.Directory);
  EXPECT_EQ(actual.Title, expected.Title);
  EXPECT_EQ(actual.PortName, expected.PortName);
  EXPECT_EQ(actual.Range.Fmin, expected.Range.Fmin);
  EXPECT_EQ(actual.Range.Fmax, expected.Range.Fmax);
  EXPECT_EQ(actual.Range.Fstep, expected.Range.Fstep);
  EXPECT_EQ(actual.Range.MinDb, expected.Range.MinDb);
  EXPECT_EQ(actual.Range.MaxDb, expected.Range.MaxDb);
}

std::string RangeFile(const std::string& fmin, const std::string& fmax, const std::string& freqstep,
                      const std::string& mindb, const std::string& maxdb) {
  return "[Range]\nfmin=" + fmin + "\nfmax=" + fmax + "\nfreqstep=" + freqstep + "\nmindb=" + mindb +
         "\nmaxdb=" + maxdb + "\n";
}

class SettingsFileTest : public testing::Test {
 protected:
  StoredSettings ReadText(const std::string& text, char separator) {
    WriteWholeFile(path_, text);
    return ReadSettings(path_, separator);
  }

  TempFolder folder_;
  const std::string path_ = folder_ / "quenrik.ini";
};

TEST_F(SettingsFileTest, FirstStartGivesTheDefaultsAndTheExitWritesExactlyTheEightKeys) {
  const std::string path = folder_ / "config/quenrik.ini";  // not even the folder exists yet
  const StoredSettings read = ReadSettings(path, '.');
  ExpectSame(read, StoredSettings{"Quenrik_mereni", "mereni1", "COM1", {10.695, 10.705, 0.1, -90, 5}});
  WriteSettings(path, read, '.');
  EXPECT_EQ(ReadWholeFile(path),
            "[Settings]\n"
            "directory=Quenrik_mereni\n"
            "title=mereni1\n"
            "port=COM1\n"
            "\n"
            "[Range]\n"
            "fmin=10.695\n"
            "fmax=10.705\n"
            "freqstep=0.1\n"
            "mindb=-90\n"
            "maxdb=5\n");
  ExpectSame(ReadSettings(path, '.'), read);
}

TEST_F(SettingsFileTest, EmptyTextsStayEmptyWhileAnEmptyNumberTakesItsDefault) {
  const StoredSettings read = ReadText("[Settings]\ndirectory=\ntitle=\nport=\n[Range]\nfmin=\nfmax=7\n", '.');
  EXPECT_EQ(read.Directory, "");
  EXPECT_EQ(read.Title, "");
  EXPECT_EQ(read.PortName, "");
  EXPECT_EQ(read.Range.Fmin, 10.695);
  EXPECT_EQ(read.Range.Fmax, 7);
  EXPECT_EQ(read.Range.Fstep, 0.1);
}

TEST_F(SettingsFileTest, NumbersThatCannotBeReadTakeTheirDefaults) {
  const struct { const char* text; double fmin; } rows[] = {
      {"0.12345678901234567", 0.12345678901234567}, {"2E1", 20}, {"1e-3", 0.001}, {"-1.5", -1.5}, {".", 0},
      {"1e-400", 0},
      {"1e400", 10.695},  // beyond a double: the default, not an error at every start
      {"-1e400", 10.695}, {"abc", 10.695}, {"12.5 MHz", 10.695}, {"1,5", 10.695}, {"1 000", 10.695},
      {"\"1.5\"", 10.695}};
  for (const auto& row : rows)
    EXPECT_EQ(ReadText(std::string("[Range]\nfmin=") + row.text + "\n", '.').Range.Fmin, row.fmin) << row.text;
}

TEST_F(SettingsFileTest, TheSeparatorOfTheFileMustBeTheLocalesOne) {
  const std::string commaFile = RangeFile("1,5", "2,5", "0,01", "-80", "10");
  const std::string pointFile = RangeFile("1.5", "2.5", "0.01", "-80", "10");
  const RangeSettings fractionsDefault{10.695, 10.705, 0.1, -80, 10};
  const RangeSettings asWritten{1.5, 2.5, 0.01, -80, 10};
  const struct { const std::string* file; char separator; RangeSettings range; } rows[] = {
      {&commaFile, ',', asWritten}, {&commaFile, '.', fractionsDefault},
      {&pointFile, '.', asWritten}, {&pointFile, ',', fractionsDefault}};
  for (const auto& row : rows) {
    const StoredSettings read = ReadText(*row.file, row.separator);
    ExpectSame(read, StoredSettings{"Quenrik_mereni", "mereni1", "COM1", row.range});
  }
}

TEST_F(SettingsFileTest, NumbersAreWrittenInTheGeneralFormatWithTheSeparator) {
  StoredSettings settings = kDefaultSettings;
  settings.Range = {0.12345678901234567, 150, 0.00005, -90.5, 1.5e20};
  WriteSettings(path_, settings, '.');
  EXPECT_EQ(ReadWholeFile(path_).substr(ReadWholeFile(path_).find("[Range]")),
            RangeFile("0.123456789012346", "150", "5E-5", "-90.5", "1.5E20"));
  EXPECT_EQ(ReadSettings(path_, '.').Range.Fstep, 0.00005);

  WriteSettings(path_, kDefaultSettings, ',');
  EXPECT_EQ(ReadWholeFile(path_).substr(ReadWholeFile(path_).find("[Range]")),
            RangeFile("10,695", "10,705", "0,1", "-90", "5"));
  ExpectSame(ReadSettings(path_, ','), kDefaultSettings);
}

TEST_F(SettingsFileTest, AHandEditedFileKeepsEverythingButTheEightValues) {
  WriteWholeFile(path_,
                 "; my instrument\r\n"
                 "[settings]\r\n"
                 "Port = COM3\r\n"
                 "Directory=/data/Měření, A\\b\r\n"
                 "mine=kept\r\n"
                 "\r\n"
                 "[Printer]\r\n"
                 "fmin=not a range value\r\n"
                 "\r\n"
                 "[RANGE]\r\n"
                 "FREQSTEP=2E1\r\n"
                 "maxdb = 10 \r\n"
                 "; the end\r\n");
  const StoredSettings read = ReadSettings(path_, '.');
  EXPECT_EQ(read.PortName, "COM3");
  EXPECT_EQ(read.Directory, "/data/Měření, A\\b");
  EXPECT_EQ(read.Range.Fstep, 20);
  EXPECT_EQ(read.Range.Fmin, 10.695);

  StoredSettings atExit = read;
  atExit.Title = "Filter 2";
  atExit.Range.Fmin = 1;
  WriteSettings(path_, atExit, '.');
  EXPECT_EQ(ReadWholeFile(path_),
            "; my instrument\r\n"
            "[settings]\r\n"
            "Port = COM3\r\n"
            "Directory=/data/Měření, A\\b\r\n"
            "mine=kept\r\n"
            "title=Filter 2\r\n"
            "\r\n"
            "[Printer]\r\n"
            "fmin=not a range value\r\n"
            "\r\n"
            "[RANGE]\r\n"
            "FREQSTEP=20\r\n"
            "maxdb = 10\r\n"
            "fmin=1\r\n"
            "fmax=10.705\r\n"
            "mindb=-90\r\n"
            "; the end\r\n");
}

TEST_F(SettingsFileTest, AMissingFolderKeyIsWrittenBackAsTheDefault) {
  const StoredSettings read = ReadText("[Settings]\ntitle=x\n", '.');
  WriteSettings(path_, read, '.');
  EXPECT_EQ(ReadWholeFile(path_), "[Settings]\ntitle=x\ndirectory=Quenrik_mereni\nport=COM1\n\n" +
                                      RangeFile("10.695", "10.705", "0.1", "-90", "5"));
}

TEST_F(SettingsFileTest, AWriteThatIsRefusedRaisesTheMessageAndKeepsTheOldFile) {
  WriteWholeFile(folder_ / "not-a-folder", "");
  try {
    WriteSettings(folder_ / "not-a-folder/quenrik.ini", kDefaultSettings, '.');
    ADD_FAILURE() << "the write was not refused";
  } catch (const AppError& error) {
    EXPECT_STREQ(error.what(), "Unable to write to quenrik.ini");
  }

  const std::string old = "[Settings]\ntitle=old\n";
  WriteWholeFile(path_, old);
  namespace fs = std::filesystem;
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                             fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
  fs::permissions(folder_.Path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  EXPECT_EQ(RunAsOrdinaryUser([&] {
              try {
                WriteSettings(path_, ReadSettings(path_, '.'), '.');
              } catch (const AppError& error) {
                return std::string(error.what()) == "Unable to write to quenrik.ini" ? 0 : 2;
              }
              return 1;
            }),
            0);
  EXPECT_EQ(ReadWholeFile(path_), old);
  EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"not-a-folder", "quenrik.ini"}));
}

}  // namespace
