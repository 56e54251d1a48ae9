// The console front end's SweepView: point lines on standard output, messages on standard error.
#pragma once

#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "sweep/range_settings.h"
#include "sweep/sweep_view.h"
#include "ui/chart_model.h"

class ConsoleView : public SweepView {
 public:
  ConsoleView(RangeSettings& range, std::FILE* out, std::FILE* err);

  void SetStatusText(int panel, const std::string& text) override;
  void EnableButtons(bool on) override;
  void ShowPointValues(const std::string& freqText, const std::string& levelText) override;
  MessageResult ShowMessageBox(const std::string& text, const std::string& caption, MessageStyle style) override;
  void ProcessPendingEvents() override;
  void RepaintNow() override;
  std::optional<std::string> ChooseFile(FileKind kind, const std::string& proposedName) override;
  void ClearPlot() override;
  void AddPoint(double frequency, double level) override;
  void ApplyRange() override;
  void PrintChart() override;
  std::string FieldText(EditField field) const override;
  void SetFieldText(EditField field, const std::string& text) override;
  char DecimalSeparator() const override { return '.'; }

  // Stop is pressed during this sweep (1 = the first), so exactly that many whole sweeps are measured.
  void StopDuringSweep(int sweep) { stopDuringSweep_ = sweep; }
  // Called from ProcessPendingEvents to press Stop; wired to the sweep run.
  void OnStop(std::function<void()> stop) { stop_ = std::move(stop); }
  // A counter a signal handler raises: Stop is pressed at the next point once it is above 0.
  void WatchInterrupts(const volatile std::sig_atomic_t* interrupts) { interrupts_ = interrupts; }
  // The file that both file dialogs return.
  void ChooseFileResult(std::string path) { chosenFile_ = std::move(path); }
  // While a file loads, the points drawn and the range texts are printed.
  void PrintLoadedPoints(bool on) { printLoaded_ = on; }
  int WarningsShown() const { return warnings_; }
  int ErrorsShown() const { return errors_; }

 private:
  RangeSettings& range_;
  ChartModel chart_;
  std::FILE* out_;
  std::FILE* err_;
  std::map<EditField, std::string> fields_;
  std::function<void()> stop_;
  std::optional<std::string> chosenFile_;
  int sweepsStarted_ = -1;  // the first ClearPlot comes from Start, before the first sweep
  int stopDuringSweep_ = 1;
  bool stopPressed_ = false;
  const volatile std::sig_atomic_t* interrupts_ = nullptr;
  bool printLoaded_ = false;
  int warnings_ = 0;
  int errors_ = 0;
};
