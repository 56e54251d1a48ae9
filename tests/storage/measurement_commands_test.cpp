// Save and Load through the fake view: round trips, the questions and messages, refused files and the error paths.
#include "storage/measurement_commands.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fake_instrument.h"
#include "fake_sweep_view.h"
#include "measurement_test_support.h"
#include "sweep/app_error.h"
#include "sweep/sweep_run.h"

using measurement_format::Bytes;
using measurement_format::MeasuredPoint;
using measurement_format::WriteMeasurement;

namespace {

struct Fixture {
  ScratchFolder folder;
  RangeSettings range;
  SweepState state;
  FakeSweepView view{range};
  MeasurementCommands commands{state, view};

  void Save(const std::string& name) {
    view.chosenFile = folder.File(name);
    commands.btnSaveClick();
  }
  void Load(const std::string& name) {
    view.chosenFile = folder.File(name);
    commands.btnLoadClick();
  }
};

// Everything a command may change, to show that a refused or cancelled one changed none of it.
struct Observed {
  std::int32_t pointCount;
  std::vector<std::int32_t> levels, khz;
  double currentLevel;
  bool sweepAbandoned;
  std::map<EditField, std::string> fields;
  std::vector<std::pair<double, double>> points;
  double fmin, fmax;
  std::map<int, std::string> status;
  bool operator==(const Observed&) const = default;
};

Observed Observe(const Fixture& f) {
  std::vector<std::pair<double, double>> points;
  for (const auto& p : f.view.points) points.emplace_back(p.frequency, p.level);
  return {f.state.PointCount,
          {f.state.LevelTable.begin(), f.state.LevelTable.begin() + 50},
          {f.state.KhzTable.begin(), f.state.KhzTable.begin() + 50},
          f.state.CurrentLevel,
          f.state.SweepAbandoned,
          f.view.fields,
          points,
          f.range.Fmin,
          f.range.Fmax,
          f.view.status};
}

// A fixture that has loaded a three-point measurement, so every table and field holds something to keep.
void LoadSomething(Fixture& f) {
  WriteBytes(f.folder.File("earlier.dbf"),
             WriteMeasurement(std::vector<MeasuredPoint>{{5000, -1}, {5500, -2}, {6000, -3}}));
  f.Load("earlier.dbf");
  f.view.log.clear();
  f.view.messages.clear();
  f.state.SweepAbandoned = false;
}

}  // namespace

struct RoundTrip {
  const char* fmin;
  const char* fmax;
  const char* fstep;
  std::int32_t points;
  const char* firstText;  // edFmin after Load
  const char* lastText;   // edFmax after Load
};

void PrintTo(const RoundTrip& row, std::ostream* out) { *out << row.points << " points"; }

class MeasurementRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(MeasurementRoundTrip, LoadGivesBackTheSavedSweepAndSavesTheSameBytesAgain) {
  const RoundTrip& row = GetParam();
  Fixture f;
  const double fmin = number_text::ParseFloat(row.fmin, '.');
  const double fmax = number_text::ParseFloat(row.fmax, '.');
  ASSERT_EQ(MeasuredSweep(f.state, fmin, fmax, number_text::ParseFloat(row.fstep, '.')), row.points);
  const SweepState measured = f.state;
  f.Save("sweep.dbf");
  ASSERT_EQ(ReadBytes(f.folder.File("sweep.dbf")).size(), 97u + 25u * static_cast<std::size_t>(row.points));

  f.state = SweepState{};
  f.view.SetRange("0", "1", "0.5");
  f.Load("sweep.dbf");

  const auto n = static_cast<std::size_t>(row.points);
  EXPECT_EQ(f.view.fields[EditField::edFmin], row.firstText);
  EXPECT_EQ(f.view.fields[EditField::edFmax], row.lastText);
  EXPECT_EQ(f.range.Fmin, numeric_rules::MegahertzFromKhz(measured.KhzTable[0]));
  EXPECT_EQ(f.state.PointCount, row.points);
  EXPECT_TRUE(f.state.SweepAbandoned);
  EXPECT_TRUE(
      std::equal(measured.LevelTable.begin(), measured.LevelTable.begin() + row.points, f.state.LevelTable.begin()));
  EXPECT_TRUE(std::equal(measured.KhzTable.begin(), measured.KhzTable.begin() + row.points, f.state.KhzTable.begin()));
  if (n < f.state.LevelTable.size()) {
    EXPECT_EQ(f.state.LevelTable[n], f.state.LevelTable[n - 1]);
  }
  ASSERT_EQ(f.view.points.size(), n);
  for (std::size_t i = 0; i < n; i += std::max<std::size_t>(1, n / 50)) {
    EXPECT_EQ(f.view.points[i].frequency, numeric_rules::MegahertzFromKhz(measured.KhzTable[i])) << i;
    EXPECT_EQ(f.view.points[i].level, measured.LevelTable[i]) << i;
  }
  EXPECT_EQ(f.view.points.back().frequency, numeric_rules::MegahertzFromKhz(measured.KhzTable[n - 1]));

  f.Save("again.dbf");
  EXPECT_EQ(ReadBytes(f.folder.File("again.dbf")), ReadBytes(f.folder.File("sweep.dbf")));
}

INSTANTIATE_TEST_SUITE_P(Table, MeasurementRoundTrip,
                         ::testing::Values(RoundTrip{"10.705", "10.695", "0.1", 1, "10.695", "10.695"},
                                           RoundTrip{"10.695", "10.705", "0.1", 2, "10.695", "10.705"},
                                           RoundTrip{"1", "14", "1", 15, "1", "14"},
                                           RoundTrip{"1", "15", "1", 16, "1", "15"},
                                           RoundTrip{"100", "398", "1", 300, "100", "398"},
                                           RoundTrip{"1", "150", "0.01", 14901, "1", "150"}));

TEST(MeasurementSave, WritesWhereTheLevelsWereMeasuredWhateverTheRangeSaysNow) {
  Fixture f;
  FakeInstrument instrument{f.state};
  SweepRun run{f.range, f.state, instrument, f.view};
  instrument.levels = {-45.7, -12.2};
  f.view.onProcess = [&run](int call) {
    if (call == 1) run.btnStopClick();
  };
  run.btnRunClick();  // 10.695 to 10.705 in steps of 0.1: the second point is measured at Fmax
  f.view.SetRange("1", "2", "0.5");
  f.view.ApplyRange();

  f.Save("measured.dbf");

  const Bytes bytes = ReadBytes(f.folder.File("measured.dbf"));
  EXPECT_EQ(std::string(bytes.begin() + 97, bytes.end()), "       10695         -45        10705         -12 ");
}

TEST(MeasurementSave, TalksToTheViewInOrderAndProposesTheMeasurementName) {
  Fixture f;
  MeasuredSweep(f.state, 10.695, 10.705, 0.1);
  f.view.fields[EditField::edJmeno] = "filtr 2";
  f.Save("new.dbf");
  EXPECT_EQ(f.view.log, (std::vector<std::string>{"ChooseFile(save,filtr 2)", "SetStatusText(0,Saving)", "RepaintNow",
                                                  "SetStatusText(0,)"}));
  EXPECT_TRUE(f.view.messages.empty());
}

TEST(MeasurementSave, AsksBeforeOverwritingAndLeavesExactlyTheNewRecords) {
  Fixture f;
  const std::string target = f.folder.File("longer.dbf");
  WriteBytes(target, Bytes(7597, 'x'));
  MeasuredSweep(f.state, 10.695, 10.705, 0.1);
  f.Save("longer.dbf");
  ASSERT_EQ(f.view.messages.size(), 1u);
  EXPECT_EQ(f.view.messages[0], (std::pair<std::string, std::string>{"File already exists - overwrite?", "Warning"}));
  EXPECT_EQ(ReadBytes(target), WriteMeasurement(std::vector<MeasuredPoint>{{10695, -120}, {10705, -119}}));
  EXPECT_EQ(f.folder.Names(), (std::set<std::string>{"longer.dbf"}));
}

TEST(MeasurementSave, ReplacingAFileKeepsItsPermissionsAndSavesThroughALink) {
  namespace fs = std::filesystem;
  Fixture f;
  const std::string real = f.folder.File("real.dbf");
  WriteBytes(real, Bytes(300, 'x'));
  fs::permissions(real, fs::perms(0640));
  fs::create_symlink(real, f.folder.File("link.dbf"));
  MeasuredSweep(f.state, 10.695, 10.705, 0.1);
  f.Save("link.dbf");
  EXPECT_EQ(ReadBytes(real), WriteMeasurement(std::vector<MeasuredPoint>{{10695, -120}, {10705, -119}}));
  EXPECT_TRUE(fs::is_symlink(f.folder.File("link.dbf")));
  EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640));
  EXPECT_EQ(f.folder.Names(), (std::set<std::string>{"link.dbf", "real.dbf"}));
}

TEST(MeasurementSave, NoAndCancelLeaveTheFileAndEverythingElseUntouched) {
  for (const bool cancel : {false, true}) {
    Fixture f;
    LoadSomething(f);
    const std::string target = f.folder.File("earlier.dbf");
    const Bytes earlier = ReadBytes(target);
    MeasuredSweep(f.state, 1, 15, 1);
    const Observed before = Observe(f);
    f.view.answerYes = false;
    f.view.chosenFile = target;
    if (cancel) f.view.chosenFile.reset();
    f.commands.btnSaveClick();
    EXPECT_EQ(ReadBytes(target), earlier);
    EXPECT_TRUE(Observe(f) == before);
    EXPECT_EQ(f.view.log.size(), cancel ? 1u : 2u);  // the dialog, and for No the question
    EXPECT_EQ(f.folder.Names(), (std::set<std::string>{"earlier.dbf"}));
  }
}

TEST(MeasurementSave, AFailureNamesTheFileClearsTheStatusAndLeavesNoFile) {
  Fixture f;
  MeasuredSweep(f.state, 10.695, 10.705, 0.1);
  std::filesystem::create_directory(f.folder.File("folder.dbf"));
  for (const std::string name : {"missing/new.dbf", "folder.dbf"}) {
    f.view.chosenFile = f.folder.File(name);
    try {
      f.commands.btnSaveClick();
      ADD_FAILURE() << name << " reported as saved";
    } catch (const AppError& error) {
      EXPECT_NE(std::string(error.what()).find("'" + f.folder.File(name) + "'"), std::string::npos) << error.what();
    }
    EXPECT_EQ(f.view.status[0], "");
    EXPECT_EQ(f.folder.Names(), (std::set<std::string>{"folder.dbf"}));
    EXPECT_TRUE(std::filesystem::is_empty(f.folder.File("folder.dbf")));
  }
}

TEST(MeasurementLoad, TalksToTheViewInOrder) {
  Fixture f;
  WriteBytes(f.folder.File("two.dbf"), WriteMeasurement(std::vector<MeasuredPoint>{{10695, -45}, {10705, -12}}));
  f.Load("two.dbf");
  EXPECT_EQ(f.view.log, (std::vector<std::string>{"ChooseFile(open,)", "SetStatusText(0,Loading)", "RepaintNow",
                                                  "ClearPlot", "ApplyRange", "SetStatusText(0,)"}));
  EXPECT_DOUBLE_EQ(f.state.CurrentLevel, -12);
  EXPECT_EQ(f.range.Fmax, 10.705);
}

TEST(MeasurementLoad, CancelAMissingFileOrAFolderChangeNothing) {
  for (const char* name : {"", "missing.dbf", "folder.dbf"}) {
    Fixture f;
    LoadSomething(f);
    std::filesystem::create_directory(f.folder.File("folder.dbf"));
    const Observed before = Observe(f);
    f.view.chosenFile = f.folder.File(name);
    if (*name == '\0') f.view.chosenFile.reset();
    f.commands.btnLoadClick();
    EXPECT_TRUE(Observe(f) == before) << name;
    if (*name == '\0') {
      EXPECT_EQ(f.view.log, std::vector<std::string>{"ChooseFile(open,)"});
    } else {
      EXPECT_EQ(f.view.messages, (std::vector<std::pair<std::string, std::string>>{{"File does not exist", "Error"}}));
      EXPECT_EQ(f.view.log.back(), "SetStatusText(0,)");
    }
  }
}

struct RefusedFile {
  const char* name;
  Bytes bytes;
  std::string messageAfterName;
};

void PrintTo(const RefusedFile& row, std::ostream* out) { *out << row.name; }

class MeasurementLoadRefuses : public ::testing::TestWithParam<RefusedFile> {};

TEST_P(MeasurementLoadRefuses, SaysWhyAndChangesNothing) {
  Fixture f;
  LoadSomething(f);
  const Observed before = Observe(f);
  WriteBytes(f.folder.File("odd.dbf"), GetParam().bytes);
  f.Load("odd.dbf");
  EXPECT_TRUE(Observe(f) == before);
  EXPECT_EQ(f.view.messages, (std::vector<std::pair<std::string, std::string>>{
                                 {"'" + f.folder.File("odd.dbf") + "' " + GetParam().messageAfterName, "Error"}}));
}

Bytes WithCount(std::vector<std::uint8_t> countBytes) {
  Bytes bytes = WriteMeasurement(std::vector<MeasuredPoint>{{10695, -45}, {10705, -12}});
  std::copy(countBytes.begin(), countBytes.end(), bytes.begin() + 4);
  return bytes;
}

Bytes Damaged(Bytes bytes, std::size_t at, char replacement) {
  bytes[at] = static_cast<std::uint8_t>(replacement);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MeasurementLoadRefuses,
    ::testing::Values(
        RefusedFile{"short", Bytes(96, 0), "is not a measurement file: it is shorter than the 97-byte header"},
        RefusedFile{"count 0", WithCount({0, 0, 0, 0}), "is not a measurement file: its record count is 0"},
        RefusedFile{"negative count", WithCount({0, 0, 0, 0xF0}),
                    "is not a measurement file: its record count is -65536"},
        RefusedFile{"count too large", WithCount({0x0F, 0x0F, 0x0F, 0x0F}),
                    "claims 65534 points; a measurement holds at most 20000"},
        RefusedFile{"no first point", Damaged(WithCount({3, 0, 0, 0}), 104, 'x'), "has no readable first point"}));

TEST(MeasurementLoad, AnEmptyMeasurementClearsThePlotAndKeepsTheRangeTexts) {
  Fixture f;
  LoadSomething(f);
  WriteBytes(f.folder.File("empty.dbf"), WriteMeasurement({}));
  f.Load("empty.dbf");
  EXPECT_TRUE(f.view.points.empty());
  EXPECT_EQ(f.view.fields[EditField::edFmin], "5");
  EXPECT_EQ(f.view.fields[EditField::edFmax], "6");
  EXPECT_EQ(f.state.PointCount, 0);
  EXPECT_TRUE(f.state.SweepAbandoned);
  EXPECT_TRUE(f.view.messages.empty());
}

TEST(MeasurementLoad, ACountBeyondTheRecordsDrawsExtraPointsAtTheLastFrequency) {
  Fixture f;
  WriteBytes(f.folder.File("long count.dbf"), WithCount({5, 0, 0, 0}));
  f.Load("long count.dbf");
  ASSERT_EQ(f.view.points.size(), 4u);
  EXPECT_EQ(f.view.points[3].frequency, 10.705);
  EXPECT_EQ(f.view.points[3].level, -12);
  EXPECT_EQ(f.view.fields[EditField::edFmax], "10.705");
  EXPECT_EQ(f.state.PointCount, 4);
}

TEST(MeasurementLoad, AnApplyRangeErrorEndsItWithThePlotEmptyAndTheFileInTheTables) {
  Fixture f;
  LoadSomething(f);
  WriteBytes(f.folder.File("two.dbf"), WriteMeasurement(std::vector<MeasuredPoint>{{10695, -45}, {10705, -12}}));
  f.view.onApplyRange = [] { throw AppError("'x' is not a valid floating point value"); };
  EXPECT_THROW(f.Load("two.dbf"), AppError);
  EXPECT_TRUE(f.view.points.empty());
  EXPECT_EQ(f.view.status[0], "Loading");
  EXPECT_EQ(f.view.fields[EditField::edFmin], "10.695");
  EXPECT_EQ(f.view.fields[EditField::edFmax], "10.705");
  EXPECT_EQ(f.state.PointCount, 2);
  EXPECT_EQ(f.state.LevelTable[1], -12);
  EXPECT_EQ(f.state.LevelTable[2], -12);
  EXPECT_EQ(f.state.KhzTable[1], 10705);
  EXPECT_EQ(f.range.Fmin, 5);  // the range as the earlier load applied it
}

TEST(MeasurementLoad, WritesTheRangeTextsWithTheUsersDecimalSeparator) {
  struct CommaView : FakeSweepView {
    using FakeSweepView::FakeSweepView;
    char DecimalSeparator() const override { return ','; }
  };
  ScratchFolder folder;
  RangeSettings range;
  SweepState state;
  CommaView view{range};
  view.onApplyRange = [] {};
  MeasurementCommands commands{state, view};
  WriteBytes(folder.File("two.dbf"), WriteMeasurement(std::vector<MeasuredPoint>{{10695, -45}, {-999, -12}}));
  view.chosenFile = folder.File("two.dbf");
  commands.btnLoadClick();
  EXPECT_EQ(view.fields[EditField::edFmin], "10,695");
  EXPECT_EQ(view.fields[EditField::edFmax], "-0,999");
}

TEST(MeasurementLoad, DuringAFinishingSweepEndsItAtOnceAndLeavesTheFileSaveable) {
  Fixture f;
  FakeInstrument instrument{f.state};
  SweepRun run{f.range, f.state, instrument, f.view};
  const Bytes file = WriteMeasurement(std::vector<MeasuredPoint>{{10695, -45}, {10705, -12}, {10715, -3}});
  WriteBytes(f.folder.File("three.dbf"), file);
  f.view.SetRange("1", "5", "1");
  f.view.onProcess = [&](int call) {
    if (call != 1) return;
    run.btnStopClick();
    f.Load("three.dbf");
  };
  run.btnRunClick();
  EXPECT_EQ(instrument.sent.size(), 1u);
  EXPECT_EQ(f.view.points.size(), 3u);
  f.view.onProcess = nullptr;
  f.Save("again.dbf");
  EXPECT_EQ(ReadBytes(f.folder.File("again.dbf")), file);
}
