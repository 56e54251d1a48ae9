// Layout of the About box.
#include "ui/about_form.h"

#include <QLabel>

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName("AboutForm");
  setWindowTitle(QString());
  setFixedSize(179, 125);
  move(330, 151);
  Panel1 = new QWidget(this);
  Panel1->setObjectName("Panel1");
  Panel1->setGeometry(0, 0, 179, 125);
  Label2 = new QLabel("Quenrik 150 MHz V1.0", Panel1);
  Label2->setObjectName("Label2");
  Label2->move(32, 40);
  Label2->adjustSize();
}
