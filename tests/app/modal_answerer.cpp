// Polls for the active modal widget and answers it the way a user would.
#include "modal_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "ui/about_form.h"

ModalAnswerer::ModalAnswerer() {
  timer_.setInterval(10);
  connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Answer);
  timer_.start();
}

QStringList ModalAnswerer::Texts() const {
  QStringList texts;
  for (const Shown& box : boxes_) texts << box.text;
  return texts;
}

void ModalAnswerer::Answer() {
  QWidget* const modal = QApplication::activeModalWidget();
  if (!modal) return;
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    boxes_.push_back({box->windowTitle(), box->text()});
    QAbstractButton* button = box->button(QMessageBox::Ok);
    if (!button) button = box->button(yes_ ? QMessageBox::Yes : QMessageBox::No);
    button->click();
  } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
    const QString path = files_.empty() ? QString() : files_.front();
    if (!files_.empty()) files_.pop_front();
    if (path.isEmpty()) {
      dialog->reject();
      return;
    }
    // Typed into the name field, as a user would; accept() then checks it like a click on the button.
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path);
    QMetaObject::invokeMethod(dialog, "accept");
  } else if (auto* about = qobject_cast<TAboutForm*>(modal)) {
    if (!aboutCheck_ || aboutCheck_()) about->close();
  }
}
