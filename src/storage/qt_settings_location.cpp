// The settings location, separator and dialog folder from QStandardPaths, QLocale and QDir.
#include "storage/qt_settings_location.h"

#include <QDir>
#include <QLocale>
#include <QStandardPaths>

#include "storage/settings_folder.h"

std::string SettingsFilePath() {
  return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/quenrik.ini").toStdString();
}

char SystemDecimalSeparator() {
  const QString point = QLocale::system().decimalPoint();
  if (point.size() != 1) return '.';
  const char16_t c = point.front().unicode();
  const bool usable = c > ' ' && c < 0x7F && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != 'e' && c != 'E';
  return usable ? static_cast<char>(c) : '.';
}

QString MeasurementDialogFolder(const std::string& folder) {
  return QString::fromStdString(DialogFolder(folder, QDir::homePath().toStdString()));
}
