// The program's start-up as quenrik's main runs it, with a probe: prints when the application object, the main
// window and the window's first paint were done (steady clock, nanoseconds), then quits.
#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <memory>

#include "storage/qt_settings_location.h"
#include "ui/about_form.h"
#include "ui/error_display.h"
#include "ui/main_window.h"

namespace {

long long Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Notes the first paint that reaches the chart; the zero timer fires once that whole paint pass, flush included,
// is over.
class FirstPaintProbe : public QObject {
 public:
  long long painted = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_ && watched->objectName() == "Chart1") {
      seen_ = true;
      QTimer::singleShot(0, [this] {
        painted = Now();
        QCoreApplication::quit();
      });
    }
    return false;
  }

 private:
  bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(ApplicationTitle(QString::fromLocal8Bit(argv[0])));
  const long long applicationReady = Now();
  FirstPaintProbe probe;
  application.installEventFilter(&probe);

  std::unique_ptr<TForm1> form;
  try {
    FormConfig config;
    config.settingsPath = SettingsFilePath();
    form = std::make_unique<TForm1>(config);
  } catch (const std::exception& error) {
    ShowErrorDisplay(error);
    return 1;
  }
  auto aboutForm = std::make_unique<TAboutForm>(form.get());
  form->SetAboutForm(aboutForm.get());
  const long long windowBuilt = Now();
  form->showMaximized();
  const int result = QApplication::exec();
  std::printf("%lld %lld %lld\n", applicationReady, windowBuilt, probe.painted);
  aboutForm.reset();
  form.reset();
  return result;
}
