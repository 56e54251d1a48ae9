// The INI service: profile-string lookups, line-keeping writes and the whole-file save with its failures.
#include "storage/ini_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "settings_temp_folder.h"
#include "sweep/app_error.h"

namespace fs = std::filesystem;

namespace {

// Exit codes of the checks run in a child process.
constexpr int kRefusedAsExpected = 0;
constexpr int kNotRefused = 1;
constexpr int kOtherMessage = 2;

int SaveIsRefused(const IniFile& file) {
  try {
    file.Save();
  } catch (const AppError& error) {
    return std::string(error.what()) == "Unable to write to quenrik.ini" ? kRefusedAsExpected : kOtherMessage;
  }
  return kNotRefused;
}

std::string SaveError(const IniFile& file) {
  try {
    file.Save();
  } catch (const AppError& error) {
    return error.what();
  }
  return "(saved)";
}

class IniFileTest : public testing::Test {
 protected:
  IniFile FromText(const std::string& text) {
    WriteWholeFile(path_, text);
    return IniFile(path_);
  }

  TempFolder folder_;
  const std::string path_ = folder_ / "quenrik.ini";
};

TEST_F(IniFileTest, ReadsNamesWithoutCaseAndValuesAsRawText) {
  const IniFile file = FromText(
      "title=outside any section\n"
      "[SeTTings]\n"
      "; title=a comment\n"
      "# title=another comment\n"
      "just some words\n"
      "=no key\n"
      "  TITLE \t=\t a,b\\c \"q\" ;not a comment = still the value \t\n"
      "Directory=C:\\Mereni\\Měření 1\n"
      "port=\n"
      "empty = \n"
      "quoted=\"COM3\"\n"
      "title=second occurrence\n"
      "[ Range ]  trailing text\n"
      "FMIN=1.5\n"
      "[broken\n"
      "fmax=2.5\n"
      "[settings]\n"
      "extra=from a repeated section\n"
      "port=shadowed\n");
  const struct { const char* section; const char* key; const char* value; } rows[] = {
      {"settings", "title", "a,b\\c \"q\" ;not a comment = still the value"},
      {"Settings", "directory", "C:\\Mereni\\Měření 1"},
      {"SETTINGS", "port", ""},
      {"Settings", "empty", ""},
      {"Settings", "quoted", "\"COM3\""},
      {"range", "fmin", "1.5"},
      {"Range", "fmax", "2.5"},  // "[broken" is no header, so fmax stays in Range
      {"Settings", "extra", "from a repeated section"},
  };
  for (const auto& row : rows) EXPECT_EQ(file.ReadString(row.section, row.key, "default"), row.value) << row.key;

  const struct { const char* section; const char* key; } missing[] = {
      {"Settings", "just some words"}, {"Settings", ""}, {"Settings", "; title"}, {"Range", "title"},
      {"Nowhere", "title"}, {"", "title"}, {"broken", "fmax"}};
  for (const auto& row : missing) EXPECT_EQ(file.ReadString(row.section, row.key, "default"), "default") << row.key;
}

TEST_F(IniFileTest, ByteOrderMarkAndCrlfAreReadAndKept) {
  const std::string text = "\xEF\xBB\xBF[Settings]\r\ntitle=abc \r\n";
  IniFile file = FromText(text);
  EXPECT_EQ(file.ReadString("Settings", "title", ""), "abc");
  EXPECT_EQ(file.Text(), text);
  file.WriteString("Settings", "title", "xyz");
  EXPECT_EQ(file.Text(), "\xEF\xBB\xBF[Settings]\r\ntitle=xyz\r\n");
}

TEST_F(IniFileTest, ValuesAreCutTo2047BytesWithoutSplittingACharacter) {
  const std::string r = "ř";  // two bytes in UTF-8
  const struct { std::string value; std::string read; } rows[] = {
      {std::string(2047, 'a'), std::string(2047, 'a')},
      {std::string(3000, 'a'), std::string(2047, 'a')},
      {std::string(2046, 'a') + r + "b", std::string(2046, 'a')},
      {std::string(2045, 'a') + r + "b", std::string(2045, 'a') + r},
      {std::string(2046, 'a') + "\xFF\xFF", std::string(2046, 'a') + "\xFF"},  // not UTF-8: cut at the byte
  };
  for (const auto& row : rows) {
    IniFile file(path_);
    file.WriteString("Settings", "title", row.value);
    file.Save();
    EXPECT_EQ(IniFile(path_).ReadString("Settings", "title", ""), row.read) << row.value.size();
  }
}

TEST_F(IniFileTest, WritingReplacesOnlyTheValueOfAHandEditedFile) {
  IniFile file = FromText(
      "; Quenrik settings, edited by hand\r\n"
      "\r\n"
      "[SETTINGS]\r\n"
      "Title = old name\r\n"
      "colour=green ; mine\r\n"
      "\r\n"
      "[Other]\r\n"
      "port=not this one\r\n"
      "[range]\r\n"
      "FMin\t=  1.5\r\n"
      "# the end\r\n");
  file.WriteString("Settings", "title", "Měření, 2\\b");
  file.WriteString("Settings", "port", "COM2");
  file.WriteString("Range", "fmin", "");
  file.WriteString("Range", "fmax", "2,5");
  file.WriteString("Settings", "colour", "red");
  EXPECT_EQ(file.Text(),
            "; Quenrik settings, edited by hand\r\n"
            "\r\n"
            "[SETTINGS]\r\n"
            "Title = Měření, 2\\b\r\n"
            "colour=red\r\n"
            "port=COM2\r\n"
            "\r\n"
            "[Other]\r\n"
            "port=not this one\r\n"
            "[range]\r\n"
            "FMin\t=  \r\n"
            "fmax=2,5\r\n"
            "# the end\r\n");
  EXPECT_EQ(file.ReadString("range", "FMIN", "default"), "");
  EXPECT_EQ(file.ReadString("Other", "port", ""), "not this one");
}

TEST_F(IniFileTest, MissingKeysAndSectionsAreAdded) {
  const struct { const char* before; const char* after; } rows[] = {
      {"", "[Range]\nfmin=1\n"},
      {"[Settings]\ntitle=a", "[Settings]\ntitle=a\n\n[Range]\nfmin=1\n"},  // last line gets its line end
      {"[Settings]\n\n", "[Settings]\n\n[Range]\nfmin=1\n"},             // no second blank line
      {"[Range]\n; nothing yet\n[Settings]\n", "[Range]\nfmin=1\n; nothing yet\n[Settings]\n"},
      {"[Range]\nfmax=2\n\n; next\n[Settings]\n", "[Range]\nfmax=2\nfmin=1\n\n; next\n[Settings]\n"},
      {"[Range]\nfmax=2\n[Other]\n[range]\nmaxdb=5\n", "[Range]\nfmax=2\nfmin=1\n[Other]\n[range]\nmaxdb=5\n"},
      {"[Range]\r\nfmax=2", "[Range]\r\nfmax=2\r\nfmin=1\r\n"},
  };
  for (const auto& row : rows) {
    IniFile file = FromText(row.before);
    file.WriteString("Range", "fmin", "1");
    EXPECT_EQ(file.Text(), row.after) << row.before;
  }
}

TEST_F(IniFileTest, ACrEndingTheFileIsALineEndNotPartOfTheValue) {
  // Found by fuzzing: the value read "2\r" until a key was added after it, and "2" once the file was saved.
  IniFile file = FromText("[Range]\nfmax=2\r");
  EXPECT_EQ(file.ReadString("Range", "fmax", ""), "2");
  EXPECT_EQ(file.Text(), "[Range]\nfmax=2\r");
  file.WriteString("Settings", "port", "COM1");
  EXPECT_EQ(file.Text(), "[Range]\nfmax=2\r\n\n[Settings]\nport=COM1\n");  // the CR gets its LF
  file.Save();
  EXPECT_EQ(IniFile(path_).ReadString("Range", "fmax", ""), "2");
}

TEST_F(IniFileTest, ALineBreakInAValueCannotAddLines) {
  IniFile file(path_);
  file.WriteString("Settings", "title", "a\r\n[Range]\nfmin=1e400");
  file.Save();
  const IniFile back(path_);
  EXPECT_EQ(back.ReadString("Settings", "title", ""), "a  [Range] fmin=1e400");
  EXPECT_EQ(back.ReadString("Range", "fmin", "default"), "default");
  EXPECT_EQ(ReadWholeFile(path_), "[Settings]\ntitle=a  [Range] fmin=1e400\n");
}

TEST_F(IniFileTest, SaveCreatesTheFileAndItsFolderAndLeavesNoTemporaryFile) {
  const std::string nested = folder_ / "config/deeper/quenrik.ini";
  IniFile file(nested);
  EXPECT_EQ(file.ReadString("Settings", "title", "default"), "default");
  file.WriteString("Settings", "title", "x");
  file.Save();
  EXPECT_EQ(ReadWholeFile(nested), "[Settings]\ntitle=x\n");

  FromText("[Settings]\ntitle=old\n").Save();
  IniFile again(path_);
  again.WriteString("Settings", "title", "new");
  again.Save();
  EXPECT_EQ(ReadWholeFile(path_), "[Settings]\ntitle=new\n");
  EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"config", "quenrik.ini"}));
}

TEST_F(IniFileTest, SaveKeepsPermissionsAndSymbolicLinks) {
  const std::string real = folder_ / "real.ini";
  WriteWholeFile(real, "[Settings]\ntitle=old\n");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("real.ini", path_);
  IniFile file(path_);
  EXPECT_EQ(file.ReadString("Settings", "title", ""), "old");
  file.WriteString("Settings", "title", "new");
  file.Save();
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_EQ(ReadWholeFile(real), "[Settings]\ntitle=new\n");
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(IniFileTest, AFolderThatCannotBeCreatedIsReportedWithTheBareFileName) {
  WriteWholeFile(folder_ / "plain-file", "");
  IniFile file(folder_ / "plain-file/quenrik.ini");
  EXPECT_EQ(file.ReadString("Settings", "title", "default"), "default");
  file.WriteString("Settings", "title", "x");
  EXPECT_EQ(SaveError(file), "Unable to write to quenrik.ini");
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"plain-file"});
}

TEST_F(IniFileTest, ADirectoryInPlaceOfTheFileIsNotReplaced) {
  fs::create_directory(path_);
  IniFile file(path_);
  file.WriteString("Settings", "title", "x");
  EXPECT_EQ(SaveError(file), "Unable to write to quenrik.ini");
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"quenrik.ini"});
}

// Permission bits do not bind root, so these run in a child process as an ordinary user.
TEST_F(IniFileTest, AReadOnlyFolderOrFileRefusesTheSaveAndKeepsTheOldFile) {
  const std::string old = "; mine\n[Settings]\ntitle=old\n";
  WriteWholeFile(path_, old);
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                             fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);

  fs::permissions(folder_.Path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  EXPECT_EQ(RunAsOrdinaryUser([&] {
              IniFile file(path_);
              if (file.ReadString("Settings", "title", "") != "old") return 3;
              file.WriteString("Settings", "title", "new");
              return SaveIsRefused(file);
            }),
            kRefusedAsExpected);
  EXPECT_EQ(ReadWholeFile(path_), old);
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"quenrik.ini"});

  // A writable folder, but the file itself is read-only: it is not replaced behind the user's back.
  fs::permissions(folder_.Path(), fs::perms::all);
  fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(RunAsOrdinaryUser([&] {
              IniFile file(path_);
              file.WriteString("Settings", "title", "new");
              return SaveIsRefused(file);
            }),
            kRefusedAsExpected);
  EXPECT_EQ(ReadWholeFile(path_), old);
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"quenrik.ini"});
}

TEST_F(IniFileTest, AFileThatCannotBeReadReadsAsDefaultsAndIsNotOverwritten) {
  const std::string old = "; mine\n[Settings]\ntitle=old\n";
  WriteWholeFile(path_, old);
  fs::permissions(path_, fs::perms::owner_write);
  fs::permissions(folder_.Path(), fs::perms::all);
  EXPECT_EQ(RunAsOrdinaryUser([&] {
              IniFile file(path_);
              if (file.ReadString("Settings", "title", "default") != "default") return 3;
              file.WriteString("Settings", "title", "new");
              return SaveIsRefused(file);
            }),
            kRefusedAsExpected);
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadWholeFile(path_), old);
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"quenrik.ini"});
}

// A full disk: the file-size limit makes the write of the new text fail part-way.
TEST_F(IniFileTest, AWriteThatFailsPartWayKeepsTheOldFileWhole) {
  const std::string old = "[Settings]\ntitle=old\n";
  WriteWholeFile(path_, old);
  EXPECT_EQ(RunInChild([&] {
              std::signal(SIGXFSZ, SIG_IGN);
              const rlimit limit{100, 100};
              if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
              IniFile file(path_);
              file.WriteString("Settings", "title", std::string(100000, 'x'));
              return SaveIsRefused(file);
            }),
            kRefusedAsExpected);
  EXPECT_EQ(ReadWholeFile(path_), old);
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"quenrik.ini"});
}

}  // namespace
