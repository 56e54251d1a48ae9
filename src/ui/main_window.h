// The main window: controls, menus and status bar, the window operations, and start-up and shut-down.
#pragma once

#include <QMainWindow>

#include <memory>
#include <string>

#include "instrument/instrument_link.h"
#include "instrument/qt_serial_port.h"
#include "storage/measurement_commands.h"
#include "sweep/range_settings.h"
#include "sweep/sweep_run.h"
#include "sweep/sweep_state.h"
#include "sweep/sweep_view.h"
#include "ui/chart_model.h"

class ChartView;
class PrinterFactory;
class QAction;
class ChartSeries;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class TAboutForm;

// What differs between the program and its tests: where the settings live, how long a read waits, the printer.
struct FormConfig {
  std::string settingsPath;
  int readTimeoutMs = InstrumentLink::kReadTimeoutMs;
  PrinterFactory* printers = nullptr;  // the system's printers when null
};

class TForm1 : public QMainWindow, public SweepView {
  Q_OBJECT

 public:
  explicit TForm1(const FormConfig& config, QWidget* parent = nullptr);
  ~TForm1() override;

  void SetAboutForm(TAboutForm* aboutForm) { aboutForm_ = aboutForm; }

  // Window operations.
  void SetStatusText(int panel, const std::string& text) override;
  void EnableButtons(bool on) override;
  void ShowPointValues(const std::string& freqText, const std::string& levelText) override;
  MessageResult ShowMessageBox(const std::string& text, const std::string& caption, MessageStyle style) override;
  void ProcessPendingEvents() override;
  void RepaintNow() override;
  std::optional<std::string> ChooseFile(FileKind kind, const std::string& proposedName) override;

  // Chart operations.
  void ClearPlot() override;
  void AddPoint(double frequency, double level) override;
  void ApplyRange() override;
  void PrintChart() override;

  std::string FieldText(EditField field) const override;
  void SetFieldText(EditField field, const std::string& text) override;
  char DecimalSeparator() const override { return separator_; }

  const RangeSettings& Range() const { return range_; }
  const SweepState& State() const { return state_; }
  const InstrumentLink& Link() const { return link_; }
  const ChartModel& Chart() const { return chart_; }

  // Event handlers.
  void btnRunClick();
  void btnStopClick();
  void btnSaveClick();
  void Quit1Click();
  void COM11Click();
  void COM21Click();
  void OpenSerialPort();
  void edJmenoChange();
  void btnLoadClick();
  void btnPrintClick();
  void About1Click();
  void NastavMeritka();
  void btnResetClick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildComponents();
  void BuildPanel();
  void BuildMenu();
  void WireHandlers();
  void ReadStoredSettings();
  void ShutDown();
  QLineEdit* Field(EditField field) const;

  // Components, in declaration order.
  ChartView* Chart1;
  ChartSeries* Series1;
  QWidget* Panel1;
  QStatusBar* StatusBar1;
  QWidget* Panel3;
  QPushButton* btnStart;
  QPushButton* btnStop;
  QPushButton* btnSave;
  QFileDialog* SaveDialog1;
  QMenuBar* MainMenu1;
  QMenu* File1;
  QMenu* Options1;
  QAction* Save1;
  QAction* Quit1;
  QAction* COM11;
  QAction* COM21;
  QLineEdit* edJmeno;
  QPushButton* btnLoad;
  QFileDialog* OpenDialog1;
  QPushButton* btnPrint;
  QAction* Load1;
  QAction* About1;
  QAction* Print1;
  QAction* N1;
  QPushButton* btnReset;
  QLineEdit* edFmin;
  QLineEdit* edFmax;
  QLineEdit* edFstep;
  QLabel* lblFmin;
  QLabel* lblFmax;
  QLabel* lblFstep;
  QLineEdit* edMaxdb;
  QLineEdit* edMindb;
  QLabel* Label1;
  QLabel* lblMindb;
  QLineEdit* edAdc;
  QLineEdit* edFreq;
  QLabel* statusPanel0_;
  QLabel* statusPanel1_;

  FormConfig config_;
  char separator_ = '.';
  RangeSettings range_;
  SweepState state_;
  ChartModel chart_;
  QtSerialPort port_;
  InstrumentLink link_;
  SweepRun run_;
  MeasurementCommands files_;
  std::string measurementFolder_;
  TAboutForm* aboutForm_ = nullptr;
  bool quitPending_ = false;
  bool shutDown_ = false;
};
