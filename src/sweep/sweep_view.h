// The one door from the logic to the screen: window operations, chart operations and the edit fields by name.
#pragma once

#include <optional>
#include <string>

enum class MessageStyle { Error, Warning, Question };
enum class MessageResult { Ok, Yes, No };
enum class FileKind { Save, Open };

// The edit fields the logic reads and writes by name; edFreq and edAdc are reached only through ShowPointValues.
enum class EditField { edJmeno, edFmin, edFmax, edFstep, edMindb, edMaxdb };

class SweepView {
 public:
  virtual ~SweepView() = default;

  // Window operations.
  virtual void SetStatusText(int panel, const std::string& text) = 0;
  virtual void EnableButtons(bool on) = 0;
  virtual void ShowPointValues(const std::string& freqText, const std::string& levelText) = 0;
  virtual MessageResult ShowMessageBox(const std::string& text, const std::string& caption, MessageStyle style) = 0;
  virtual void ProcessPendingEvents() = 0;
  virtual void RepaintNow() = 0;
  virtual std::optional<std::string> ChooseFile(FileKind kind, const std::string& proposedName) = 0;

  // Chart operations.
  virtual void ClearPlot() = 0;
  virtual void AddPoint(double frequency, double level) = 0;
  virtual void ApplyRange() = 0;
  virtual void PrintChart() = 0;

  // Edit fields by name.
  virtual std::string FieldText(EditField field) const = 0;
  virtual void SetFieldText(EditField field, const std::string& text) = 0;
  // The user's decimal separator, as the number/text conversions of the range fields need it.
  virtual char DecimalSeparator() const = 0;
};
