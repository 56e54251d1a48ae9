// Console rendering of the window operations: one line per point, messages as the boxes would show them.
#include "app/console_view.h"

#include "ui/apply_range.h"
#include "sweep/point_text.h"

ConsoleView::ConsoleView(RangeSettings& range, std::FILE* out, std::FILE* err) : range_(range), out_(out), err_(err) {}

void ConsoleView::SetStatusText(int, const std::string&) {}

void ConsoleView::EnableButtons(bool) {}

void ConsoleView::ShowPointValues(const std::string& freqText, const std::string& levelText) {
  std::fprintf(out_, "%s\t%s\n", freqText.c_str(), levelText.c_str());
  std::fflush(out_);
}

MessageResult ConsoleView::ShowMessageBox(const std::string& text, const std::string&, MessageStyle style) {
  std::fprintf(err_, "%s\n", text.c_str());
  std::fflush(err_);
  if (style == MessageStyle::Warning) ++warnings_;
  if (style == MessageStyle::Error) ++errors_;
  // The only question is whether to overwrite the file named on the command line: the user asked for it.
  return style == MessageStyle::Question ? MessageResult::Yes : MessageResult::Ok;
}

void ConsoleView::ProcessPendingEvents() {
  if (stopPressed_ || !stop_) return;
  if ((interrupts_ && *interrupts_ > 0) || sweepsStarted_ >= stopDuringSweep_) {
    stopPressed_ = true;
    stop_();
  }
}

void ConsoleView::RepaintNow() {}

std::optional<std::string> ConsoleView::ChooseFile(FileKind, const std::string&) { return chosenFile_; }

void ConsoleView::ClearPlot() { ++sweepsStarted_; }

void ConsoleView::AddPoint(double frequency, double level) {
  if (!printLoaded_) return;
  ShowPointValues(FrequencyText(frequency), LevelText(level));
}

void ConsoleView::ApplyRange() {
  // The window's rules, axes included, so a range or file the window refuses is refused here too.
  ::ApplyRange(*this, range_, chart_);
  if (printLoaded_) {
    std::fprintf(out_, "fmin=%s\nfmax=%s\n", FieldText(EditField::edFmin).c_str(),
                 FieldText(EditField::edFmax).c_str());
    std::fflush(out_);
  }
}

void ConsoleView::PrintChart() {}

std::string ConsoleView::FieldText(EditField field) const {
  const auto it = fields_.find(field);
  return it == fields_.end() ? std::string() : it->second;
}

void ConsoleView::SetFieldText(EditField field, const std::string& text) { fields_[field] = text; }
