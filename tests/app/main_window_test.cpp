// The real window, offscreen, with the simulated instrument behind a pseudo-terminal.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "child_process.h"
#include "modal_answerer.h"
#include "storage/measurement_format.h"
#include "ui/about_form.h"
#include "ui/error_display.h"
#include "ui/main_window.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A settings folder and a window built on it; the window is torn down (settings written) before the folder goes.
struct WindowFixture {
  TempFolder folder;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TAboutForm> about;

  std::string SettingsPath() const { return folder.Path() + "/quenrik.ini"; }

  void WriteSettings(const std::string& port, const std::string& range = "fmin=10.6\nfmax=10.8\nfreqstep=0.01\n") {
    std::ofstream(SettingsPath()) << "[Settings]\ndirectory=" << folder.Path() << "\nport=" << port << "\n[Range]\n"
                                  << range;
  }

  TForm1& Open() {
    FormConfig config;
    config.settingsPath = SettingsPath();
    config.readTimeoutMs = 300;
    form = std::make_unique<TForm1>(config);
    about = std::make_unique<TAboutForm>(form.get());
    form->SetAboutForm(about.get());
    form->show();
    return *form;
  }

  void Close() {
    about.reset();
    form.reset();
  }

  template <typename T>
  T* Find(const char* name) const {
    return form->findChild<T*>(name);
  }
  QString Text(const char* edit) const { return Find<QLineEdit>(edit)->text(); }
  QString Status(int panel) const { return Find<QLabel>(panel == 0 ? "StatusPanel0" : "StatusPanel1")->text(); }

  // Enabled states of btnLoad, btnSave, btnPrint, Load1, Save1, Print1 as six letters (E or -).
  QString FileCommands() const {
    QString states;
    for (const char* name : {"btnLoad", "btnSave", "btnPrint"}) states += Find<QPushButton>(name)->isEnabled() ? 'E' : '-';
    for (const char* name : {"Load1", "Save1", "Print1"}) states += Find<QAction>(name)->isEnabled() ? 'E' : '-';
    return states;
  }

  // Clicks Start from the event loop and runs `during` between points until it returns true. Two timers: Qt does
  // not fire a timer again while its own handler (here the whole run) is still running.
  void RunUntil(std::function<bool()> during) {
    QTimer script;
    script.setInterval(5);
    QObject::connect(&script, &QTimer::timeout, [&] {
      if (during()) script.stop();
    });
    bool ended = false;
    QTimer::singleShot(0, [&] {
      script.start();
      Find<QPushButton>("btnStart")->click();  // returns when the run has ended
      script.stop();
      ended = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(ended, 30000);
  }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void FirstStartWithoutSettings();
  void StartThenStopEnablesTheFileCommands();
  void LoadRightAfterStartUpLeavesSaveDisabled();
  void QuitDuringARunEndsAfterTheRun();
  void AboutDuringARunPausesTheSweep();
  void MissingPortIsReportedAndTheWindowOpens();
  void ErrorDisplayCaptionAndFullStop();
  void UnwritableSettingsAtExitAreReportedAndThePortCloses();
  void StoredRangeTheAxesWouldRefuseStillStarts();
};

void MainWindowTest::FirstStartWithoutSettings() {
  ModalAnswerer answerer;
  WindowFixture w;
  TForm1& form = w.Open();
  QCOMPARE(form.windowTitle(), QString("Quenrik"));
  QCOMPARE(form.objectName(), QString("Form1"));
  QCOMPARE(w.Text("edJmeno"), QString("mereni1"));
  QCOMPARE(QString::fromStdString(form.Chart().TitleLine0()), QString(16, ' ') + "mereni1");
  const QStringList fields{w.Text("edFmin"), w.Text("edFmax"), w.Text("edFstep"), w.Text("edMindb"), w.Text("edMaxdb")};
  QCOMPARE(fields, (QStringList{"10.695", "10.705", "0.1", "-90", "5"}));
  QCOMPARE(w.Text("edFreq"), QString());
  QCOMPARE(w.Text("edAdc"), QString("0"));
  QCOMPARE(w.Status(0), QString());
  QCOMPARE(w.Status(1), QString("COM1"));
  QCOMPARE(w.FileCommands(), QString("E-EE-E"));
  for (const char* name : {"Chart1", "Panel1", "Panel3", "StatusBar1", "MainMenu1", "SaveDialog1", "OpenDialog1"})
    QVERIFY2(form.findChild<QObject*>(name), name);
  QCOMPARE(w.Find<QWidget>("Panel1")->width(), 184);

  w.Close();
  QCOMPARE(ReadAll(w.SettingsPath()),
           std::string("[Settings]\ndirectory=Quenrik_mereni\ntitle=mereni1\nport=COM1\n\n[Range]\nfmin=10.695\n"
                       "fmax=10.705\nfreqstep=0.1\nmindb=-90\nmaxdb=5\n"));
}

void MainWindowTest::StartThenStopEnablesTheFileCommands() {
  ModalAnswerer answerer;
  SimulatorProcess sim({"--model", "flat", "--level", "-3"});
  WindowFixture w;
  w.WriteSettings(sim.Device());
  w.Open();
  QString duringRun, statusDuringRun;
  w.RunUntil([&] {
    if (w.Text("edFreq").isEmpty()) return false;
    duringRun = w.FileCommands();
    statusDuringRun = w.Status(0);
    w.Find<QPushButton>("btnStop")->click();
    return true;
  });
  QCOMPARE(duringRun, QString("------"));
  QCOMPARE(statusDuringRun, QString("running"));
  QCOMPARE(w.FileCommands(), QString("EEEEEE"));
  QCOMPARE(w.Status(0), QString());
  // The stopped sweep ran to its end: 10.6 to 10.8 in 0.01 steps is 22 points.
  QCOMPARE(static_cast<int>(sim.LoggedFrames().size()), 22);
  QCOMPARE(static_cast<int>(w.form->Chart().Points().size()), 22);
  QCOMPARE(w.Text("edAdc"), QString("-3.0"));
  QVERIFY(answerer.Boxes().empty());
}

void MainWindowTest::LoadRightAfterStartUpLeavesSaveDisabled() {
  ModalAnswerer answerer;
  WindowFixture w;
  const std::string file = w.folder.Path() + "/loaded.dbf";
  const std::vector<measurement_format::MeasuredPoint> points{{10600, -40}, {10700, -6}, {10800, -41}};
  const measurement_format::Bytes bytes = measurement_format::WriteMeasurement(points);
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  w.WriteSettings("/dev/null", "fmin=1\nfmax=2\nfreqstep=0.5\n");
  w.Open();
  answerer.AnswerFileDialog(QString::fromStdString(file));
  w.Find<QPushButton>("btnLoad")->click();
  QCOMPARE(answerer.Texts(), QStringList{"Can't open serial port"});
  QCOMPARE(w.Text("edFmin"), QString("10.6"));
  QCOMPARE(w.Text("edFmax"), QString("10.8"));
  QCOMPARE(static_cast<int>(w.form->Chart().Points().size()), 3);
  QCOMPARE(w.FileCommands(), QString("E-EE-E"));
}

void MainWindowTest::QuitDuringARunEndsAfterTheRun() {
  ModalAnswerer answerer;
  SimulatorProcess sim({"--model", "flat"});
  WindowFixture w;
  w.WriteSettings(sim.Device());
  TForm1& form = w.Open();
  int phase = 0;
  bool visibleAfterQuit = false;
  w.RunUntil([&] {
    if (phase == 0 && !w.Text("edFreq").isEmpty()) {
      w.Find<QAction>("Quit1")->trigger();
      phase = 1;
      return false;
    }
    if (phase == 1) {
      visibleAfterQuit = form.isVisible();
      w.Find<QPushButton>("btnStop")->click();
      return true;
    }
    return false;
  });
  QVERIFY(visibleAfterQuit);
  QVERIFY(!form.isVisible());
  QCOMPARE(static_cast<int>(sim.LoggedFrames().size()), 22);
  w.Close();
  QVERIFY(ReadAll(w.SettingsPath()).find("port=" + sim.Device()) != std::string::npos);
}

void MainWindowTest::AboutDuringARunPausesTheSweep() {
  ModalAnswerer answerer;
  SimulatorProcess sim({"--model", "flat"});
  WindowFixture w;
  w.WriteSettings(sim.Device());
  w.Open();
  std::size_t framesWhenOpened = 0;
  QElapsedTimer aboutUp;
  bool pausedWhileUp = true;
  answerer.WhileAboutIsUp([&] {
    if (!aboutUp.isValid()) {
      aboutUp.start();
      framesWhenOpened = sim.LoggedFrames().size();
    }
    pausedWhileUp = pausedWhileUp && sim.LoggedFrames().size() == framesWhenOpened;
    return aboutUp.elapsed() > 300;
  });
  bool aboutShown = false;
  w.RunUntil([&] {
    if (!aboutShown && !w.Text("edFreq").isEmpty()) {
      aboutShown = true;
      w.Find<QAction>("About1")->trigger();  // modal: returns when the box is closed
      w.Find<QPushButton>("btnStop")->click();
      return true;
    }
    return false;
  });
  QVERIFY(aboutUp.isValid());
  QVERIFY(pausedWhileUp);
  QCOMPARE(static_cast<int>(sim.LoggedFrames().size()), 22);  // the sweep went on after the box closed
}

void MainWindowTest::MissingPortIsReportedAndTheWindowOpens() {
  ModalAnswerer answerer;
  WindowFixture w;
  w.WriteSettings("/dev/quenrik-no-such-port");
  TForm1& form = w.Open();
  QCOMPARE(answerer.Boxes().size(), std::size_t{1});
  QCOMPARE(answerer.Boxes()[0].text, QString("Can't open serial port"));
  QCOMPARE(answerer.Boxes()[0].caption, QString("Error"));
  QVERIFY(form.isVisible());
  QCOMPARE(w.Status(1), QString("/dev/quenrik-no-such-port"));
  // Start on the dead link: one point times out at once, then the run ends as Stop does.
  w.RunUntil([] { return true; });
  QCOMPARE(answerer.Texts(), (QStringList{"Can't open serial port", "Time out"}));
  QCOMPARE(w.FileCommands(), QString("EEEEEE"));
}

void MainWindowTest::ErrorDisplayCaptionAndFullStop() {
  QCOMPARE(ApplicationTitle("/usr/bin/quenrik"), QString("Quenrik"));
  QCOMPARE(ApplicationTitle("SWEEP.EXE"), QString("Sweep"));
  QCOMPARE(ErrorDisplayText("Time out"), QString("Time out."));
  QCOMPARE(ErrorDisplayText("Done."), QString("Done."));
  QCOMPARE(ErrorDisplayText("Really!"), QString("Really!"));
  QCOMPARE(ErrorDisplayText(""), QString(""));

  ModalAnswerer answerer;
  WindowFixture w;
  w.WriteSettings("/dev/null");
  w.Open();
  QApplication::setApplicationName("Quenrik");
  w.Find<QLineEdit>("edFmax")->setText("abc");
  w.Find<QPushButton>("btnStart")->click();  // the error ends the handler and is shown; nothing escapes
  QCOMPARE(answerer.Boxes().back().caption, QString("Quenrik"));
  QCOMPARE(answerer.Boxes().back().text, QString("'abc' is not a valid floating point value."));
}

void MainWindowTest::UnwritableSettingsAtExitAreReportedAndThePortCloses() {
  ModalAnswerer answerer;
  SimulatorProcess sim({"--model", "flat"});
  WindowFixture w;
  w.WriteSettings(sim.Device());
  const std::string before = ReadAll(w.SettingsPath());
  w.Open();
  QVERIFY(w.form->Link().Connected());
  w.Find<QLineEdit>("edJmeno")->setText("changed");
  // An immutable folder refuses every write, also to root, which ignores permission bits.
  const std::string lock = "chattr +i '" + w.folder.Path() + "' 2>/dev/null";
  if (std::system(lock.c_str()) != 0) QSKIP("chattr +i is not available on this file system");
  w.Close();
  std::system(("chattr -i '" + w.folder.Path() + "'").c_str());
  QCOMPARE(answerer.Texts(), (QStringList{"Unable to write to quenrik.ini."}));
  QCOMPARE(ReadAll(w.SettingsPath()), before);
  // The port was closed all the same: the simulator's line opens again at once.
  QtSerialPort again;
  QVERIFY(again.Open(sim.Device()));
}

void MainWindowTest::StoredRangeTheAxesWouldRefuseStillStarts() {
  ModalAnswerer answerer;
  WindowFixture w;
  w.WriteSettings("/dev/null", "fmin=10\nfmax=20\nfreqstep=1\nmindb=10\nmaxdb=20\n");
  TForm1& form = w.Open();
  QCOMPARE(answerer.Texts(), QStringList{"Can't open serial port"});
  QCOMPARE(form.Chart().LeftAxis().Minimum(), 10.0);
  QCOMPARE(form.Chart().LeftAxis().Maximum(), 20.0);
}

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
