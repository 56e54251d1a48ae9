// A SweepView that records every call and can run a script inside ProcessPendingEvents.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sweep/number_text.h"
#include "sweep/range_settings.h"
#include "sweep/sweep_view.h"

class FakeSweepView : public SweepView {
 public:
  struct Point {
    double frequency;
    double level;
  };

  explicit FakeSweepView(RangeSettings& range) : range_(range) {}

  void SetStatusText(int panel, const std::string& text) override {
    status[panel] = text;
    Log("SetStatusText(" + std::to_string(panel) + "," + text + ")");
  }
  void EnableButtons(bool on) override {
    buttonsEnabled = on;
    Log(on ? "EnableButtons(true)" : "EnableButtons(false)");
  }
  void ShowPointValues(const std::string& freqText, const std::string& levelText) override {
    edFreq = freqText;
    edAdc = levelText;
  }
  MessageResult ShowMessageBox(const std::string& text, const std::string& caption, MessageStyle style) override {
    messages.push_back({text, caption});
    Log("ShowMessageBox(" + text + "," + caption + ")");
    if (style != MessageStyle::Question) return MessageResult::Ok;
    return answerYes ? MessageResult::Yes : MessageResult::No;
  }
  // Runs the next scripted step (if any) as if the user acted between two points.
  void ProcessPendingEvents() override {
    ++processCount;
    if (onProcess) onProcess(processCount);
  }
  void RepaintNow() override { Log("RepaintNow"); }
  std::optional<std::string> ChooseFile(FileKind kind, const std::string& proposedName) override {
    Log(std::string(kind == FileKind::Save ? "ChooseFile(save," : "ChooseFile(open,") + proposedName + ")");
    return chosenFile;
  }
  void ClearPlot() override {
    points.clear();
    Log("ClearPlot");
  }
  void AddPoint(double frequency, double level) override { points.push_back({frequency, level}); }
  // Parses the five fields in order, as the chart's ApplyRange does (the axes are the chart model's concern).
  void ApplyRange() override {
    Log("ApplyRange");
    if (onApplyRange) return onApplyRange();
    range_.Fmin = number_text::ParseFloat(fields[EditField::edFmin], '.');
    range_.Fmax = number_text::ParseFloat(fields[EditField::edFmax], '.');
    range_.Fstep = number_text::ParseFloat(fields[EditField::edFstep], '.');
    range_.MinDb = number_text::ParseFloat(fields[EditField::edMindb], '.');
    range_.MaxDb = number_text::ParseFloat(fields[EditField::edMaxdb], '.');
  }
  void PrintChart() override { Log("PrintChart"); }
  std::string FieldText(EditField field) const override {
    const auto it = fields.find(field);
    return it == fields.end() ? std::string() : it->second;
  }
  void SetFieldText(EditField field, const std::string& text) override { fields[field] = text; }
  char DecimalSeparator() const override { return '.'; }

  // Fills the range fields as texts, the way a user types them.
  void SetRange(const std::string& fmin, const std::string& fmax, const std::string& fstep) {
    fields[EditField::edFmin] = fmin;
    fields[EditField::edFmax] = fmax;
    fields[EditField::edFstep] = fstep;
  }

  std::map<EditField, std::string> fields{{EditField::edJmeno, "mereni1"}, {EditField::edFmin, "10.695"},
                                          {EditField::edFmax, "10.705"},   {EditField::edFstep, "0.1"},
                                          {EditField::edMindb, "-90"},     {EditField::edMaxdb, "5"}};
  std::map<int, std::string> status;
  std::vector<std::pair<std::string, std::string>> messages;  // text, caption
  std::vector<std::string> log;
  std::vector<Point> points;
  std::string edFreq, edAdc = "0";
  std::optional<std::string> chosenFile;
  bool buttonsEnabled = true;
  bool answerYes = true;
  int processCount = 0;
  std::function<void(int)> onProcess;
  std::function<void()> onApplyRange;

 private:
  void Log(std::string entry) { log.push_back(std::move(entry)); }
  RangeSettings& range_;
};
