// Main window: builds the controls, implements the window operations and runs start-up and shut-down in order.
#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include "storage/qt_settings_location.h"
#include "storage/settings_file.h"
#include "sweep/number_text.h"
#include "ui/about_form.h"
#include "ui/apply_range.h"
#include "ui/chart_view.h"
#include "ui/error_display.h"

namespace {

// "MS Sans Serif" where it exists, else the nearest sans-serif face of the system.
QFont SansSerifFont(int pixelSize, bool bold) {
  QFont font("MS Sans Serif");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int left, int top, int width) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(left, top, width, 25);
  button->setAutoDefault(false);
  return button;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const char* text, int left, int top, int width, int height) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(name);
  edit->setGeometry(left, top, width, height);
  return edit;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, int left, int top, int width) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setGeometry(left, top, width, 13);
  // Sized to its caption, as an auto-sized label is: the fallback font may be wider than the original one.
  label->adjustSize();
  label->move(left, top);
  return label;
}

QFileDialog* MakeFileDialog(QWidget* parent, const char* name, const QString& title, QFileDialog::AcceptMode mode) {
  auto* dialog = new QFileDialog(parent, title);
  dialog->setObjectName(name);
  dialog->setAcceptMode(mode);
  dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setDefaultSuffix("dbf");
  dialog->setNameFilters({"dbf (*.dbf)", "All files (*)"});
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  // The overwrite question is the Save command's own.
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  dialog->setWindowModality(Qt::ApplicationModal);
  return dialog;
}

}  // namespace

TForm1::TForm1(const FormConfig& config, QWidget* parent)
    : QMainWindow(parent),
      config_(config),
      link_(port_, state_, *this, config.readTimeoutMs),
      run_(range_, state_, link_, *this),
      files_(state_, *this) {
  setObjectName("Form1");
  separator_ = SystemDecimalSeparator();
  BuildComponents();
  try {
    ReadStoredSettings();
  } catch (...) {
    // A half-built window still writes the settings and closes the port before the error is shown.
    ShutDown();
    throw;
  }
}

TForm1::~TForm1() { ShutDown(); }

void TForm1::BuildComponents() {
  setWindowTitle("Quenrik");
  setFont(SansSerifFont(11, false));
  setGeometry(244, 151, 890, 565);
  setPalette(QApplication::palette());

  auto* central = new QWidget(this);
  setCentralWidget(central);
  Chart1 = new ChartView(chart_, central);
  Chart1->setObjectName("Chart1");
  Series1 = Chart1->Series();

  Panel1 = new QWidget(central);
  Panel1->setObjectName("Panel1");
  Panel1->setFixedWidth(184);
  Panel3 = new QWidget(Panel1);
  Panel3->setObjectName("Panel3");
  Panel3->setGeometry(11, 11, 162, 630);
  Panel1->setMinimumHeight(11 + 630);

  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Chart1, 1);
  layout->addWidget(Panel1, 0);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setFixedHeight(19);
  statusPanel0_ = new QLabel(StatusBar1);
  statusPanel0_->setObjectName("StatusPanel0");
  statusPanel0_->setFixedWidth(100);
  statusPanel1_ = new QLabel(StatusBar1);
  statusPanel1_->setObjectName("StatusPanel1");
  statusPanel1_->setFixedWidth(50);
  StatusBar1->addWidget(statusPanel0_);
  StatusBar1->addWidget(statusPanel1_);
  setStatusBar(StatusBar1);

  BuildPanel();
  BuildMenu();
  SaveDialog1 = MakeFileDialog(this, "SaveDialog1", "Ulozeni dat", QFileDialog::AcceptSave);
  SaveDialog1->selectFile("mereni.dbf");
  OpenDialog1 = MakeFileDialog(this, "OpenDialog1", QString(), QFileDialog::AcceptOpen);
  WireHandlers();
}

void TForm1::BuildPanel() {
  edJmeno = MakeEdit(Panel3, "edJmeno", "Mereni1", 24, 16, 113, 24);
  edJmeno->setFont(SansSerifFont(13, true));
  btnStop = MakeButton(Panel3, "btnStop", "Stop", 24, 48, 51);
  btnStart = MakeButton(Panel3, "btnStart", "Start", 88, 48, 49);
  btnReset = MakeButton(Panel3, "btnReset", "Reset", 56, 80, 49);
  btnLoad = MakeButton(Panel3, "btnLoad", "Load", 24, 112, 49);
  btnSave = MakeButton(Panel3, "btnSave", "Save", 88, 112, 49);
  btnPrint = MakeButton(Panel3, "btnPrint", "Print", 56, 144, 49);
  lblFmin = MakeLabel(Panel3, "lblFmin", "Fmin", 24, 216, 22);
  edFmin = MakeEdit(Panel3, "edFmin", "10600", 80, 208, 73, 21);
  lblFmax = MakeLabel(Panel3, "lblFmax", "Fmax", 24, 248, 25);
  edFmax = MakeEdit(Panel3, "edFmax", "10800", 80, 240, 73, 21);
  lblFstep = MakeLabel(Panel3, "lblFstep", "Fstep", 24, 280, 26);
  edFstep = MakeEdit(Panel3, "edFstep", "1", 80, 272, 73, 21);
  Label1 = MakeLabel(Panel3, "Label1", "Max dB", 24, 344, 36);
  edMaxdb = MakeEdit(Panel3, "edMaxdb", "5", 80, 336, 73, 21);
  lblMindb = MakeLabel(Panel3, "lblMindb", "Min dB", 24, 376, 33);
  edMindb = MakeEdit(Panel3, "edMindb", "-90", 80, 368, 73, 21);
  edFreq = MakeEdit(Panel3, "edFreq", "", 80, 400, 73, 21);
  edAdc = MakeEdit(Panel3, "edAdc", "0", 80, 432, 73, 21);

  QWidget* const tabOrder[] = {btnStart, btnStop, btnSave, edJmeno, btnLoad, btnPrint, btnReset,
                               edFmin,   edFmax,  edFstep, edMaxdb, edMindb, edAdc,    edFreq};
  for (std::size_t i = 0; i + 1 < std::size(tabOrder); ++i) setTabOrder(tabOrder[i], tabOrder[i + 1]);
}

void TForm1::BuildMenu() {
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  setMenuBar(MainMenu1);
  File1 = MainMenu1->addMenu("File");
  File1->setObjectName("File1");
  Load1 = File1->addAction("Load");
  Load1->setObjectName("Load1");
  Save1 = File1->addAction("Save");
  Save1->setObjectName("Save1");
  Save1->setEnabled(false);
  Print1 = File1->addAction("Print");
  Print1->setObjectName("Print1");
  N1 = File1->addSeparator();
  N1->setObjectName("N1");
  Quit1 = File1->addAction("Quit");
  Quit1->setObjectName("Quit1");
  Options1 = MainMenu1->addMenu("Options");
  Options1->setObjectName("Options1");
  COM11 = Options1->addAction("COM1");
  COM11->setObjectName("COM11");
  COM21 = Options1->addAction("COM2");
  COM21->setObjectName("COM21");
  About1 = MainMenu1->addAction("About");
  About1->setObjectName("About1");
}

void TForm1::WireHandlers() {
  auto onClick = [this](QPushButton* button, void (TForm1::*handler)()) {
    connect(button, &QPushButton::clicked, this, [this, handler] { RunHandler([&] { (this->*handler)(); }); });
  };
  auto onTrigger = [this](QAction* action, void (TForm1::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] { RunHandler([&] { (this->*handler)(); }); });
  };
  onClick(btnStart, &TForm1::btnRunClick);
  onClick(btnStop, &TForm1::btnStopClick);
  onClick(btnReset, &TForm1::btnResetClick);
  onClick(btnLoad, &TForm1::btnLoadClick);
  onClick(btnSave, &TForm1::btnSaveClick);
  onClick(btnPrint, &TForm1::btnPrintClick);
  onTrigger(Load1, &TForm1::btnLoadClick);
  onTrigger(Save1, &TForm1::btnSaveClick);
  onTrigger(Print1, &TForm1::btnPrintClick);
  onTrigger(Quit1, &TForm1::Quit1Click);
  onTrigger(COM11, &TForm1::COM11Click);
  onTrigger(COM21, &TForm1::COM21Click);
  onTrigger(About1, &TForm1::About1Click);
  connect(edJmeno, &QLineEdit::textChanged, this, [this] { RunHandler([this] { edJmenoChange(); }); });
  for (QLineEdit* edit : {edFmin, edFmax, edMaxdb, edMindb}) edit->installEventFilter(this);
}

// Start-up, after the components: settings, fields, flags, status, port, dialog folder, range.
void TForm1::ReadStoredSettings() {
  const StoredSettings stored = ReadSettings(config_.settingsPath, separator_);
  measurementFolder_ = stored.Directory;
  link_.PortName = stored.PortName;
  range_ = stored.Range;
  if (edJmeno->text() != QString::fromStdString(stored.Title)) edJmeno->setText(QString::fromStdString(stored.Title));
  edFmin->setText(QString::fromStdString(number_text::FormatGeneral(range_.Fmin, separator_)));
  edFmax->setText(QString::fromStdString(number_text::FormatGeneral(range_.Fmax, separator_)));
  edFstep->setText(QString::fromStdString(number_text::FormatGeneral(range_.Fstep, separator_)));
  edMindb->setText(QString::fromStdString(number_text::FormatGeneral(range_.MinDb, separator_)));
  edMaxdb->setText(QString::fromStdString(number_text::FormatGeneral(range_.MaxDb, separator_)));
  state_.Running = false;
  state_.TimedOut = false;
  btnSave->setEnabled(false);
  SetStatusText(0, "");
  SetStatusText(1, link_.PortName);
  OpenSerialPort();
  const QString folder = MeasurementDialogFolder(measurementFolder_);
  SaveDialog1->setDirectory(folder);
  OpenDialog1->setDirectory(folder);
  ApplyRangeAtStartUp(*this, range_, chart_);
  Chart1->Refresh();
}

// Shut-down: the settings are written, then the port is closed, also when the write fails.
void TForm1::ShutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  RunHandler([this] {
    WriteSettings(config_.settingsPath, {measurementFolder_, edJmeno->text().toStdString(), link_.PortName, range_},
                  separator_);
  });
  link_.ClosePort();
}

void TForm1::SetStatusText(int panel, const std::string& text) {
  (panel == 0 ? statusPanel0_ : statusPanel1_)->setText(QString::fromStdString(text));
}

void TForm1::EnableButtons(bool on) {
  for (QPushButton* button : {btnLoad, btnSave, btnPrint}) button->setEnabled(on);
  for (QAction* item : {Load1, Save1, Print1}) item->setEnabled(on);
}

void TForm1::ShowPointValues(const std::string& freqText, const std::string& levelText) {
  edFreq->setText(QString::fromStdString(freqText));
  edAdc->setText(QString::fromStdString(levelText));
}

MessageResult TForm1::ShowMessageBox(const std::string& text, const std::string& caption, MessageStyle style) {
  const QMessageBox::Icon icon = style == MessageStyle::Error     ? QMessageBox::Critical
                                 : style == MessageStyle::Warning ? QMessageBox::Warning
                                                                  : QMessageBox::Question;
  const auto buttons = style == MessageStyle::Question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
  QWidget* const owner = isVisible() ? static_cast<QWidget*>(this) : QApplication::activeWindow();
  QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), buttons, owner);
  box.setObjectName("MessageBox");
  box.setWindowModality(Qt::ApplicationModal);
  const int answer = box.exec();
  if (style != MessageStyle::Question) return MessageResult::Ok;
  return answer == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
}

void TForm1::ProcessPendingEvents() {
  QApplication::processEvents(QEventLoop::AllEvents);
  // Paints at once everything invalid, as a repaint of the whole window would show it, but without redrawing
  // and sending to the display the parts that did not change: per point at the wire rate that matters.
  QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest);
}

void TForm1::RepaintNow() { repaint(); }

std::optional<std::string> TForm1::ChooseFile(FileKind kind, const std::string& proposedName) {
  QFileDialog* dialog = kind == FileKind::Save ? SaveDialog1 : OpenDialog1;
  if (kind == FileKind::Save) dialog->selectFile(QString::fromStdString(proposedName));
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  return dialog->selectedFiles().first().toStdString();
}

void TForm1::ClearPlot() {
  chart_.ClearPlot();
  Chart1->Refresh();
}

void TForm1::AddPoint(double frequency, double level) {
  chart_.AddPoint(frequency, level);
  Chart1->Refresh();
}

void TForm1::ApplyRange() {
  // The axes changed before an error stay changed, so the chart follows in either case.
  try {
    ::ApplyRange(*this, range_, chart_);
  } catch (...) {
    Chart1->Refresh();
    throw;
  }
  Chart1->Refresh();
}

void TForm1::PrintChart() { Chart1->Print(config_.printers); }

QLineEdit* TForm1::Field(EditField field) const {
  switch (field) {
    case EditField::edJmeno: return edJmeno;
    case EditField::edFmin: return edFmin;
    case EditField::edFmax: return edFmax;
    case EditField::edFstep: return edFstep;
    case EditField::edMindb: return edMindb;
    case EditField::edMaxdb: return edMaxdb;
  }
  return edJmeno;
}

std::string TForm1::FieldText(EditField field) const { return Field(field)->text().toStdString(); }

void TForm1::SetFieldText(EditField field, const std::string& text) {
  Field(field)->setText(QString::fromStdString(text));
}

void TForm1::btnRunClick() {
  // A close asked for during the run takes effect once it has ended, however it ends.
  struct CloseWhenPending {
    TForm1& form;
    ~CloseWhenPending() {
      if (form.quitPending_ && !form.run_.InProgress()) form.close();
    }
  } closeWhenPending{*this};
  run_.btnRunClick();
}

void TForm1::btnStopClick() { run_.btnStopClick(); }

void TForm1::btnSaveClick() { files_.btnSaveClick(); }

void TForm1::Quit1Click() { close(); }

void TForm1::COM11Click() { link_.COM11Click(); }

void TForm1::COM21Click() { link_.COM21Click(); }

void TForm1::OpenSerialPort() { link_.OpenSerialPort(); }

void TForm1::edJmenoChange() {
  chart_.SetTitleFromName(edJmeno->text().toStdString());
  Chart1->Refresh();
}

void TForm1::btnLoadClick() { files_.btnLoadClick(); }

void TForm1::btnPrintClick() { PrintChart(); }

void TForm1::About1Click() {
  if (aboutForm_) aboutForm_->exec();
}

void TForm1::NastavMeritka() { ApplyRange(); }

void TForm1::btnResetClick() { run_.btnResetClick(); }

void TForm1::closeEvent(QCloseEvent* event) {
  // During a run the window stays and keeps working; the program ends once the run has ended.
  if (run_.InProgress()) {
    quitPending_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

void TForm1::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LocaleChange) separator_ = SystemDecimalSeparator();
  QMainWindow::changeEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    // Only a move of the focus to another control leaves the field; a box or menu taking it does not.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      RunHandler([this] { NastavMeritka(); });
  }
  return QMainWindow::eventFilter(watched, event);
}
