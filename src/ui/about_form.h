// The About box: a fixed-size dialog with the program's name and version.
#pragma once

#include <QDialog>

class QLabel;
class QWidget;

class TAboutForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutForm(QWidget* parent = nullptr);

 private:
  QWidget* Panel1;
  QLabel* Label2;
};
