// Answers the modal boxes and dialogs a window test meets, and records what they said.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>

class ModalAnswerer : public QObject {
  Q_OBJECT

 public:
  struct Shown {
    QString caption;
    QString text;
  };

  ModalAnswerer();

  // The path the next file dialog returns; an empty one cancels it.
  void AnswerFileDialog(const QString& path) { files_.push_back(path); }
  // Whether the next question is answered Yes.
  void AnswerQuestions(bool yes) { yes_ = yes; }
  // Called instead of closing when the About box is up; returning true closes it.
  void WhileAboutIsUp(std::function<bool()> check) { aboutCheck_ = std::move(check); }

  const std::vector<Shown>& Boxes() const { return boxes_; }
  QStringList Texts() const;

 private:
  void Answer();

  QTimer timer_;
  std::vector<Shown> boxes_;
  std::deque<QString> files_;
  bool yes_ = true;
  std::function<bool()> aboutCheck_;
};
