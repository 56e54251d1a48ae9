// The application's error display: every error that ends an event handler is shown here, and nowhere else.
#pragma once

#include <QString>

#include <exception>
#include <string>
#include <utility>

class QWidget;

// The title of the application from its program file: no folder, nothing from the first "." on, the first
// character in upper case and the rest in lower case ("quenrik" and "QUENRIK.EXE" both give "Quenrik").
QString ApplicationTitle(const QString& programPath);

// The message as shown: a full stop is added when the text is not empty and its last character sorts after ".".
QString ErrorDisplayText(const std::string& message);

// A modal box with the stop-sign icon, captioned with the application's name.
void ShowErrorDisplay(const std::exception& error);

// Runs an event handler; an error it raises ends it here and is shown, so none crosses Qt's event dispatch.
template <typename Handler>
void RunHandler(Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
  } catch (const std::exception& error) {
    ShowErrorDisplay(error);
  }
}
