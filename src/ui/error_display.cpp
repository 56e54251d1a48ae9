// Application title and the stop-sign box that shows errors.
#include "ui/error_display.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

QString ApplicationTitle(const QString& programPath) {
  QString name = QFileInfo(programPath).fileName();
  const int dot = name.indexOf('.');
  if (dot >= 0) name.truncate(dot);
  if (name.isEmpty()) return name;
  return name.left(1).toUpper() + name.mid(1).toLower();
}

QString ErrorDisplayText(const std::string& message) {
  std::string text = message;
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) text += '.';
  return QString::fromStdString(text);
}

void ShowErrorDisplay(const std::exception& error) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), ErrorDisplayText(error.what()),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.setObjectName("ErrorDisplay");
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}
