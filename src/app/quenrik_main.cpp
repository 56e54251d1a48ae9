// quenrik: the desktop program. Wiring only: application, windows, event loop.
#include <QApplication>

#include <memory>

#include "storage/qt_settings_location.h"
#include "ui/about_form.h"
#include "ui/error_display.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(ApplicationTitle(QString::fromLocal8Bit(argv[0])));

  std::unique_ptr<TForm1> form;
  try {
    FormConfig config;
    config.settingsPath = SettingsFilePath();
    form = std::make_unique<TForm1>(config);
  } catch (const std::exception& error) {
    ShowErrorDisplay(error);
    return 1;
  }
  // Destroyed before the main window, which writes the settings as it goes.
  auto aboutForm = std::make_unique<TAboutForm>(form.get());
  form->SetAboutForm(aboutForm.get());
  form->showMaximized();
  const int result = QApplication::exec();
  aboutForm.reset();
  form.reset();
  return result;
}
